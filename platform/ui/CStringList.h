#pragma once
// An ordered list of texts. Copying copies every text.
#include <list>

#include "brindle/export.h"
#include "platform/ui/CObject.h"
#include "platform/ui/CString.h"

class BRINDLE_EXPORT CStringList : public CObject {
 public:
  using const_iterator = std::list<CString>::const_iterator;
  using iterator = std::list<CString>::iterator;

  CStringList() = default;
  CStringList(const CStringList&) = default;
  CStringList(CStringList&&) noexcept = default;
  CStringList& operator=(const CStringList&) = default;
  CStringList& operator=(CStringList&&) noexcept = default;
  ~CStringList() override;

  int GetCount() const { return static_cast<int>(m_items.size()); }
  int GetSize() const { return GetCount(); }
  bool IsEmpty() const { return m_items.empty(); }

  void AddTail(const CString& text) { m_items.push_back(text); }
  void AddHead(const CString& text) { m_items.push_front(text); }
  void AddTail(const CStringList& other);
  void RemoveAll() { m_items.clear(); }
  // The first / last text, removed; the empty text when the list is empty.
  CString RemoveHead();
  CString RemoveTail();
  // The first / last text; the empty text when the list is empty.
  const CString& GetHead() const;
  const CString& GetTail() const;
  // The text at `index` (0 based); the empty text outside the list.
  const CString& GetAt(int index) const;
  // Replaces the text at `index`; false outside the list.
  bool SetAt(int index, const CString& text);
  // Removes the text at `index`; false outside the list.
  bool RemoveAt(int index);
  // Index of the first text equal (byte for byte) to `text` at or after `start`; -1 when none.
  int Find(const char* text, int start = 0) const;
  bool Contains(const char* text) const { return Find(text) >= 0; }

  const_iterator begin() const { return m_items.begin(); }
  const_iterator end() const { return m_items.end(); }
  iterator begin() { return m_items.begin(); }
  iterator end() { return m_items.end(); }

  bool operator==(const CStringList& other) const { return m_items == other.m_items; }
  bool operator!=(const CStringList& other) const { return m_items != other.m_items; }

 private:
  std::list<CString> m_items;
};
