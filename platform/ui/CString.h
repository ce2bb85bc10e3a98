#pragma once
// A byte string. Texts are bytes: nothing converts encodings, and letter case means
// ASCII letter case only. Positions and lengths are int; any index outside the text is
// clamped, so no operation reads or writes past the end.
#include <cstddef>
#include <functional>
#include <iosfwd>
#include <string>

#include "brindle/export.h"

class BRINDLE_EXPORT CString {
 public:
  CString() = default;
  CString(const char* text);  // NOLINT: implicit, like a text literal; none is the empty text
  CString(const char* text, int length);  // exactly `length` bytes (none or <= 0: empty)
  CString(const std::string& text);       // NOLINT: implicit
  CString(std::string&& text) noexcept;   // NOLINT: implicit
  CString(char ch, int repeat);
  CString(const CString&) = default;
  CString(CString&&) noexcept = default;
  CString& operator=(const CString&) = default;
  CString& operator=(CString&&) noexcept = default;
  CString& operator=(const char* text);
  CString& operator=(const std::string& text);
  CString& operator=(char ch);

  int GetLength() const { return static_cast<int>(m_text.size()); }
  bool IsEmpty() const { return m_text.empty(); }
  void Empty() { m_text.clear(); }

  const char* GetString() const { return m_text.c_str(); }
  operator const char*() const { return m_text.c_str(); }  // NOLINT: implicit, as hosts expect
  const std::string& str() const { return m_text; }

  // The byte at `index`; '\0' outside the text.
  char GetAt(int index) const;
  char operator[](int index) const { return GetAt(index); }
  // Replaces the byte at `index`; nothing happens outside the text.
  void SetAt(int index, char ch);

  // Byte-wise comparison: <0, 0 or >0.
  int Compare(const char* other) const;
  // Comparison ignoring ASCII letter case: <0, 0 or >0.
  int CompareNoCase(const char* other) const;

  // Position of the first `ch` / `sub` at or after `start`; -1 when there is none.
  // An empty `sub` is found at `start` when start lies within the text or at its end.
  int Find(char ch, int start = 0) const;
  int Find(const char* sub, int start = 0) const;
  // Position of the last `ch`; -1 when there is none.
  int ReverseFind(char ch) const;
  // Position of the first byte that is one of `chars`; -1 when there is none.
  int FindOneOf(const char* chars) const;

  // Parts of the text; counts and positions are clamped to the text.
  CString Left(int count) const;
  CString Mid(int first) const;
  CString Mid(int first, int count) const;
  CString Right(int count) const;

  CString& MakeUpper();
  CString& MakeLower();
  CString& MakeReverse();
  // Replaces every occurrence of `from` (not empty) by `to`; returns how many were replaced.
  int Replace(const char* from, const char* to);
  int Replace(char from, char to);
  // Removes every `ch`; returns how many were removed.
  int Remove(char ch);
  int Insert(int index, const char* text);
  int Delete(int index, int count = 1);
  // Removes blanks (space, tab, CR, LF, VT, FF) or the given bytes from the ends.
  CString& Trim();
  CString& TrimLeft();
  CString& TrimRight();
  CString& Trim(const char* chars);
  CString& TrimLeft(const char* chars);
  CString& TrimRight(const char* chars);

  // printf-style formatting into this text / appended to it.
  void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void AppendFormat(const char* format, ...) __attribute__((format(printf, 2, 3)));

  // Loads the text of string resource `id` through the resource chain.
  // False (text unchanged) when no attached module holds it.
  bool LoadString(unsigned id);

  CString& operator+=(const CString& other);
  CString& operator+=(const char* other);
  CString& operator+=(const std::string& other);
  CString& operator+=(char ch);
  void Append(const char* text, int length);

  // Writable access for C interfaces: GetBuffer(n) makes room for at least n bytes
  // (the text is kept) and returns the first byte; write at most n bytes, then call
  // ReleaseBuffer(), which ends the text at the first NUL within the buffer, or at
  // `newLength` (clamped to the buffer) when that is not negative.
  char* GetBuffer(int minLength);
  char* GetBufferSetLength(int length);
  void ReleaseBuffer(int newLength = -1);

 private:
  std::string m_text;
};

BRINDLE_EXPORT CString operator+(const CString& a, const CString& b);
BRINDLE_EXPORT CString operator+(const CString& a, const char* b);
BRINDLE_EXPORT CString operator+(const char* a, const CString& b);
BRINDLE_EXPORT CString operator+(const CString& a, char b);
BRINDLE_EXPORT CString operator+(char a, const CString& b);

inline bool operator==(const CString& a, const CString& b) { return a.str() == b.str(); }
inline bool operator==(const CString& a, const char* b) { return a.Compare(b) == 0; }
inline bool operator==(const char* a, const CString& b) { return b.Compare(a) == 0; }
inline bool operator!=(const CString& a, const CString& b) { return !(a == b); }
inline bool operator!=(const CString& a, const char* b) { return !(a == b); }
inline bool operator!=(const char* a, const CString& b) { return !(a == b); }
inline bool operator<(const CString& a, const CString& b) { return a.str() < b.str(); }
inline bool operator<(const CString& a, const char* b) { return a.Compare(b) < 0; }
inline bool operator<(const char* a, const CString& b) { return b.Compare(a) > 0; }
inline bool operator>(const CString& a, const CString& b) { return b < a; }
inline bool operator<=(const CString& a, const CString& b) { return !(b < a); }
inline bool operator>=(const CString& a, const CString& b) { return !(a < b); }

BRINDLE_EXPORT std::ostream& operator<<(std::ostream& out, const CString& text);

namespace std {
template <>
struct hash<CString> {
  size_t operator()(const CString& text) const noexcept { return hash<string>()(text.str()); }
};
}  // namespace std
