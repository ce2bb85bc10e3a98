#pragma once
// A point in pixels.
struct CPoint {
  int x = 0;
  int y = 0;

  CPoint() = default;
  CPoint(int px, int py) : x(px), y(py) {}
  void Offset(int dx, int dy) {
    x += dx;
    y += dy;
  }
  bool operator==(const CPoint& other) const { return x == other.x && y == other.y; }
  bool operator!=(const CPoint& other) const { return !(*this == other); }
};
