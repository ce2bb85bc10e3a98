#pragma once
// A rectangle by its edges: left and top inside, right and bottom just outside.
#include <iosfwd>

#include "brindle/export.h"
#include "platform/ui/CPoint.h"
#include "platform/ui/CSize.h"

struct BRINDLE_EXPORT CRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  CRect() = default;
  CRect(int l, int t, int r, int b) : left(l), top(t), right(r), bottom(b) {}
  CRect(const CPoint& topLeft, const CSize& size)
      : left(topLeft.x), top(topLeft.y), right(topLeft.x + size.cx), bottom(topLeft.y + size.cy) {}
  // From a position and a size, the way dialog templates give them.
  static CRect FromXYWH(int x, int y, int width, int height) { return CRect(x, y, x + width, y + height); }

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  CSize Size() const { return CSize(Width(), Height()); }
  CPoint TopLeft() const { return CPoint(left, top); }
  CPoint BottomRight() const { return CPoint(right, bottom); }
  bool IsRectEmpty() const { return Width() <= 0 || Height() <= 0; }
  bool PtInRect(const CPoint& p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }

  void OffsetRect(int dx, int dy) {
    left += dx;
    right += dx;
    top += dy;
    bottom += dy;
  }
  void OffsetRect(const CPoint& delta) { OffsetRect(delta.x, delta.y); }

  bool operator==(const CRect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
  bool operator!=(const CRect& o) const { return !(*this == o); }
};

BRINDLE_EXPORT std::ostream& operator<<(std::ostream& out, const CRect& rect);
