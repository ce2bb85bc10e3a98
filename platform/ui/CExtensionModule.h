#pragma once
// An extension module: a library's resources and its membership of the resource chain.
// A library keeps one as a static object, fills its resources and calls Init when it is
// loaded; Term (or destruction) takes it out of the chain when it is unloaded.
#include "brindle/export.h"
#include "platform/ui/CResourceModule.h"

class BRINDLE_EXPORT CExtensionModule {
 public:
  explicit CExtensionModule(const char* name);
  CExtensionModule(const CExtensionModule&) = delete;
  CExtensionModule& operator=(const CExtensionModule&) = delete;
  ~CExtensionModule();

  CResourceModule& Resources() { return m_resources; }
  const CResourceModule& Resources() const { return m_resources; }

  // Joins the chain in front of the modules attached before. False when already attached.
  bool Init();
  // Leaves the chain; nothing when not attached.
  void Term();
  bool IsAttached() const;

 private:
  CResourceModule m_resources;
  bool m_attached = false;
};
