#pragma once
// The portal half of brindle-server, behind HttpServer:
//   POST /lumora/logon   checks the ticket of the X-Lumora-Ticket header (200 or 401)
//   GET  /lumora         a short HTML page that links to the portal's page /
//   POST /lumora         one XML request (DescribeNewsBox, CreateNewsItem, SetNewsItemProperties,
//                        DescribeNewsItem, DeleteNewsItem), checked against the ticket; the
//                        answer is always an XML <Result> with its Standard_Result
//   GET  /               an HTML page of the NewsBoxes and their NewsItems
//   GET  /gateway?DC=R&E=CONTENT   the stored report
// (HttpServer answers HEAD for each GET resource.)
#include <cstdint>
#include <map>
#include <string>

#include "standins/common/KeyedChecksum.h"
#include "standins/server/DataFolder.h"
#include "standins/server/HttpServer.h"
#include "standins/server/PortalStore.h"

class CXMLElement;

class PortalService {
public:
    // ticketMaxAge: seconds after its issue that a ticket is still accepted (-1: until the
    // ticket's own expiry).
    PortalService(PortalStore& store, const DataFolder& folder, std::int64_t ticketMaxAge,
                  const KeyedChecksum::Key& ticketKey);

    HttpResponse handle(const HttpMessage& request);

    static std::map<std::string, std::string> queryParameters(const std::string& target);

private:
    bool checkTicket(const HttpMessage& request, std::string& user, std::string& message) const;
    HttpResponse logOn(const HttpMessage& request);
    HttpResponse lumoraRequest(const HttpMessage& request);
    HttpResponse homePage();
    // What a browser gets at the programs' address: a short page that links to the portal's page.
    HttpResponse portalEntry();
    HttpResponse gateway(const std::string& target);

    std::string describeNewsBoxes(const CXMLElement& request, const std::string& user);
    std::string createNewsItem(const CXMLElement& request, const std::string& user);
    std::string setNewsItemProperties(const CXMLElement& request, const std::string& user);
    std::string describeNewsItem(const CXMLElement& request);
    std::string deleteNewsItem(const CXMLElement& request, const std::string& user);

    PortalStore& store_;
    const DataFolder& folder_;
    std::int64_t ticketMaxAge_;
    KeyedChecksum::Key ticketKey_;
};
