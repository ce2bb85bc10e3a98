#pragma once
// The process-wide record of the message library: loads "<base name>.dll"
// (that is lib<base name>.so on the library search path, see
// platform/DynamicLibrary.h) on first use, looks up "brwebGetMessage" and keeps
// both until the catalogue is destroyed, which releases the library.
//
// instance() is constructed when the library holding it is loaded and
// destroyed when it is unloaded. Loads are serialised by BRMessage::m_critical,
// so a library is loaded at most once. A failed load (no library, or no entry
// point) stores nothing and releases what it loaded; the next call tries again.
// Once a load has succeeded, later calls return the same entry, even after the
// base name has changed.

#include <map>
#include <memory>
#include <string>

#include "common/CatalogueEntry.h"

class MessageCatalogue {
 public:
  static constexpr const char* EntryPointName = "brwebGetMessage";

  static MessageCatalogue& instance();

  // A catalogue of its own (the process uses instance(); tests make their own).
  MessageCatalogue();
  ~MessageCatalogue();
  MessageCatalogue(const MessageCatalogue&) = delete;
  MessageCatalogue& operator=(const MessageCatalogue&) = delete;

  // Stores a copy of name (may include a directory) and returns load().
  CatalogueEntry* setBaseName(const char* name);
  // The entry of the default language, loaded on first use; null when the
  // library cannot be loaded or lacks the entry point.
  CatalogueEntry* load();

  const std::string& baseName() const { return baseName_; }

 private:
  std::map<std::string, std::unique_ptr<CatalogueEntry>> entries_;
  std::string baseName_;
};
