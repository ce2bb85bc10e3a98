#pragma once
// The value of a parameter in a URL's query: everything after the first occurrence of
// key followed by "=" (a plain substring search, so "E" also matches inside "DATE=")
// up to the next "&" or the end. The empty text when the key does not occur.

#include "platform/ui/CString.h"

namespace brindle::portal {

CString QueryParameter(const CString& url, const char* key);

}  // namespace brindle::portal
