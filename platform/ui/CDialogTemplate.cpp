#include "platform/ui/CDialogTemplate.h"

CDialogTemplate::CDialogTemplate(unsigned templateId, const char* dialogTitle, int w, int h,
                                 std::initializer_list<CDialogItem> controls)
    : id(templateId), title(dialogTitle), width(w), height(h), items(controls) {}

CDialogTemplate& CDialogTemplate::Add(unsigned controlId, UiControlKind kind, const char* text, int x, int y,
                                      int w, int h, unsigned controlStyle, unsigned resource) {
  CDialogItem item;
  item.id = controlId;
  item.kind = kind;
  item.text = text;
  item.rect = CRect::FromXYWH(x, y, w, h);
  item.style = controlStyle;
  item.resourceId = resource;
  items.push_back(std::move(item));
  return *this;
}

const CDialogItem* CDialogTemplate::FindItem(unsigned controlId) const {
  for (const CDialogItem& item : items) {
    if (item.id == controlId) return &item;
  }
  return nullptr;
}

CRect CDialogTemplate::MapDialogRect(const CRect& du) {
  return CRect(du.left * kBaseUnitX / 4, du.top * kBaseUnitY / 8, du.right * kBaseUnitX / 4,
               du.bottom * kBaseUnitY / 8);
}

CSize CDialogTemplate::GetPixelSize() const {
  const CRect pixels = MapDialogRect(CRect(0, 0, width, height));
  return pixels.Size();
}
