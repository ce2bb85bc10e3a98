#pragma once
// A label, a picture showing a bitmap resource, or a group box frame.
#include "brindle/export.h"
#include "platform/ui/CWnd.h"

class BRINDLE_EXPORT CStatic : public CWnd {
  BR_DECLARE_RUNTIMECLASS(CStatic)

 public:
  explicit CStatic(UiControlKind kind = UiControlKind::Static);
  ~CStatic() override;
  UiControlKind GetKind() const override { return m_kind; }
  // The bitmap resource a picture shows; 0 for none.
  unsigned GetBitmapId() const { return m_bitmapId; }
  void SetBitmapId(unsigned id);
  CString Describe() const override;

 protected:
  void CopyContentFrom(const CWnd& other) override;

 private:
  UiControlKind m_kind;
  unsigned m_bitmapId = 0;
};
