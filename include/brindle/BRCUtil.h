#pragma once
// libBRCUtil.so: publishes the host's open report to the web portal as a NewsItem.
//
// A publication signs the user on with the security library, finds and logs on to the
// portal, has the host save the report through its callback, publishes the saved file to
// the report server (libbradm.so) under the NewsItem's Id, and creates or updates the
// NewsItem so that it points at the published report. Every call works on the host's
// thread, blocks until done and keeps nothing once it returns.
//
// Results are 8-bit booleans: 1 success, 0 failure. Failures are reported as texts in the
// caller's error string: the library's own messages, "Cancelled" when the user cancelled
// the logon dialog, or texts of the security and portal libraries.
//
// Host strings (CString*) are read when the call starts and assigned only on success, so a
// failed call leaves the caller's NewsItem Id and portal address as they were.
#include <cstdint>

#include "brindle/export.h"
#include "platform/ui/CObject.h"
#include "platform/ui/CString.h"
#include "platform/ui/CStringArray.h"
#include "platform/ui/CStringList.h"

class CWnd;

// The host's report prompt options: what readers of the published report may change.
// Copying copies the five switches, the whole list and the extra value.
class BRINDLE_EXPORT CPromptProperties {
 public:
  CPromptProperties();
  CPromptProperties(const CPromptProperties& other);
  CPromptProperties& operator=(const CPromptProperties& other);
  virtual ~CPromptProperties();

  std::int32_t m_bDimensionLineFiltering = 0;  // the reader may filter dimension lines
  std::int32_t m_bCurrency = 0;                // the reader may change the currency
  std::int32_t m_bLongShortNames = 0;          // ... switch long and short category names
  std::int32_t m_bZeroSuppression = 0;         // ... switch zero suppression
  std::int32_t m_bSwap = 0;                    // ... swap rows and columns
  CStringList m_filterableLines;               // keys of the lines the reader may filter
  std::int32_t m_nExtra = 0;                   // the host's own; carried, never read
};

// Bits of the PDF options word (bit 0 is the lowest). The PDF options page writes bits 2 to
// 9 and 19 from its controls, passes the host bits through as noted and clears bits 20-31.
constexpr std::uint32_t BR_PDF_NO_CURRENCY = 0x1;            // currency switch unavailable
constexpr std::uint32_t BR_PDF_NO_LONG_SHORT_NAMES = 0x2;    // name switch unavailable
constexpr std::uint32_t BR_PDF_PRINT_PAGE_LAYOUT = 0x4;
constexpr std::uint32_t BR_PDF_PRINT_SELECTED_DISPLAYS = 0x8;
constexpr std::uint32_t BR_PDF_PRINT_ENTIRE_REPORT = 0x10;
constexpr std::uint32_t BR_PDF_AXES_ON_ALL_PAGES = 0x20;
constexpr std::uint32_t BR_PDF_SUMMARY_ROW_ON_ALL_PAGES = 0x40;
constexpr std::uint32_t BR_PDF_SUMMARY_COLUMN_ON_ALL_PAGES = 0x80;
constexpr std::uint32_t BR_PDF_TITLE_ON_ALL_PAGES = 0x100;
constexpr std::uint32_t BR_PDF_INCLUDE_LEGEND = 0x200;
constexpr std::uint32_t BR_PDF_HOST_BIT_10 = 0x400;             // passed through
constexpr std::uint32_t BR_PDF_HOST_BIT_11 = 0x800;             // passed through unless bit 10
constexpr std::uint32_t BR_PDF_HOST_BIT_12 = 0x1000;            // passed through only with bit 18
constexpr std::uint32_t BR_PDF_HOST_BIT_13 = 0x2000;            // passed through
constexpr std::uint32_t BR_PDF_SELECTED_SUMMARIES = 0x4000;     // with bit 15: summary boxes in
                                                                // selected-display mode
constexpr std::uint32_t BR_PDF_SELECTED_ENABLES_ALL = 0x8000;   // selected-display mode enables
                                                                // axes, legend and title
constexpr std::uint32_t BR_PDF_ALLOW_SUMMARY_ROW = 0x10000;
constexpr std::uint32_t BR_PDF_ALLOW_SUMMARY_COLUMN = 0x20000;
constexpr std::uint32_t BR_PDF_HOST_BIT_18 = 0x40000;           // passed through
constexpr std::uint32_t BR_PDF_FONT_SUBSTITUTION = 0x80000;
constexpr std::uint32_t BR_PDF_DEFINED_BITS = 0xFFFFF;          // bits 0-19

// The display kind: the kind of the report's current display, 0 to 8.
constexpr int BR_DISPLAY_KIND_LAST = 8;

// The host saves its open report as an XML file. Arguments: the host's value given with
// the call, the string to receive the saved file's path, the wizard's options record (none
// without the wizard) and the PDF options word (0 without one). Returns nonzero when the
// report was saved in XML format and the path was set.
using SaveReportCallback = unsigned char (*)(std::uint32_t saveReportData, CString* reportPath,
                                             CPromptProperties* options,
                                             std::uint32_t pdfOptions);

extern "C" {

// Publishes the report as a NewsItem without any window. With an empty *newsItemId a new
// NewsItem named newsItemName is created in the writable NewsBox whose full name ("/"
// separated) equals newsBoxFullName ignoring letter case; with a known Id that item is
// updated. An empty *portalAddress is read from the report server. An empty userName signs
// on through the security library's logon dialog. reportServer is "host" or "host:port".
// On success *newsItemId and *portalAddress receive the item's Id and the portal address;
// on failure *errorText receives why.
BRINDLE_EXPORT unsigned char brPublishToLumoraNoUi(
    const char* newsItemName, const char* description, const char* newsBoxFullName,
    const char* reportServer, CString* portalAddress, SaveReportCallback saveReport,
    std::uint32_t saveReportData, const char* userName, const char* password, CString* errorText,
    CString* newsItemId);

// Publishes the report again for the known NewsItem *newsItemId and updates that item.
// Arguments and results as brPublishToLumoraNoUi.
BRINDLE_EXPORT unsigned char brRepublishToLumoraNoUi(
    const char* description, const char* reportServer, CString* portalAddress,
    SaveReportCallback saveReport, std::uint32_t saveReportData, const char* userName,
    const char* password, CString* errorText, CString* newsItemId);

// Publishes through the four-page wizard. Both sign the user on and open the portal (an
// error other than a cancelled logon is shown in a message box), then run the wizard with
// the driver the host chose for the framework (CUiApp::SetDriver); the pages publish at
// Finish. After a Finish *newsItemId (and, for brPublishToLumora2, *portalAddress) receive
// the NewsItem's Id and the portal address, *options the edited options, and a message box
// says so; the result is 1. After Cancel nothing is handed back and the result is 0. The
// PDF options page writes *pdfOptions in place when the user leaves it with Back or Finish.
BRINDLE_EXPORT unsigned char brPublishToLumora(CWnd* ownerWindow, const char* documentName,
                                               const char* reportServer, SaveReportCallback saveReport,
                                               std::uint32_t saveReportData, const CStringArray* lineKeys,
                                               const CStringArray* lineNames, CPromptProperties* options,
                                               std::uint32_t* pdfOptions, int displayKind,
                                               CString* newsItemId);

BRINDLE_EXPORT unsigned char brPublishToLumora2(CWnd* ownerWindow, const char* documentName,
                                                const char* reportServer, CString* portalAddress,
                                                SaveReportCallback saveReport, std::uint32_t saveReportData,
                                                const CStringArray* lineKeys, const CStringArray* lineNames,
                                                CPromptProperties* options, std::uint32_t* pdfOptions,
                                                int displayKind, CString* newsItemId);

}  // extern "C"
