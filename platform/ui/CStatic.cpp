#include "platform/ui/CStatic.h"

#include "platform/ui/CUiDriver.h"

BR_IMPLEMENT_RUNTIMECLASS(CStatic, CWnd)

CStatic::CStatic(UiControlKind kind) : m_kind(kind) {}

CStatic::~CStatic() = default;

void CStatic::SetBitmapId(unsigned id) {
  m_bitmapId = id;
  NotifyChanged(UiChange::Changed);
}

void CStatic::CopyContentFrom(const CWnd& other) {
  if (const auto* source = dynamic_cast<const CStatic*>(&other)) {
    m_kind = source->m_kind;
    m_bitmapId = source->m_bitmapId;
  }
}

CString CStatic::Describe() const {
  CString line;
  switch (m_kind) {
    case UiControlKind::Picture: line.Format("picture (bitmap %u)", m_bitmapId); break;
    case UiControlKind::GroupBox: line.Format("-- %s --", GetWindowText().GetString()); break;
    default: line = GetWindowText(); break;
  }
  return line;
}
