#include "platform/ui/CBitmapResource.h"

#include <algorithm>

CBitmapResource::CBitmapResource(int width, int height, int colorCount, std::uint32_t fill)
    : m_width(std::max(0, width)),
      m_height(std::max(0, height)),
      m_colorCount(colorCount),
      m_pixels(static_cast<size_t>(m_width) * static_cast<size_t>(m_height), fill) {}

bool CBitmapResource::Assign(int width, int height, int colorCount, std::vector<std::uint32_t> pixels) {
  if (width < 0 || height < 0 ||
      pixels.size() != static_cast<size_t>(width) * static_cast<size_t>(height)) {
    *this = CBitmapResource();
    return false;
  }
  m_width = width;
  m_height = height;
  m_colorCount = colorCount;
  m_pixels = std::move(pixels);
  return true;
}

std::uint32_t CBitmapResource::GetPixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= m_width || y >= m_height) return 0;
  return m_pixels[static_cast<size_t>(y) * static_cast<size_t>(m_width) + static_cast<size_t>(x)];
}

void CBitmapResource::SetPixel(int x, int y, std::uint32_t rgb) {
  if (x < 0 || y < 0 || x >= m_width || y >= m_height) return;
  m_pixels[static_cast<size_t>(y) * static_cast<size_t>(m_width) + static_cast<size_t>(x)] = rgb;
}

void CBitmapResource::FillRect(int x, int y, int width, int height, std::uint32_t rgb) {
  const int x0 = std::max(0, x), y0 = std::max(0, y);
  const int x1 = std::min(m_width, x + std::max(0, width)), y1 = std::min(m_height, y + std::max(0, height));
  for (int row = y0; row < y1; ++row) {
    for (int col = x0; col < x1; ++col) SetPixel(col, row, rgb);
  }
}
