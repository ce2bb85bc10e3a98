#include "standins/server/ServerOptions.h"

namespace {

bool parseNumber(const std::string& text, std::int64_t max, std::int64_t& value) {
    if (text.empty() || text.size() > 12) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return value <= max;
}

}  // namespace

const char* ServerOptions::usage() {
    return "usage: brindle-server --data DIR [--host 127.0.0.1] [--report-port 8010] [--portal-port 8020]\n"
           "                      [--users FILE] [--ticket-lifetime SECONDS]\n"
           "Serves the report server protocol and the portal (HTTP) with their state in DIR.\n"
           "Port 0 picks a free port; once both listen the server prints\n"
           "  report-port=N portal-port=M\n"
           "With --users the report server asks for a login (users file: one \"name:password\" a line).\n";
}

bool ServerOptions::parse(int argc, char** argv, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            help = true;
            return true;
        }
        std::string value;
        std::size_t eq = arg.find('=');
        std::string name = arg.substr(0, eq);
        if (eq != std::string::npos) {
            value = arg.substr(eq + 1);
        } else if (i + 1 < argc) {
            value = argv[++i];
        } else {
            error = "option " + arg + " needs a value";
            return false;
        }
        std::int64_t number = 0;
        if (name == "--data") {
            dataFolder = value;
        } else if (name == "--host") {
            host = value;
        } else if (name == "--report-port" || name == "--portal-port") {
            if (!parseNumber(value, 65535, number)) {
                error = name + " needs a port number from 0 to 65535";
                return false;
            }
            (name == "--report-port" ? reportPort : portalPort) = static_cast<std::uint16_t>(number);
        } else if (name == "--users") {
            usersFile = value;
        } else if (name == "--ticket-lifetime") {
            if (!parseNumber(value, 100LL * 365 * 24 * 3600, number)) {
                error = "--ticket-lifetime needs a number of seconds";
                return false;
            }
            ticketLifetime = number;
        } else {
            error = "unknown option " + arg;
            return false;
        }
    }
    if (dataFolder.empty()) {
        error = "--data DIR is required";
        return false;
    }
    if (host.empty()) {
        error = "--host needs a host";
        return false;
    }
    return true;
}
