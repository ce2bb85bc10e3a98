#pragma once
// A dialog template as data: id, title, size in dialog units, font, and its controls
// in creation order (which is also the order of radio groups).
#include <initializer_list>
#include <vector>

#include "brindle/export.h"
#include "platform/ui/CDialogItem.h"
#include "platform/ui/CRect.h"
#include "platform/ui/CString.h"

class BRINDLE_EXPORT CDialogTemplate {
 public:
  // Dialog units to pixels: a horizontal unit is a quarter, a vertical unit an eighth,
  // of the font's average character cell (6 x 13 pixels for the 8-point font).
  static constexpr int kBaseUnitX = 6;
  static constexpr int kBaseUnitY = 13;

  CDialogTemplate() = default;
  CDialogTemplate(unsigned id, const char* title, int width, int height,
                  std::initializer_list<CDialogItem> items = {});

  unsigned id = 0;
  CString title;
  int width = 0;   // dialog units
  int height = 0;  // dialog units
  CString fontName = "MS Sans Serif";
  int pointSize = 8;
  unsigned style = 0;
  std::vector<CDialogItem> items;

  // Appends a control; returns the template for chaining.
  CDialogTemplate& Add(unsigned controlId, UiControlKind kind, const char* text, int x, int y, int w, int h,
                       unsigned controlStyle = 0, unsigned resource = 0);
  // The first control with `controlId`; none when there is none (labels share IDC_STATIC).
  const CDialogItem* FindItem(unsigned controlId) const;

  static CRect MapDialogRect(const CRect& dialogUnits);
  CSize GetPixelSize() const;
};
