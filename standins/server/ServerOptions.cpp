#include "standins/server/ServerOptions.h"

#include <CLI/CLI.hpp>
#include <sstream>

#ifndef BRINDLE_VERSION
#define BRINDLE_VERSION "0"
#endif

namespace {

constexpr const char* Description =
    "Serves the report server protocol and the portal (HTTP) with their state in DIR.\n"
    "Port 0 picks a free port; once both listen the server prints\n"
    "  report-port=N portal-port=M";

constexpr const char* Footer =
    "Publishing reads only regular files inside the publish roots (default: the system's\n"
    "temporary folder, TMPDIR or /tmp); the path is resolved (symbolic links, \"..\") first.\n"
    "With --users every request needs a login (users file: one \"name:password\" a line).\n"
    "Tickets are signed with the key in the file FILE.key beside the users file, or without\n"
    "--users in /tmp/brindle-ticket-UID.key; it is made at random (mode 0600) when missing.\n"
    "The security libraries find the same key through BRINDLE_USERS.";

// Seconds (fractions allowed) as milliseconds, at least one.
CLI::Option* addSeconds(CLI::App& app, const char* name, int& milliseconds, const char* help) {
    return app
        .add_option_function<double>(
            name,
            [&milliseconds](const double& seconds) {
                milliseconds = static_cast<int>(seconds * 1000 + 0.5);
                if (milliseconds < 1) milliseconds = 1;
            },
            help)
        ->check(CLI::Range(0.001, 24.0 * 3600));
}

}  // namespace

ServerOptions::Parsed ServerOptions::parse(int argc, char** argv, std::string& output) {
    // The usage line comes first, as with the tools; what the server does follows the options.
    CLI::App app("", "brindle-server");
    app.set_help_flag("-h,--help", "Print this help and exit");
    app.set_version_flag("--version", std::string("brindle-server ") + BRINDLE_VERSION);
    app.footer(std::string(Description) + "\n\n" + Footer);
    app.get_formatter()->column_width(34);
    app.add_option("--data", dataFolder, "Data folder (made when missing)")->required()->type_name("DIR");
    app.add_option("--host", host, "Address to listen on")->capture_default_str()->type_name("HOST");
    app.add_option("--report-port", reportPort, "Report server port (0: a free one)")
        ->capture_default_str()->type_name("PORT");
    app.add_option("--portal-port", portalPort, "Portal (HTTP) port (0: a free one)")
        ->capture_default_str()->type_name("PORT");
    app.add_option("--users", usersFile, "Users file: every request then needs a login")->type_name("FILE");
    app.add_option("--ticket-lifetime", ticketLifetime, "Seconds after its issue a ticket is accepted")
        ->capture_default_str()->check(CLI::Range(std::int64_t{0}, std::int64_t{100} * 365 * 24 * 3600))
        ->type_name("SECONDS");
    app.add_option("--publish-root", publishRoots, "Folder whose files may be published (repeatable)")
        ->type_name("DIR");
    addSeconds(app, "--request-timeout", requestTimeoutMs, "Deadline of a whole request from its first byte")
        ->type_name("SECONDS")->default_str("30");
    addSeconds(app, "--idle-timeout", idleTimeoutMs, "Deadline of a connection with no request under way")
        ->type_name("SECONDS")->default_str("300");
    app.add_option("--max-connections", maxConnections, "Connections per port; one more is closed at once")
        ->capture_default_str()->check(CLI::Range(std::size_t{1}, std::size_t{100000}))->type_name("N");
    app.add_option("--max-request-bytes", maxRequestBytes,
                   "Memory for requests in flight, whole server; beyond it large requests are refused")
        ->capture_default_str()->check(CLI::Range(std::uint64_t{1024}, std::uint64_t{1} << 40))
        ->type_name("BYTES");
    std::ostringstream out, err;
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        int code = app.exit(e, out, err);
        output = out.str() + err.str();
        return code == 0 ? Parsed::Done : Parsed::Failed;
    }
    if (host.empty()) {
        output = "--host needs a host\n";
        return Parsed::Failed;
    }
    return Parsed::Run;
}
