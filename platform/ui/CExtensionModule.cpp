#include "platform/ui/CExtensionModule.h"

#include "platform/ui/CResourceChain.h"

CExtensionModule::CExtensionModule(const char* name) : m_resources(name) {}

CExtensionModule::~CExtensionModule() { Term(); }

bool CExtensionModule::Init() {
  if (m_attached) return false;
  CResourceChain::Attach(&m_resources);
  m_attached = true;
  return true;
}

void CExtensionModule::Term() {
  if (!m_attached) return;
  CResourceChain::Detach(&m_resources);
  m_attached = false;
}

bool CExtensionModule::IsAttached() const { return m_attached; }
