#include "platform/ui/CString.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ostream>

#include "platform/ui/CResourceChain.h"

namespace {

char ToLowerAscii(char ch) { return (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch; }
char ToUpperAscii(char ch) { return (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch; }

const char* OrEmpty(const char* text) { return text ? text : ""; }

int ClampToLength(int value, int length) { return std::max(0, std::min(value, length)); }

constexpr const char* kBlanks = " \t\r\n\v\f";

std::string VFormat(const char* format, va_list args) {
  if (!format) return std::string();
  va_list copy;
  va_copy(copy, args);
  const int needed = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (needed <= 0) return std::string();
  std::string out(static_cast<size_t>(needed) + 1, '\0');
  std::vsnprintf(&out[0], out.size(), format, args);
  out.resize(static_cast<size_t>(needed));
  return out;
}

}  // namespace

CString::CString(const char* text) : m_text(OrEmpty(text)) {}

CString::CString(const char* text, int length) {
  if (text && length > 0) m_text.assign(text, static_cast<size_t>(length));
}

CString::CString(const std::string& text) : m_text(text) {}

CString::CString(std::string&& text) noexcept : m_text(std::move(text)) {}

CString::CString(char ch, int repeat) {
  if (repeat > 0) m_text.assign(static_cast<size_t>(repeat), ch);
}

CString& CString::operator=(const char* text) {
  m_text = OrEmpty(text);
  return *this;
}

CString& CString::operator=(const std::string& text) {
  m_text = text;
  return *this;
}

CString& CString::operator=(char ch) {
  m_text.assign(1, ch);
  return *this;
}

char CString::GetAt(int index) const {
  return (index >= 0 && index < GetLength()) ? m_text[static_cast<size_t>(index)] : '\0';
}

void CString::SetAt(int index, char ch) {
  if (index >= 0 && index < GetLength()) m_text[static_cast<size_t>(index)] = ch;
}

int CString::Compare(const char* other) const {
  const int result = m_text.compare(OrEmpty(other));
  return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

int CString::CompareNoCase(const char* other) const {
  const char* a = m_text.c_str();
  const char* b = OrEmpty(other);
  const size_t lengthA = m_text.size();
  const size_t lengthB = std::strlen(b);
  const size_t common = std::min(lengthA, lengthB);
  for (size_t i = 0; i < common; ++i) {
    const unsigned char ca = static_cast<unsigned char>(ToLowerAscii(a[i]));
    const unsigned char cb = static_cast<unsigned char>(ToLowerAscii(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (lengthA == lengthB) return 0;
  return lengthA < lengthB ? -1 : 1;
}

int CString::Find(char ch, int start) const {
  if (start < 0) start = 0;
  if (start >= GetLength()) return -1;
  const size_t at = m_text.find(ch, static_cast<size_t>(start));
  return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::Find(const char* sub, int start) const {
  if (start < 0) start = 0;
  if (start > GetLength()) return -1;
  const size_t at = m_text.find(OrEmpty(sub), static_cast<size_t>(start));
  return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::ReverseFind(char ch) const {
  const size_t at = m_text.rfind(ch);
  return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::FindOneOf(const char* chars) const {
  if (!chars || !*chars) return -1;
  const size_t at = m_text.find_first_of(chars);
  return at == std::string::npos ? -1 : static_cast<int>(at);
}

CString CString::Left(int count) const {
  return CString(m_text.substr(0, static_cast<size_t>(ClampToLength(count, GetLength()))));
}

CString CString::Mid(int first) const { return Mid(first, GetLength()); }

CString CString::Mid(int first, int count) const {
  const int length = GetLength();
  first = ClampToLength(first, length);
  count = ClampToLength(count, length - first);
  return CString(m_text.substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

CString CString::Right(int count) const {
  const int length = GetLength();
  count = ClampToLength(count, length);
  return CString(m_text.substr(static_cast<size_t>(length - count)));
}

CString& CString::MakeUpper() {
  for (char& ch : m_text) ch = ToUpperAscii(ch);
  return *this;
}

CString& CString::MakeLower() {
  for (char& ch : m_text) ch = ToLowerAscii(ch);
  return *this;
}

CString& CString::MakeReverse() {
  std::reverse(m_text.begin(), m_text.end());
  return *this;
}

int CString::Replace(const char* from, const char* to) {
  if (!from || !*from) return 0;
  const std::string needle(from);
  const std::string replacement(OrEmpty(to));
  std::string out;
  int count = 0;
  size_t pos = 0;
  for (size_t at; (at = m_text.find(needle, pos)) != std::string::npos; pos = at + needle.size()) {
    out.append(m_text, pos, at - pos);
    out += replacement;
    ++count;
  }
  if (count == 0) return 0;
  out.append(m_text, pos, std::string::npos);
  m_text.swap(out);
  return count;
}

int CString::Replace(char from, char to) {
  int count = 0;
  for (char& ch : m_text) {
    if (ch == from) {
      ch = to;
      ++count;
    }
  }
  return count;
}

int CString::Remove(char ch) {
  const size_t before = m_text.size();
  m_text.erase(std::remove(m_text.begin(), m_text.end(), ch), m_text.end());
  return static_cast<int>(before - m_text.size());
}

int CString::Insert(int index, const char* text) {
  index = ClampToLength(index, GetLength());
  m_text.insert(static_cast<size_t>(index), OrEmpty(text));
  return GetLength();
}

int CString::Delete(int index, int count) {
  const int length = GetLength();
  if (index < 0) index = 0;
  if (index < length && count > 0) {
    m_text.erase(static_cast<size_t>(index), static_cast<size_t>(ClampToLength(count, length - index)));
  }
  return GetLength();
}

CString& CString::Trim() { return Trim(kBlanks); }
CString& CString::TrimLeft() { return TrimLeft(kBlanks); }
CString& CString::TrimRight() { return TrimRight(kBlanks); }

CString& CString::Trim(const char* chars) {
  TrimRight(chars);
  return TrimLeft(chars);
}

CString& CString::TrimLeft(const char* chars) {
  const size_t first = m_text.find_first_not_of(OrEmpty(chars));
  m_text.erase(0, first == std::string::npos ? m_text.size() : first);
  return *this;
}

CString& CString::TrimRight(const char* chars) {
  const size_t last = m_text.find_last_not_of(OrEmpty(chars));
  m_text.erase(last == std::string::npos ? 0 : last + 1);
  return *this;
}

void CString::Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  m_text = VFormat(format, args);
  va_end(args);
}

void CString::AppendFormat(const char* format, ...) {
  va_list args;
  va_start(args, format);
  m_text += VFormat(format, args);
  va_end(args);
}

bool CString::LoadString(unsigned id) { return CResourceChain::LoadString(id, *this); }

CString& CString::operator+=(const CString& other) {
  m_text += other.m_text;
  return *this;
}

CString& CString::operator+=(const char* other) {
  m_text += OrEmpty(other);
  return *this;
}

CString& CString::operator+=(const std::string& other) {
  m_text += other;
  return *this;
}

CString& CString::operator+=(char ch) {
  m_text += ch;
  return *this;
}

void CString::Append(const char* text, int length) {
  if (text && length > 0) m_text.append(text, static_cast<size_t>(length));
}

char* CString::GetBuffer(int minLength) {
  if (minLength > GetLength()) m_text.resize(static_cast<size_t>(minLength), '\0');
  return &m_text[0];
}

char* CString::GetBufferSetLength(int length) {
  m_text.resize(static_cast<size_t>(std::max(0, length)), '\0');
  return &m_text[0];
}

void CString::ReleaseBuffer(int newLength) {
  if (newLength < 0) {
    const void* nul = std::memchr(m_text.data(), '\0', m_text.size());
    if (nul) m_text.resize(static_cast<size_t>(static_cast<const char*>(nul) - m_text.data()));
  } else {
    m_text.resize(static_cast<size_t>(ClampToLength(newLength, GetLength())));
  }
}

CString operator+(const CString& a, const CString& b) {
  CString out(a);
  out += b;
  return out;
}

CString operator+(const CString& a, const char* b) {
  CString out(a);
  out += b;
  return out;
}

CString operator+(const char* a, const CString& b) {
  CString out(a);
  out += b;
  return out;
}

CString operator+(const CString& a, char b) {
  CString out(a);
  out += b;
  return out;
}

CString operator+(char a, const CString& b) {
  CString out(a, 1);
  out += b;
  return out;
}

std::ostream& operator<<(std::ostream& out, const CString& text) { return out << text.str(); }
