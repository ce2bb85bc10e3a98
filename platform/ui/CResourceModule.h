#pragma once
// The resources of one module: its string table (id -> text), dialog templates and bitmaps.
// A module becomes visible to lookups when it is attached to the resource chain.
#include <map>

#include "brindle/export.h"
#include "platform/ui/CBitmapResource.h"
#include "platform/ui/CDialogTemplate.h"
#include "platform/ui/CString.h"

class BRINDLE_EXPORT CResourceModule {
 public:
  struct StringEntry {
    unsigned id;
    const char* text;
  };

  explicit CResourceModule(const char* name = "");
  CResourceModule(const CResourceModule&) = delete;
  CResourceModule& operator=(const CResourceModule&) = delete;
  virtual ~CResourceModule();

  const CString& GetName() const { return m_name; }

  // Adds or replaces entries.
  void AddString(unsigned id, const char* text);
  template <size_t N>
  void AddStrings(const StringEntry (&table)[N]) {
    for (const StringEntry& entry : table) AddString(entry.id, entry.text);
  }
  void AddDialogTemplate(const CDialogTemplate& dialog);
  void AddBitmap(unsigned id, const CBitmapResource& bitmap);

  // The module's own entries; none when it holds no such id. A pointer stays valid until
  // the entry is replaced or the module destroyed.
  const CString* FindString(unsigned id) const;
  const CDialogTemplate* FindDialogTemplate(unsigned id) const;
  const CBitmapResource* FindBitmap(unsigned id) const;

  int GetStringCount() const { return static_cast<int>(m_strings.size()); }

 private:
  CString m_name;
  std::map<unsigned, CString> m_strings;
  std::map<unsigned, CDialogTemplate> m_dialogs;
  std::map<unsigned, CBitmapResource> m_bitmaps;
};
