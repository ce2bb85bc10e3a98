#pragma once
// A width and height in pixels.
struct CSize {
  int cx = 0;
  int cy = 0;

  CSize() = default;
  CSize(int width, int height) : cx(width), cy(height) {}
  bool operator==(const CSize& other) const { return cx == other.cx && cy == other.cy; }
  bool operator!=(const CSize& other) const { return !(*this == other); }
};
