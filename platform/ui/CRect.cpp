#include "platform/ui/CRect.h"

#include <ostream>

std::ostream& operator<<(std::ostream& out, const CRect& rect) {
  return out << '(' << rect.left << ',' << rect.top << ")-(" << rect.right << ',' << rect.bottom << ')';
}
