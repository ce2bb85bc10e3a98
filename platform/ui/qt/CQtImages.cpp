#include "platform/ui/qt/CQtImages.h"

#include "platform/ui/CBitmapResource.h"
#include "platform/ui/CImageList.h"

QImage CQtImages::FromBitmap(const CBitmapResource& bitmap) {
  QImage image(bitmap.GetWidth(), bitmap.GetHeight(), QImage::Format_RGB32);
  for (int y = 0; y < bitmap.GetHeight(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < bitmap.GetWidth(); ++x) row[x] = 0xFF000000u | bitmap.GetPixel(x, y);
  }
  return image;
}

QImage CQtImages::FromImageList(const CImageList& images, int index) {
  if (index < 0 || index >= images.GetImageCount()) return QImage();
  QImage image(images.GetImageWidth(), images.GetImageHeight(), QImage::Format_ARGB32);
  for (int y = 0; y < image.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      row[x] = images.IsTransparent(index, x, y) ? 0u : (0xFF000000u | images.GetPixel(index, x, y));
    }
  }
  return image;
}
