#pragma once
// One publishing run: signs the user on, connects to the portal, sends the portal's XML
// requests and judges their replies, and publishes the host's report as a NewsItem.
// Created by an entry point for one call and destroyed before it returns; destruction
// closes the portal connection. The wizard pages read and write the fields directly.

#include <cstdint>
#include <memory>

#include "brindle/BRCUtil.h"
#include "platform/ui/CObject.h"
#include "platform/ui/CString.h"
#include "portal/NewsBoxTreeState.h"
#include "portal/PortalServices.h"
#include "portal/xml/CXMLDocument.h"

class PortalPublisher : public CObject {
 public:
  // Binds the real outside libraries. options and pdfOptions may be none.
  PortalPublisher(SaveReportCallback saveReport, std::uint32_t saveReportData,
                  CPromptProperties* options, std::uint32_t* pdfOptions);
  // Talks to the given systems; a missing one is bound to the real library.
  PortalPublisher(SaveReportCallback saveReport, std::uint32_t saveReportData,
                  CPromptProperties* options, std::uint32_t* pdfOptions,
                  brindle::portal::PortalServices services);
  ~PortalPublisher() override;
  PortalPublisher(const PortalPublisher&) = delete;
  PortalPublisher& operator=(const PortalPublisher&) = delete;

  // Connected, logged on and the writable NewsBoxes listed.
  bool Open(CString& error);
  // Signs on with the security library; m_strTicket holds the ticket.
  bool SignOn(CString& error);
  // Finds the portal's address when none is known and logs on; m_hPortal is set.
  bool ConnectPortal(CString& error);
  // m_newsBoxes holds the writable NewsBoxes, at least one.
  bool ListNewsBoxes();
  // Sends one request (opening the connection first when needed), parses the reply into
  // document and judges it with CheckResult.
  bool SendRequest(const char* request, CXMLDocument& document, CString& error);
  // True when the reply's Result.Standard_Result has ResultCode "Success" in any letter
  // case. Another code: error becomes the reply's Message, else the code. A reply without
  // a result fails and leaves error as it was.
  bool CheckResult(const CXMLDocument& document, CString& error);
  // m_strNewsBoxId becomes the Id of the listed NewsBox whose FullName equals fullName
  // ignoring letter case.
  bool FindNewsBox(const CString& fullName);
  bool CreateNewsItem(CString& error);
  bool SetNewsItemProperties(CString& error);
  void DeleteNewsItem();
  // Reads the known NewsItem's name and description (and its NewsBox Id into
  // m_strExistingNewsBoxId, which decides the result).
  bool FillNewsItemFields(CString& name, CString& description);
  void ClosePortal();
  bool CanFinish() const;

  // Publishes the report and creates or updates the NewsItem that points at it; a new
  // NewsItem is deleted again when its report could not be published.
  bool Publish(CString& error);
  // Publishes the report again for the known NewsItem and updates the item.
  bool Republish(CString& error);
  // Has the host save the report and publishes the file to the report server under the
  // NewsItem's Id; m_strReportUrl holds its URL.
  bool PublishReport(CString& error);

  LC_HANDLE m_hPortal = 0;
  CString m_strPortalAddress;
  CString m_strNewsItemName;
  CString m_strDescription;
  CString m_strNewsBoxName;
  CString m_strNewsBoxId;
  CPromptProperties* m_pOptions;
  std::uint32_t* m_pPdfOptions;
  SaveReportCallback m_pfnSaveReport;
  std::uint32_t m_saveReportData;
  CString m_strNewsItemId;
  CString m_strExistingNewsBoxId;
  CString m_strExistingName;
  CString m_strReportUrl;
  CString m_strTicket;
  CString m_strReportServer;
  CString m_strUserName;
  CString m_strPassword;
  // The wizard's NewsBox tree bookkeeping; none outside the wizard.
  std::unique_ptr<NewsBoxTreeState> m_pNewsBoxTreeState;
  CXMLDocument m_newsBoxes;
  std::int32_t m_bCreateNew = 1;

 private:
  bool DerivePortalAddress(CString& error);
  std::int32_t LogOnToPortal(LC_HANDLE& handle);
  bool UpdatesKnownItem() const;
  bool ChooseNewsBox(CString& error);
  bool CreatePublishedNewsItem(CString& error);
  void TakeUrlFromDescribedItem(const CXMLElement& item);
  std::string ReceiveReply(const char* request);

  brindle::portal::PortalServices m_services;
};
