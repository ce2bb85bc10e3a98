#include "platform/ui/CStringArray.h"

#include <algorithm>

namespace {
const CString& EmptyText() {
  static const CString* empty = new CString;
  return *empty;
}
}  // namespace

CStringArray::~CStringArray() = default;

int CStringArray::Add(const CString& text) {
  m_items.push_back(text);
  return GetSize() - 1;
}

int CStringArray::Append(const CStringArray& other) {
  const int first = GetSize();
  const std::vector<CString> copy(other.m_items);  // `other` may be this array
  m_items.insert(m_items.end(), copy.begin(), copy.end());
  return first;
}

const CString& CStringArray::GetAt(int index) const {
  return (index >= 0 && index < GetSize()) ? m_items[static_cast<size_t>(index)] : EmptyText();
}

bool CStringArray::SetAt(int index, const CString& text) {
  if (index < 0 || index >= GetSize()) return false;
  m_items[static_cast<size_t>(index)] = text;
  return true;
}

bool CStringArray::SetAtGrow(int index, const CString& text) {
  if (index < 0) return false;
  if (index >= GetSize()) m_items.resize(static_cast<size_t>(index) + 1);
  m_items[static_cast<size_t>(index)] = text;
  return true;
}

void CStringArray::InsertAt(int index, const CString& text) {
  index = std::max(0, std::min(index, GetSize()));
  m_items.insert(m_items.begin() + index, text);
}

void CStringArray::RemoveAt(int index, int count) {
  const int size = GetSize();
  if (index < 0 || index >= size || count <= 0) return;
  count = std::min(count, size - index);
  m_items.erase(m_items.begin() + index, m_items.begin() + index + count);
}

void CStringArray::SetSize(int size) { m_items.resize(static_cast<size_t>(std::max(0, size))); }

int CStringArray::Find(const char* text) const {
  for (int i = 0; i < GetSize(); ++i) {
    if (m_items[static_cast<size_t>(i)] == text) return i;
  }
  return -1;
}
