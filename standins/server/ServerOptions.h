#pragma once
// Command line of brindle-server:
//   brindle-server --data DIR [--host 127.0.0.1] [--report-port 8010] [--portal-port 8020]
//                  [--users FILE] [--ticket-lifetime SECONDS]
// Options take their value as the next argument or after '=' (--report-port=0).
#include <cstdint>
#include <string>

struct ServerOptions {
    std::string dataFolder;
    std::string host = "127.0.0.1";
    std::uint16_t reportPort = 8010;
    std::uint16_t portalPort = 8020;
    std::string usersFile;             // empty: unsecured, no users file
    std::int64_t ticketLifetime = 3600;  // seconds after issue a ticket is still accepted
    bool help = false;

    // False with a message for the user when the command line is not valid.
    bool parse(int argc, char** argv, std::string& error);
    static const char* usage();
};
