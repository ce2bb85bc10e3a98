#include "standins/server/ServerMain.h"

#include <csignal>
#include <cstdio>
#include <iostream>
#include <sys/resource.h>
#include <unistd.h>

#include "standins/common/TicketKey.h"

namespace {

sigset_t stopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

// Every connection takes a descriptor: as many as the system lets this process have.
void raiseDescriptorLimit() {
    rlimit limit;
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

// The host in the URLs the server hands out: a wildcard address is no place to go to.
std::string publicHost(const std::string& host) {
    if (host != "0.0.0.0") return host;
    char name[256] = {};
    return gethostname(name, sizeof name - 1) == 0 && name[0] ? std::string(name) : std::string("127.0.0.1");
}

}  // namespace

ServerMain::ServerMain(ServerOptions options) : options_(std::move(options)) {}

ServerMain::~ServerMain() { stop(); }

bool ServerMain::start(std::string& error) {
    // Every thread started from here on inherits the blocked stop signals; the main thread
    // takes them with sigwait.
    sigset_t set = stopSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    raiseDescriptorLimit();

    if (!folder_.open(options_.dataFolder, error)) return false;
    if (!options_.usersFile.empty() && !users_.loadFile(options_.usersFile, error)) return false;
    std::vector<std::string> roots = options_.publishRoots;
    if (roots.empty()) roots.push_back(PublishRoots::defaultFolder());
    if (!publishRoots_.setFolders(roots, error)) return false;
    // The server's own files are never published, even from inside a root.
    publishRoots_.exclude(folder_.path());
    if (!options_.usersFile.empty()) publishRoots_.exclude(options_.usersFile);
    std::string keyFile = TicketKey::pathFor(options_.usersFile);
    if (!TicketKey::loadOrCreate(keyFile, ticketKey_, error)) return false;
    publishRoots_.exclude(keyFile);
    if (!portalStore_.open(folder_, error)) return false;

    std::int64_t maxAge = options_.ticketLifetime;
    budget_ = std::make_unique<RequestBudget>(options_.maxRequestBytes);
    portal_ = std::make_unique<PortalService>(portalStore_, folder_, maxAge, ticketKey_);
    HttpServer::Limits limits;
    limits.idleTimeoutMs = options_.idleTimeoutMs;
    limits.requestTimeoutMs = options_.requestTimeoutMs;
    limits.maxConnections = options_.maxConnections;
    limits.budget = budget_.get();
    http_ = std::make_unique<HttpServer>([this](const HttpMessage& r) { return portal_->handle(r); }, limits);
    if (!http_->listen(options_.host, options_.portalPort, error)) return false;

    std::string host = publicHost(options_.host);
    std::string portalUrl = "http://" + host + ":" + std::to_string(http_->port()) + "/lumora";
    if (!objectStore_.open(folder_, portalUrl, http_->port(), error)) return false;
    removeLeftovers();

    ReportService::Settings settings;
    settings.host = host;
    settings.portalPort = http_->port();
    settings.secured = !options_.usersFile.empty();
    settings.users = &users_;
    settings.ticketMaxAge = maxAge;
    settings.roots = &publishRoots_;
    settings.ticketKey = ticketKey_;
    settings.idleTimeoutMs = options_.idleTimeoutMs;
    settings.requestTimeoutMs = options_.requestTimeoutMs;
    settings.maxConnections = options_.maxConnections;
    settings.budget = budget_.get();
    report_ = std::make_unique<ReportService>(objectStore_, folder_, settings);
    if (!report_->listen(options_.host, options_.reportPort, error)) return false;

    http_->start();
    report_->start();
    return true;
}

void ServerMain::removeLeftovers() {
    std::set<std::string> referenced = objectStore_.referencedContents();
    for (const NewsItem& item : portalStore_.items()) referenced.insert(item.contentName);
    for (const std::string& path : folder_.removeLeftovers(referenced))
        std::cerr << "brindle-server: removed " << path << ", left behind by an interrupted write\n";
}

void ServerMain::runUntilSignalled() {
    sigset_t set = stopSignals();
    int signal = 0;
    while (sigwait(&set, &signal) != 0) {
    }
    stop();
}

void ServerMain::stop() {
    if (report_) report_->stop();
    if (http_) http_->stop();
}

std::uint16_t ServerMain::reportPort() const { return report_ ? report_->port() : 0; }
std::uint16_t ServerMain::portalPort() const { return http_ ? http_->port() : 0; }

int ServerMain::run(int argc, char** argv) {
    ServerOptions options;
    std::string output;
    switch (options.parse(argc, argv, output)) {
        case ServerOptions::Parsed::Failed:
            std::cerr << "brindle-server: " << output;
            return 2;
        case ServerOptions::Parsed::Done:
            std::cout << output;
            return 0;
        case ServerOptions::Parsed::Run:
            break;
    }
    std::string error;
    ServerMain server(options);
    if (!server.start(error)) {
        std::cerr << "brindle-server: " << error << "\n";
        return 1;
    }
    std::printf("report-port=%u portal-port=%u\n", server.reportPort(), server.portalPort());
    std::fflush(stdout);
    server.runUntilSignalled();
    return 0;
}
