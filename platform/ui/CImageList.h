#pragma once
// A strip of equally wide images cut from a bitmap resource, with a transparent colour.
#include <cstdint>

#include "brindle/export.h"
#include "platform/ui/CBitmapResource.h"
#include "platform/ui/CObject.h"

constexpr std::uint32_t CLR_NONE = 0xFFFFFFFFu;

class BRINDLE_EXPORT CImageList : public CObject {
  BR_DECLARE_RUNTIMECLASS(CImageList)

 public:
  CImageList();
  ~CImageList() override;

  // From bitmap resource `bitmapId` (found through the resource chain), `imageWidth`
  // pixels per image; `grow` is accepted for form. `transparent` is CLR_NONE or an RGB
  // colour. False when the bitmap is unknown, the width is not positive or larger than the
  // bitmap, or the list is made already.
  bool Create(unsigned bitmapId, int imageWidth, int grow, std::uint32_t transparent);
  bool Create(const CBitmapResource& bitmap, int imageWidth, int grow, std::uint32_t transparent);
  bool IsCreated() const { return m_imageWidth > 0; }
  void DeleteImageList();

  // Whole images only: a bitmap 68 wide in images 17 wide holds 4.
  int GetImageCount() const;
  int GetImageWidth() const { return m_imageWidth; }
  int GetImageHeight() const { return m_bitmap.GetHeight(); }
  std::uint32_t GetTransparentColor() const { return m_transparent; }
  // Pixel (x, y) of image `index`; 0 outside.
  std::uint32_t GetPixel(int index, int x, int y) const;
  bool IsTransparent(int index, int x, int y) const;

 private:
  CBitmapResource m_bitmap;
  int m_imageWidth = 0;
  std::uint32_t m_transparent = CLR_NONE;
};
