// libbradm.so exports the bes* functions and the classes a host catches and builds, nothing else.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

const std::set<std::string> exportedFunctions = {
    "besMsgInitialize",   "besLogin",           "besLoginTicket",       "besLoginUserPassword",
    "besLogout",          "besPublishReport",   "brwebPublishReport",   "besPublishReportLumora",
    "besPublishReportEx", "besGetLumoraServerInfo", "besBulkPublish",   "besCreateObject",
    "besAppendMR",        "besCopyObject",      "besEnableObject",      "besGetProperties",
    "besList",            "besMoveObject",      "besRemoveObject",      "besRemoveFolder",
    "besRemovePath",      "besRemoveMR",        "besResetBelow",        "besResetProperties",
    "besSetProperties",   "besSetTimeouts",     "besGetLastErrorText",
};

const std::vector<std::string> exportedClasses = {
    "AttributeNode",          "AttributeTree",         "TextAttribute",
    "IntegerAttribute",       "BinaryAttribute",       "PlainIntegerAttribute",
    "AttributeTreeException", "NodeNotFoundException", "CantAlterShapeException",
    "CBRWebException",        "CBRWebIOStreamException", "CEndofStreamException",
    "AttributeTreeVisitor",
};

// Classes without virtual functions, so without type information: only the members a host's
// inline code calls are exported.
const std::set<std::string> exportedMembers = {
    "AttributeChildren::mergeRuns() const",
};

struct Symbol {
    std::string address;
    std::string type;
    std::string name;  // demangled
};

// <build>/lib/libbradm.so: the build folder comes from BRINDLE_BUILD_DIR, else from where this
// test program lives (<build>/bin).
std::string libraryPath() {
    if (const char* build = std::getenv("BRINDLE_BUILD_DIR")) {
        return std::string(build) + "/lib/libbradm.so";
    }
    char self[4096] = {};
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string bin = length > 0 ? std::string(self, static_cast<std::size_t>(length)) : "./x";
    bin.erase(bin.rfind('/'));
    return bin + "/../lib/libbradm.so";
}

// "nm -D --defined-only" of the library, demangled, or nothing when nm cannot run.
std::vector<Symbol> definedDynamicSymbols(const std::string& library) {
    const std::string command = "nm -D --defined-only --demangle '" + library + "' 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::vector<Symbol> symbols;
    if (!pipe) return symbols;
    char line[4096];
    while (std::fgets(line, sizeof line, pipe.get())) {
        std::istringstream fields(line);
        Symbol symbol;
        fields >> symbol.address >> symbol.type;
        std::getline(fields >> std::ws, symbol.name);
        symbols.push_back(symbol);
    }
    return symbols;
}

// A member, vtable or type information of one of the exported classes.
bool belongsToExportedClass(const std::string& name) {
    for (const std::string& cls : exportedClasses) {
        if (name.rfind(cls + "::", 0) == 0) return true;
        for (const char* prefix : {"vtable for ", "typeinfo for ", "typeinfo name for "}) {
            if (name == prefix + cls) return true;
        }
    }
    return false;
}

TEST(ExportList, ExactlyTheInterfaceIsVisible) {
    const std::string library = libraryPath();
    const std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(library.c_str(), "r"), ::fclose);
    ASSERT_TRUE(file != nullptr) << library << " not found (BRINDLE_BUILD_DIR)";
    const std::vector<Symbol> symbols = definedDynamicSymbols(library);
    ASSERT_FALSE(symbols.empty()) << "nm gave nothing for " << library;

    std::set<std::string> functions;
    std::set<std::string> members;
    std::set<std::string> classesSeen;
    for (const Symbol& symbol : symbols) {
        if (exportedFunctions.count(symbol.name)) {
            EXPECT_EQ(symbol.type, "T") << symbol.name;
            functions.insert(symbol.name);
            continue;
        }
        if (exportedMembers.count(symbol.name)) {
            EXPECT_EQ(symbol.type, "T") << symbol.name;
            members.insert(symbol.name);
            continue;
        }
        EXPECT_TRUE(belongsToExportedClass(symbol.name)) << "unexpected export: " << symbol.name;
        if (symbol.name.rfind("typeinfo for ", 0) == 0) classesSeen.insert(symbol.name.substr(13));
    }
    EXPECT_EQ(functions, exportedFunctions);
    EXPECT_EQ(members, exportedMembers);
    // A host catches these by type and derives its visitors, so their type information must be there.
    for (const std::string& cls : exportedClasses) {
        EXPECT_TRUE(classesSeen.count(cls)) << "no typeinfo for " << cls;
    }
}

TEST(ExportList, ResetBelowIsResetProperties) {
    const std::vector<Symbol> symbols = definedDynamicSymbols(libraryPath());
    std::string below, properties;
    for (const Symbol& symbol : symbols) {
        if (symbol.name == "besResetBelow") below = symbol.address;
        if (symbol.name == "besResetProperties") properties = symbol.address;
    }
    ASSERT_FALSE(below.empty());
    EXPECT_EQ(below, properties);
}

}  // namespace
