#include "platform/ui/CResourceModule.h"

CResourceModule::CResourceModule(const char* name) : m_name(name) {}

CResourceModule::~CResourceModule() = default;

void CResourceModule::AddString(unsigned id, const char* text) { m_strings[id] = text; }

void CResourceModule::AddDialogTemplate(const CDialogTemplate& dialog) { m_dialogs[dialog.id] = dialog; }

void CResourceModule::AddBitmap(unsigned id, const CBitmapResource& bitmap) { m_bitmaps[id] = bitmap; }

const CString* CResourceModule::FindString(unsigned id) const {
  auto it = m_strings.find(id);
  return it == m_strings.end() ? nullptr : &it->second;
}

const CDialogTemplate* CResourceModule::FindDialogTemplate(unsigned id) const {
  auto it = m_dialogs.find(id);
  return it == m_dialogs.end() ? nullptr : &it->second;
}

const CBitmapResource* CResourceModule::FindBitmap(unsigned id) const {
  auto it = m_bitmaps.find(id);
  return it == m_bitmaps.end() ? nullptr : &it->second;
}
