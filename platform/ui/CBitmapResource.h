#pragma once
// A bitmap resource as data: its size, how many colours it was drawn with, and its
// pixels row by row from the top, each 0x00RRGGBB.
#include <cstdint>
#include <vector>

#include "brindle/export.h"

class BRINDLE_EXPORT CBitmapResource {
 public:
  CBitmapResource() = default;
  // A width x height bitmap filled with `fill`; negative sizes are taken as 0.
  CBitmapResource(int width, int height, int colorCount, std::uint32_t fill = 0xFFFFFF);
  // A bitmap from its pixels; false (and an empty bitmap) when pixels.size() != width*height.
  bool Assign(int width, int height, int colorCount, std::vector<std::uint32_t> pixels);

  int GetWidth() const { return m_width; }
  int GetHeight() const { return m_height; }
  int GetColorCount() const { return m_colorCount; }
  bool IsEmpty() const { return m_width == 0 || m_height == 0; }
  // The pixel at (x, y); 0 outside the bitmap.
  std::uint32_t GetPixel(int x, int y) const;
  // Sets the pixel at (x, y); nothing happens outside the bitmap.
  void SetPixel(int x, int y, std::uint32_t rgb);
  void FillRect(int x, int y, int width, int height, std::uint32_t rgb);
  const std::vector<std::uint32_t>& GetPixels() const { return m_pixels; }

 private:
  int m_width = 0;
  int m_height = 0;
  int m_colorCount = 0;
  std::vector<std::uint32_t> m_pixels;
};
