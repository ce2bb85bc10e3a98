#include "platform/ui/CImageList.h"

#include "platform/ui/CResourceChain.h"

BR_IMPLEMENT_RUNTIMECLASS(CImageList, CObject)

CImageList::CImageList() = default;

CImageList::~CImageList() = default;

bool CImageList::Create(unsigned bitmapId, int imageWidth, int grow, std::uint32_t transparent) {
  const CBitmapResource* bitmap = CResourceChain::FindBitmap(bitmapId);
  return bitmap && Create(*bitmap, imageWidth, grow, transparent);
}

bool CImageList::Create(const CBitmapResource& bitmap, int imageWidth, int, std::uint32_t transparent) {
  if (IsCreated() || imageWidth <= 0 || imageWidth > bitmap.GetWidth() || bitmap.GetHeight() <= 0) return false;
  m_bitmap = bitmap;
  m_imageWidth = imageWidth;
  m_transparent = transparent;
  return true;
}

void CImageList::DeleteImageList() {
  m_bitmap = CBitmapResource();
  m_imageWidth = 0;
  m_transparent = CLR_NONE;
}

int CImageList::GetImageCount() const { return IsCreated() ? m_bitmap.GetWidth() / m_imageWidth : 0; }

std::uint32_t CImageList::GetPixel(int index, int x, int y) const {
  if (index < 0 || index >= GetImageCount() || x < 0 || x >= m_imageWidth) return 0;
  return m_bitmap.GetPixel(index * m_imageWidth + x, y);
}

bool CImageList::IsTransparent(int index, int x, int y) const {
  if (m_transparent == CLR_NONE || index < 0 || index >= GetImageCount()) return false;
  if (x < 0 || x >= m_imageWidth || y < 0 || y >= GetImageHeight()) return false;
  return GetPixel(index, x, y) == m_transparent;
}
