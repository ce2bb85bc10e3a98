#pragma once
// Command line of brindle-server (brindle-server --help lists it). Options take their value as
// the next argument or after '=' (--report-port=0).
#include <cstdint>
#include <string>
#include <vector>

struct ServerOptions {
    std::string dataFolder;
    std::string host = "127.0.0.1";
    std::uint16_t reportPort = 8010;
    std::uint16_t portalPort = 8020;
    std::string usersFile;             // empty: unsecured, no users file
    std::int64_t ticketLifetime = 3600;  // seconds after issue a ticket is still accepted
    std::vector<std::string> publishRoots;  // empty: the system's temporary folder
    int requestTimeoutMs = 30 * 1000;       // a whole request, from its first byte
    int idleTimeoutMs = 300 * 1000;         // a connection with no request under way
    std::size_t maxConnections = 1024;      // per port
    std::uint64_t maxRequestBytes = 256ull * 1024 * 1024;  // requests in flight, whole server

    enum class Parsed { Run, Done, Failed };
    // Run: serve with these options. Done: help or version was asked for, and output holds
    // it. Failed: the command line is not valid, and output holds the message and the usage.
    Parsed parse(int argc, char** argv, std::string& output);
};
