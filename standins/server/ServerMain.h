#pragma once
// brindle-server as a whole: opens the data folder, loads the users and the ticket key, starts
// the portal and the report server, announces their ports and runs until SIGINT or SIGTERM.
#include <memory>
#include <string>

#include "standins/common/UserDirectory.h"
#include "standins/server/DataFolder.h"
#include "standins/server/HttpServer.h"
#include "standins/server/ObjectStore.h"
#include "standins/server/PortalService.h"
#include "standins/server/PortalStore.h"
#include "standins/server/PublishRoots.h"
#include "standins/server/ReportService.h"
#include "standins/server/ServerOptions.h"

class ServerMain {
public:
    explicit ServerMain(ServerOptions options);
    ~ServerMain();

    // Everything up to listening; false with a message on failure.
    bool start(std::string& error);
    // Blocks until SIGINT or SIGTERM (which start() has blocked for every thread), then stops.
    void runUntilSignalled();
    void stop();

    std::uint16_t reportPort() const;
    std::uint16_t portalPort() const;

    static int run(int argc, char** argv);

private:
    // What an interrupted run left in the data folder: unfinished writes, unreferenced contents.
    void removeLeftovers();

    ServerOptions options_;
    DataFolder folder_;
    UserDirectory users_;
    PublishRoots publishRoots_;
    KeyedChecksum::Key ticketKey_{};
    std::unique_ptr<RequestBudget> budget_;  // shared by both ports; outlives their connections
    PortalStore portalStore_;
    ObjectStore objectStore_;
    std::unique_ptr<PortalService> portal_;
    std::unique_ptr<HttpServer> http_;
    std::unique_ptr<ReportService> report_;
};
