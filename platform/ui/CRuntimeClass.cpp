#include "platform/ui/CRuntimeClass.h"

#include <mutex>
#include <string>
#include <unordered_map>

namespace {

struct ClassTable {
  std::mutex mutex;
  std::unordered_map<std::string, const CRuntimeClass*> byName;
};

// Never destroyed: records of other libraries may register or be looked up during exit.
ClassTable& Table() {
  static ClassTable* table = new ClassTable;
  return *table;
}

}  // namespace

CObject* CRuntimeClass::CreateObject() const {
  return m_pfnCreateObject ? m_pfnCreateObject() : nullptr;
}

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
  for (const CRuntimeClass* cls = this; cls; cls = cls->m_pBaseClass) {
    if (cls == base) return true;
  }
  return false;
}

const CRuntimeClass* CRuntimeClass::FromName(const char* name) {
  if (!name) return nullptr;
  ClassTable& table = Table();
  std::lock_guard<std::mutex> lock(table.mutex);
  auto it = table.byName.find(name);
  return it == table.byName.end() ? nullptr : it->second;
}

CObject* CRuntimeClass::CreateObject(const char* name) {
  const CRuntimeClass* cls = FromName(name);
  return cls ? cls->CreateObject() : nullptr;
}

void CRuntimeClass::Register(const CRuntimeClass* cls) {
  if (!cls || !cls->m_lpszClassName) return;
  ClassTable& table = Table();
  std::lock_guard<std::mutex> lock(table.mutex);
  table.byName[cls->m_lpszClassName] = cls;
}

void CRuntimeClass::Unregister(const CRuntimeClass* cls) {
  if (!cls || !cls->m_lpszClassName) return;
  ClassTable& table = Table();
  std::lock_guard<std::mutex> lock(table.mutex);
  auto it = table.byName.find(cls->m_lpszClassName);
  if (it != table.byName.end() && it->second == cls) table.byName.erase(it);
}

CRuntimeClass::Registrar::Registrar(const CRuntimeClass* cls) : m_cls(cls) { Register(cls); }

CRuntimeClass::Registrar::~Registrar() { Unregister(m_cls); }
