#include "common/MessageCatalogue.h"

#include <mutex>

#include "common/BRMessage.h"

namespace {
// Constructed when the library holding it is loaded, destroyed (releasing the
// message library) when it is unloaded.
MessageCatalogue processCatalogue;
constexpr const char* DefaultLanguage = "";
}  // namespace

MessageCatalogue& MessageCatalogue::instance() { return processCatalogue; }

MessageCatalogue::MessageCatalogue() = default;

MessageCatalogue::~MessageCatalogue() {
  for (auto& [language, entry] : entries_) platform::freeLibrary(entry->module);
}

CatalogueEntry* MessageCatalogue::setBaseName(const char* name) {
  baseName_ = name ? name : "";
  return load();
}

CatalogueEntry* MessageCatalogue::load() {
  std::lock_guard<platform::CriticalSection> lock(BRMessage::m_critical);
  const auto found = entries_.find(DefaultLanguage);
  if (found != entries_.end()) return found->second.get();

  const std::string fileName = baseName_ + ".dll";
  platform::ModuleHandle module = platform::loadLibrary(fileName.c_str());
  if (module == nullptr) return nullptr;
  platform::ProcAddress getMessage = platform::getProcAddress(module, EntryPointName);
  if (getMessage == nullptr) {
    platform::freeLibrary(module);  // nothing is kept, so nothing stays loaded
    return nullptr;
  }
  auto entry = std::make_unique<CatalogueEntry>();
  entry->module = module;
  entry->getMessage = getMessage;
  CatalogueEntry* result = entry.get();
  entries_.emplace(DefaultLanguage, std::move(entry));
  return result;
}
