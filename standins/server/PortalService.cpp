#include "standins/server/PortalService.h"

#include <ctime>

#include "portal/xml/CXMLDocument.h"
#include "portal/xml/CXMLMemorySource.h"
#include "standins/common/Ticket.h"
#include "standins/server/XmlText.h"

namespace {

const char* const XmlType = "text/xml; charset=utf-8";

std::string success(const std::string& rest = std::string()) {
    return "<Result><Standard_Result ResultCode=\"Success\"/>" + rest + "</Result>";
}

std::string failure(const char* code, const std::string& message) {
    std::string out = "<Result><Standard_Result ResultCode=\"";
    out += code;
    out += "\">";
    appendElement(out, "Message", message);
    out += "</Standard_Result></Result>";
    return out;
}

std::string failure(PortalStore::Status status, const std::string& message) {
    switch (status) {
        case PortalStore::Status::NotFound: return failure("NotFound", message);
        case PortalStore::Status::AccessDenied: return failure("AccessDenied", message);
        case PortalStore::Status::StorageFailed: return failure("ServerError", message);
        case PortalStore::Status::Ok: break;
    }
    return success();
}

HttpResponse xml(int status, const char* reason, std::string body) {
    HttpResponse r;
    r.status = status;
    r.reason = reason;
    r.contentType = XmlType;
    r.body = std::move(body);
    return r;
}

std::string childText(const CXMLElement& element, const char* name) {
    const CXMLElement* child = element.FindChild(name);
    return child ? child->GetValue() : std::string();
}

std::vector<NewsAction> readActions(const CXMLElement& request) {
    std::vector<NewsAction> actions;
    for (const CXMLElement* a = request.FindChild("Action"); a; a = a->FindNextSibling("Action"))
        actions.push_back({childText(*a, "Name"), childText(*a, "Label"), childText(*a, "URL")});
    return actions;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string percentDecode(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out.push_back(' ');
        } else if (text[i] == '%' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 && hexDigit(text[i + 2]) >= 0) {
            out.push_back(static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2])));
            i += 2;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

std::string percentEncode(const std::string& text) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
            c == '.' || c == '~') {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back('%');
            out.push_back(digits[c >> 4]);
            out.push_back(digits[c & 15]);
        }
    }
    return out;
}

std::string parentPath(const std::string& fullName) {
    std::size_t slash = fullName.rfind('/');
    return slash == 0 || slash == std::string::npos ? std::string() : fullName.substr(0, slash);
}

}  // namespace

PortalService::PortalService(PortalStore& store, const DataFolder& folder, std::int64_t ticketMaxAge,
                             const KeyedChecksum::Key& ticketKey)
    : store_(store), folder_(folder), ticketMaxAge_(ticketMaxAge), ticketKey_(ticketKey) {}

std::map<std::string, std::string> PortalService::queryParameters(const std::string& target) {
    std::map<std::string, std::string> params;
    std::size_t q = target.find('?');
    if (q == std::string::npos) return params;
    std::string query = target.substr(q + 1);
    std::size_t start = 0;
    while (start <= query.size()) {
        std::size_t amp = query.find('&', start);
        std::string pair = query.substr(start, amp == std::string::npos ? std::string::npos : amp - start);
        std::size_t eq = pair.find('=');
        if (!pair.empty())
            params.emplace(percentDecode(pair.substr(0, eq)),
                           eq == std::string::npos ? std::string() : percentDecode(pair.substr(eq + 1)));
        if (amp == std::string::npos) break;
        start = amp + 1;
    }
    return params;
}

HttpResponse PortalService::handle(const HttpMessage& request) {
    std::string path = request.target.substr(0, request.target.find('?'));
    if (path == "/lumora" && request.method == "GET") return portalEntry();
    if (path == "/lumora/logon" || path == "/lumora") {
        if (request.method != "POST") {
            HttpResponse r = HttpResponse::text(405, "Method Not Allowed", "Use POST.\n");
            r.headers.emplace_back("Allow", path == "/lumora" ? "GET, HEAD, POST" : "POST");
            return r;
        }
        return path == "/lumora" ? lumoraRequest(request) : logOn(request);
    }
    if (path == "/" || path == "/gateway") {
        if (request.method != "GET") return HttpResponse::text(405, "Method Not Allowed", "Use GET.\n");
        return path == "/" ? homePage() : gateway(request.target);
    }
    return HttpResponse::text(404, "Not Found", "Nothing here.\n");
}

bool PortalService::checkTicket(const HttpMessage& request, std::string& user, std::string& message) const {
    const std::string* text = request.header("X-Lumora-Ticket");
    if (!text || text->empty()) {
        message = "No ticket was sent.";
        return false;
    }
    auto ticket = Ticket::decode(*text, ticketKey_);
    if (!ticket) {
        message = "The ticket is not valid.";
        return false;
    }
    if (!ticket->validAt(static_cast<std::int64_t>(std::time(nullptr)), ticketMaxAge_)) {
        message = "The ticket has expired.";
        return false;
    }
    user = ticket->user;
    return true;
}

HttpResponse PortalService::logOn(const HttpMessage& request) {
    std::string user, message;
    if (!checkTicket(request, user, message)) return xml(401, "Unauthorized", failure("NotLoggedOn", message));
    std::string body;
    appendElement(body, "User", user);
    return xml(200, "OK", success(body));
}

HttpResponse PortalService::lumoraRequest(const HttpMessage& request) {
    std::string user, message;
    if (!checkTicket(request, user, message)) return xml(200, "OK", failure("NotLoggedOn", message));

    CXMLDocument document;
    document.SetFlags(XML_MERGE_TEXT | XML_FRAGMENT);
    CXMLMemorySource source;
    source.SetText(request.body + "\n");
    bool parsed = document.Parse(source);
    const CXMLElement* root = document.GetRoot();
    if (!parsed || !root || root->GetKind() != XML_KIND_ELEMENT)
        return xml(200, "OK", failure("BadRequest", "The request is not XML: " + document.GetErrorMessage()));
    const std::string& kind = root->GetName();
    std::string reply;
    if (kind == "DescribeNewsBox") reply = describeNewsBoxes(*root, user);
    else if (kind == "CreateNewsItem") reply = createNewsItem(*root, user);
    else if (kind == "SetNewsItemProperties") reply = setNewsItemProperties(*root, user);
    else if (kind == "DescribeNewsItem") reply = describeNewsItem(*root);
    else if (kind == "DeleteNewsItem") reply = deleteNewsItem(*root, user);
    else reply = failure("BadRequest", "Unknown request \"" + kind + "\".");
    return xml(200, "OK", std::move(reply));
}

std::string PortalService::describeNewsBoxes(const CXMLElement& request, const std::string& user) {
    bool writableOnly = false;
    if (const CXMLElement* filter = request.FindChild("Filter"))
        for (const CXMLElement* c = filter->FindChild("Condition"); c; c = c->FindNextSibling("Condition")) {
            if (c->GetValue() == "up.canwrite") writableOnly = true;
            else return failure("BadRequest", "Unknown filter condition \"" + c->GetValue() + "\".");
        }
    std::vector<NewsBox> boxes = store_.boxes();
    std::map<std::string, std::string> idByName;
    for (const NewsBox& box : boxes) idByName[box.fullName] = box.id;
    std::string out;
    for (const NewsBox& box : boxes) {
        bool writable = PortalStore::canWrite(box, user);
        if (writableOnly && !writable) continue;
        out += "<NewsBox>";
        appendElement(out, "Id", box.id);
        appendElement(out, "Name", box.fullName.substr(box.fullName.rfind('/') + 1));
        appendElement(out, "FullName", box.fullName);
        auto parent = idByName.find(parentPath(box.fullName));
        appendElement(out, "ParentId", parent == idByName.end() ? std::string() : parent->second);
        appendElement(out, "Description", box.description);
        appendElement(out, "CanWrite", writable ? "1" : "0");
        out += "</NewsBox>";
    }
    return success(out);
}

std::string PortalService::createNewsItem(const CXMLElement& request, const std::string& user) {
    NewsItem item;
    item.name = childText(request, "Name");
    item.parentId = childText(request, "ParentId");
    if (item.name.empty() || item.parentId.empty())
        return failure("BadRequest", "A NewsItem needs a Name and a ParentId.");
    item.providerType = childText(request, "ProviderType");
    item.description = childText(request, "Description");
    item.defaultAction = childText(request, "DefaultAction");
    item.actions = readActions(request);
    std::string message;
    PortalStore::Status s = store_.create(user, item, message);
    if (s != PortalStore::Status::Ok) return failure(s, message);
    std::string out;
    appendElement(out, "Id", item.id);
    return success(out);
}

std::string PortalService::setNewsItemProperties(const CXMLElement& request, const std::string& user) {
    std::string id = childText(request, "Id");
    if (id.empty()) return failure("BadRequest", "SetNewsItemProperties needs an Id.");
    std::vector<NewsAction> actions = readActions(request);
    auto change = [&](NewsItem& item) {
        const struct {
            const char* element;
            std::string NewsItem::*field;
        } fields[] = {{"Name", &NewsItem::name},
                      {"Description", &NewsItem::description},
                      {"BIGateway", &NewsItem::biGateway},
                      {"ContentName", &NewsItem::contentName},
                      {"DefaultAction", &NewsItem::defaultAction},
                      {"ProviderType", &NewsItem::providerType}};
        for (const auto& f : fields)
            if (const CXMLElement* e = request.FindChild(f.element)) item.*f.field = e->GetValue();
        if (!actions.empty()) item.actions = actions;
    };
    std::string message;
    PortalStore::Status s = store_.update(user, id, change, message);
    return s == PortalStore::Status::Ok ? success() : failure(s, message);
}

std::string PortalService::describeNewsItem(const CXMLElement& request) {
    std::string id = childText(request, "Id");
    if (id.empty()) return failure("BadRequest", "DescribeNewsItem needs an Id.");
    NewsItem item;
    std::string message;
    PortalStore::Status s = store_.describe(id, item, message);
    if (s != PortalStore::Status::Ok) return failure(s, message);
    std::string out;
    appendNewsItem(out, item, NewsItemForm::Reply);
    return success(out);
}

std::string PortalService::deleteNewsItem(const CXMLElement& request, const std::string& user) {
    std::string id = childText(request, "Id");
    if (id.empty()) return failure("BadRequest", "DeleteNewsItem needs an Id.");
    std::string message;
    PortalStore::Status s = store_.remove(user, id, message);
    return s == PortalStore::Status::Ok ? success() : failure(s, message);
}

HttpResponse PortalService::portalEntry() {
    HttpResponse r;
    r.contentType = "text/html; charset=utf-8";
    r.body =
        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Lumora portal</title></head><body>\n"
        "<p>This is the portal's address for programs, which send their requests here with POST.</p>\n"
        "<p>The portal's page is <a href=\"/\">here</a>.</p>\n</body></html>\n";
    return r;
}

HttpResponse PortalService::homePage() {
    std::vector<NewsBox> boxes = store_.boxes();
    std::vector<NewsItem> items = store_.items();
    std::string html =
        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Lumora portal</title></head><body>\n"
        "<h1>NewsBoxes</h1>\n<ul>\n";
    for (const NewsBox& box : boxes) {
        html += "<li>";
        appendEscaped(html, box.fullName);
        if (!box.writers.empty()) html += " <small>(restricted)</small>";
        std::string list;
        for (const NewsItem& item : items) {
            if (item.parentId != box.id) continue;
            list += "<li>";
            bool linked = !item.biGateway.empty() && !item.contentName.empty();
            if (linked) {
                list += "<a href=\"";
                appendEscaped(list, "/gateway?DC=R&E=" + percentEncode(item.contentName));
                list += "\">";
            }
            appendEscaped(list, item.name);
            if (linked) list += "</a>";
            if (!item.description.empty()) {
                list += " &mdash; ";
                appendEscaped(list, item.description);
            }
            list += " <small>[" + escaped(item.id) + "]</small></li>\n";
        }
        if (!list.empty()) html += "\n<ul>\n" + list + "</ul>\n";
        html += "</li>\n";
    }
    html += "</ul>\n</body></html>\n";
    HttpResponse r;
    r.contentType = "text/html; charset=utf-8";
    r.body = std::move(html);
    return r;
}

HttpResponse PortalService::gateway(const std::string& target) {
    auto params = queryParameters(target);
    auto dc = params.find("DC");
    auto content = params.find("E");
    if (dc == params.end() || dc->second != "R" || content == params.end())
        return HttpResponse::text(400, "Bad Request", "Expected /gateway?DC=R&E=CONTENT.\n");
    if (!DataFolder::validContentName(content->second) || !folder_.hasContent(content->second))
        return HttpResponse::text(404, "Not Found", "No report is stored under that content name.\n");
    HttpResponse r;
    std::string error;
    if (!folder_.readContent(content->second, r.body, error))
        return HttpResponse::text(500, "Internal Server Error", "The report cannot be read.\n");
    r.contentType = "text/xml";
    r.headers.emplace_back("Content-Disposition", "inline; filename=\"" + content->second + ".xml\"");
    return r;
}
