#include "platform/ui/CStringList.h"

#include <iterator>

namespace {
const CString& EmptyText() {
  static const CString* empty = new CString;
  return *empty;
}
}  // namespace

CStringList::~CStringList() = default;

void CStringList::AddTail(const CStringList& other) {
  if (&other == this) {
    const std::list<CString> copy(m_items);
    m_items.insert(m_items.end(), copy.begin(), copy.end());
    return;
  }
  m_items.insert(m_items.end(), other.m_items.begin(), other.m_items.end());
}

CString CStringList::RemoveHead() {
  if (m_items.empty()) return CString();
  CString head = std::move(m_items.front());
  m_items.pop_front();
  return head;
}

CString CStringList::RemoveTail() {
  if (m_items.empty()) return CString();
  CString tail = std::move(m_items.back());
  m_items.pop_back();
  return tail;
}

const CString& CStringList::GetHead() const { return m_items.empty() ? EmptyText() : m_items.front(); }

const CString& CStringList::GetTail() const { return m_items.empty() ? EmptyText() : m_items.back(); }

const CString& CStringList::GetAt(int index) const {
  if (index < 0 || index >= GetCount()) return EmptyText();
  return *std::next(m_items.begin(), index);
}

bool CStringList::SetAt(int index, const CString& text) {
  if (index < 0 || index >= GetCount()) return false;
  *std::next(m_items.begin(), index) = text;
  return true;
}

bool CStringList::RemoveAt(int index) {
  if (index < 0 || index >= GetCount()) return false;
  m_items.erase(std::next(m_items.begin(), index));
  return true;
}

int CStringList::Find(const char* text, int start) const {
  int index = 0;
  for (const CString& item : m_items) {
    if (index >= start && item == text) return index;
    ++index;
  }
  return -1;
}
