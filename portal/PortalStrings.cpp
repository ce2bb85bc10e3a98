#include "portal/PortalStrings.h"

#include "platform/ui/CResourceChain.h"

namespace brindle::portal {

const CResourceModule::StringEntry kPortalStrings[12] = {
    {IDS_PUBLISHED, "A NewsItem was successfully published or updated."},
    {IDS_WIZARD_NEXT, "&Next >"},
    {IDS_WIZARD_FINISH, "&Finish"},
    {IDS_CONNECT_FAILED, "Failed to connect to Lumora."},
    {IDS_SAVE_FAILED, "Failed to save the Brindle report in XML format."},
    {IDS_SIGN_ON_FAILED, "Login to Sentrel failed."},
    {IDS_PORTAL_LOGON_FAILED, "Login to Lumora failed."},
    {IDS_NEWSBOXES_UNAVAILABLE, "Failed to get  the available NewsBoxes from the Lumora server."},
    {IDS_PUBLISH_FAILED, "Failed to publish the report to Brindle Enterprise Server."},
    {IDS_NEWSITEM_MISSING,
     "Failed to re-publish the report because the  NewsItem information is missing ."},
    {IDS_NEWSBOX_NOT_FOUND, "Failed to find NewsBox."},
    {IDS_NO_PUBLISHING_RIGHTS, "You do not have publishing rights to any NewsBoxes."},
};

CString PortalMessage(PortalStringId id) {
  CString text;
  if (CResourceChain::LoadString(id, text)) return text;
  for (const auto& entry : kPortalStrings) {
    if (entry.id == id) return CString(entry.text);
  }
  return text;
}

}  // namespace brindle::portal
