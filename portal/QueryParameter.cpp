#include "portal/QueryParameter.h"

namespace brindle::portal {

CString QueryParameter(const CString& url, const char* key) {
  if (url.IsEmpty()) return CString();
  const CString pattern = CString(key) + "=";
  const int at = url.Find(pattern);
  if (at < 0) return CString();
  const int first = at + pattern.GetLength();
  const int end = url.Find('&', first);
  return end < 0 ? url.Mid(first) : url.Mid(first, end - first);
}

}  // namespace brindle::portal
