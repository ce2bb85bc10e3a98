#pragma once
// The string table of libBRCUtil.so: ids 2000 to 2011 and their texts, exactly as
// the user sees them (the double blanks in 2007 and 2009 and the blank before the
// full stop in 2009 belong to the texts).

#include "platform/ui/CResourceModule.h"
#include "platform/ui/CString.h"

namespace brindle::portal {

enum PortalStringId : unsigned {
  IDS_PUBLISHED = 2000,
  IDS_WIZARD_NEXT = 2001,
  IDS_WIZARD_FINISH = 2002,
  IDS_CONNECT_FAILED = 2003,
  IDS_SAVE_FAILED = 2004,
  IDS_SIGN_ON_FAILED = 2005,
  IDS_PORTAL_LOGON_FAILED = 2006,
  IDS_NEWSBOXES_UNAVAILABLE = 2007,
  IDS_PUBLISH_FAILED = 2008,
  IDS_NEWSITEM_MISSING = 2009,
  IDS_NEWSBOX_NOT_FOUND = 2010,
  IDS_NO_PUBLISHING_RIGHTS = 2011,
};

extern const CResourceModule::StringEntry kPortalStrings[12];

// The text of one of our messages as the resource chain answers it, so a host can
// replace it; our own table's text when the chain has none (the library's module is
// not attached, as in a program linking the publisher directly).
CString PortalMessage(PortalStringId id);

}  // namespace brindle::portal
