#pragma once
// An indexed array of texts. Copying copies every text.
#include <vector>

#include "brindle/export.h"
#include "platform/ui/CObject.h"
#include "platform/ui/CString.h"

class BRINDLE_EXPORT CStringArray : public CObject {
 public:
  using const_iterator = std::vector<CString>::const_iterator;

  CStringArray() = default;
  CStringArray(const CStringArray&) = default;
  CStringArray(CStringArray&&) noexcept = default;
  CStringArray& operator=(const CStringArray&) = default;
  CStringArray& operator=(CStringArray&&) noexcept = default;
  ~CStringArray() override;

  int GetSize() const { return static_cast<int>(m_items.size()); }
  int GetCount() const { return GetSize(); }
  int GetUpperBound() const { return GetSize() - 1; }
  bool IsEmpty() const { return m_items.empty(); }

  // Appends `text`; returns its index.
  int Add(const CString& text);
  // Appends every text of `other`; returns the index of the first one appended.
  int Append(const CStringArray& other);
  // The text at `index`; the empty text outside the array.
  const CString& GetAt(int index) const;
  const CString& operator[](int index) const { return GetAt(index); }
  // Replaces the text at `index`; false outside the array.
  bool SetAt(int index, const CString& text);
  // Sets the text at `index`, growing the array with empty texts as needed (index >= 0).
  bool SetAtGrow(int index, const CString& text);
  // Inserts `text` before `index` (clamped to the array).
  void InsertAt(int index, const CString& text);
  // Removes `count` texts from `index` (clamped to the array).
  void RemoveAt(int index, int count = 1);
  void RemoveAll() { m_items.clear(); }
  // Grows with empty texts or shrinks to `size` (negative: 0).
  void SetSize(int size);
  // Index of the first text equal (byte for byte) to `text`; -1 when none.
  int Find(const char* text) const;

  const_iterator begin() const { return m_items.begin(); }
  const_iterator end() const { return m_items.end(); }

  bool operator==(const CStringArray& other) const { return m_items == other.m_items; }
  bool operator!=(const CStringArray& other) const { return m_items != other.m_items; }

 private:
  std::vector<CString> m_items;
};
