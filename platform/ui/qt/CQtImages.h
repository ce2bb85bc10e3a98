#pragma once
// Pictures of the model as Qt images: a bitmap resource's pixels, and one image of an
// image list with its transparent colour made transparent.
#include <QImage>

class CBitmapResource;
class CImageList;

class CQtImages {
 public:
  static QImage FromBitmap(const CBitmapResource& bitmap);
  // An empty image for an index outside the list.
  static QImage FromImageList(const CImageList& images, int index);
};
