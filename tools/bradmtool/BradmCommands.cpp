#include "tools/bradmtool/BradmCommands.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <limits>
#include <memory>

#include "brindle/bradm.h"
#include "tools/bradmtool/JsonTree.h"
#include "tools/bradmtool/ObjectListing.h"
#include "tools/bradmtool/PropertyAssignments.h"
#include "tools/bradmtool/ToolFailure.h"
#include "tools/bradmtool/TreeDocumentDecoder.h"
#include "tools/bradmtool/TreePrinter.h"
#include "tools/support/UsageError.h"

namespace {

using Session = CommandDefinition::Session;
constexpr std::size_t Unlimited = std::numeric_limits<std::size_t>::max();
// Room for the URL the report server answers a publish with; the same size the portal
// publishing flow offers.
constexpr std::int32_t UrlCapacity = 3072;
constexpr std::int32_t PortCapacity = 12;
// The shortest references besAppendMR adds and besRemoveMR removes; shorter ones would be
// dropped without a word, so the tool refuses them.
constexpr std::size_t ShortestAddedReference = 5;
constexpr std::size_t ShortestRemovedReference = 7;

const std::string& operand(const CommandArguments& arguments, std::size_t index) {
  return arguments.operands()[index];
}

void printTree(CommandContext& context, const AttributeTree& tree) {
  if (context.json)
    JsonTree::print(context.out, JsonTree::of(tree));
  else
    TreePrinter(context.out).outline(tree);
}

// --- Reading ------------------------------------------------------------------------------

void runList(CommandContext& context, const CommandArguments& arguments) {
  AttributeTree tree;
  context.login();
  ToolFailure::check(besList(operand(arguments, 0).c_str(), &tree), operand(arguments, 0));
  if (context.json || arguments.has("long"))
    printTree(context, tree);
  else
    ObjectListing(tree).print(context.out);
}

void printFields(CommandContext& context, const std::string& path,
                 const std::vector<std::string>& fields, const AttributeTree& query) {
  std::vector<std::string> missing;
  Json found = Json::object();
  for (const std::string& field : fields) {
    const auto* leaf = static_cast<const TextAttribute*>(query.find(field.c_str()));
    if (leaf->isSet() == 0) {
      missing.push_back(field);
      continue;
    }
    if (context.json)
      found[JsonTree::text(field)] = JsonTree::text(leaf->text());
    else
      context.out << field << " = " << TreePrinter::quoted(leaf->text()) << '\n';
  }
  if (context.json) JsonTree::print(context.out, found);
  if (!missing.empty()) {
    std::string names;
    for (const std::string& name : missing) names += (names.empty() ? "" : ", ") + name;
    throw ToolFailure(path + " has no field " + names);
  }
}

void runGet(CommandContext& context, const CommandArguments& arguments) {
  const std::string& path = operand(arguments, 0);
  const int depth = CommandArguments::parseInteger(arguments.value("depth", "-1"), "--depth");
  const int thumbnail = arguments.has("thumbnail") ? 1 : 0;
  const std::vector<std::string> fields = arguments.values("field");
  AttributeTree tree;
  // With fields the tree is a query: the library fills its leaves (as texts) from the object.
  for (const std::string& field : fields) {
    if (field.find_first_not_of(".{}") == std::string::npos)
      throw UsageError("--field needs a property name");
    tree.setText(field.c_str(), "");
  }
  for (const std::string& field : fields) {
    const AttributeNode* node = nullptr;
    try {
      node = tree.find(field.c_str());
    } catch (const NodeNotFoundException&) {
    }
    if (node == nullptr || node->kind() != NodeKind::Text)
      throw UsageError("--field " + field + " lies inside another field");
  }
  context.login();
  ToolFailure::check(besGetProperties(path.c_str(), depth, thumbnail, &tree), path);
  if (fields.empty())
    printTree(context, tree);
  else
    printFields(context, path, fields, tree);
}

// --- Changing properties ------------------------------------------------------------------

std::vector<std::string> assignmentsOf(const CommandArguments& arguments) {
  return std::vector<std::string>(arguments.operands().begin() + 1, arguments.operands().end());
}

void runSet(CommandContext& context, const CommandArguments& arguments) {
  const AttributeTree properties = PropertyAssignments::parse(assignmentsOf(arguments));
  context.login();
  ToolFailure::check(besSetProperties(operand(arguments, 0).c_str(), &properties),
                     operand(arguments, 0));
}

void runReset(CommandContext& context, const CommandArguments& arguments) {
  const AttributeTree value = PropertyAssignments::parse(assignmentsOf(arguments));
  context.login();
  ToolFailure::check(besResetProperties(operand(arguments, 0).c_str(), &value),
                     operand(arguments, 0));
}

// --- Objects ------------------------------------------------------------------------------

void runCreate(CommandContext& context, const CommandArguments& arguments) {
  const std::string description = arguments.value("description");
  const std::string source = arguments.value("source");
  const std::string mirrors = arguments.value("mirrors");
  context.login();
  ToolFailure::check(besCreateObject(operand(arguments, 0).c_str(), operand(arguments, 1).c_str(),
                                     description.c_str(), source.c_str(), mirrors.c_str()),
                     operand(arguments, 1));
}

void runCopy(CommandContext& context, const CommandArguments& arguments) {
  context.login();
  ToolFailure::check(besCopyObject(operand(arguments, 0).c_str(), operand(arguments, 1).c_str()),
                     operand(arguments, 0));
}

void runMove(CommandContext& context, const CommandArguments& arguments) {
  context.login();
  ToolFailure::check(besMoveObject(operand(arguments, 0).c_str(), operand(arguments, 1).c_str()),
                     operand(arguments, 0));
}

void runRemove(CommandContext& context, const CommandArguments& arguments) {
  const char* path = operand(arguments, 0).c_str();
  context.login();
  const std::int32_t code = arguments.has("recursive") ? besRemoveFolder(path) : besRemoveObject(path);
  ToolFailure::check(code, operand(arguments, 0));
}

void sendCommand(CommandContext& context, const CommandArguments& arguments, const char* word) {
  context.login();
  ToolFailure::check(besEnableObject(operand(arguments, 0).c_str(), word),
                     operand(arguments, 0));
}

void runEnable(CommandContext& context, const CommandArguments& arguments) {
  sendCommand(context, arguments, "ENABLE");
}
void runDisable(CommandContext& context, const CommandArguments& arguments) {
  sendCommand(context, arguments, "DISABLE");
}
void runKill(CommandContext& context, const CommandArguments& arguments) {
  sendCommand(context, arguments, "KILL");
}

void requireReferenceLengths(const std::string& references, std::size_t shortest) {
  std::size_t begin = 0;
  bool any = false;
  while (begin <= references.size()) {
    std::size_t end = references.find(';', begin);
    if (end == std::string::npos) end = references.size();
    const std::string piece = references.substr(begin, end - begin);
    if (!piece.empty()) {
      if (piece.size() < shortest)
        throw UsageError("mirror reference '" + piece + "' is shorter than " +
                         std::to_string(shortest) + " bytes");
      any = true;
    }
    begin = end + 1;
  }
  if (!any) throw UsageError("no mirror reference given");
}

void runMirrorsAdd(CommandContext& context, const CommandArguments& arguments) {
  requireReferenceLengths(operand(arguments, 1), ShortestAddedReference);
  context.login();
  ToolFailure::check(besAppendMR(operand(arguments, 0).c_str(), operand(arguments, 1).c_str()),
                     operand(arguments, 0));
}

void runMirrorsRemove(CommandContext& context, const CommandArguments& arguments) {
  requireReferenceLengths(operand(arguments, 1), ShortestRemovedReference);
  context.login();
  ToolFailure::check(besRemoveMR(operand(arguments, 0).c_str(), operand(arguments, 1).c_str()),
                     operand(arguments, 0));
}

void runRemovePath(CommandContext& context, const CommandArguments& arguments) {
  context.login();
  ToolFailure::check(besRemovePath(operand(arguments, 0).c_str(), 0),
                     operand(arguments, 0));
}

void runBulkPublish(CommandContext& context, const CommandArguments& arguments) {
  context.login();
  ToolFailure::check(besBulkPublish(operand(arguments, 0).c_str()),
                     operand(arguments, 0));
}

// --- Publishing and the portal --------------------------------------------------------------

// The report server reads the file itself, so it gets an absolute path.
std::string readableAbsolutePath(const std::string& file) {
  std::ifstream probe(file, std::ios::binary);
  if (!probe) throw ToolFailure("cannot read the report file " + file);
  std::unique_ptr<char, decltype(&std::free)> resolved(realpath(file.c_str(), nullptr), &std::free);
  if (!resolved) throw ToolFailure("cannot resolve the path of " + file);
  return resolved.get();
}

void runPublish(CommandContext& context, const CommandArguments& arguments) {
  const std::string& name = operand(arguments, 0);
  const std::string file = readableAbsolutePath(operand(arguments, 1));
  const std::string description = arguments.value("description");
  char url[UrlCapacity] = {};
  ToolFailure::check(besPublishReport(context.server.c_str(), name.c_str(), description.c_str(),
                                      file.c_str(), url, UrlCapacity),
                     name);
  if (context.json)
    JsonTree::print(context.out, Json{{"url", JsonTree::text(url)}});
  else
    context.out << url << '\n';
}

void runPortalInfo(CommandContext& context, const CommandArguments&) {
  char url[UrlCapacity] = {};
  char port[PortCapacity] = {};
  ToolFailure::check(besGetLumoraServerInfo(context.server.c_str(), url, UrlCapacity, port,
                                            PortCapacity),
                     context.server);
  if (context.json)
    JsonTree::print(context.out, Json{{"url", JsonTree::text(url)}, {"port", JsonTree::numberOrText(port)}});
  else
    context.out << "url=" << url << "\nport=" << port << '\n';
}

// --- Captured traffic -----------------------------------------------------------------------

std::vector<unsigned char> readAll(std::istream& in) {
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in),
                                    std::istreambuf_iterator<char>());
}

void printDocuments(CommandContext& context, const TreeDocumentDecoder::Result& result) {
  if (context.json) {
    Json documents = Json::array();
    for (const auto& document : result.documents)
      documents.push_back(Json{{"offset", document.offset}, {"tree", JsonTree::of(*document.node)}});
    JsonTree::print(context.out, Json{{"preamble", result.preamble}, {"documents", documents}});
    return;
  }
  TreePrinter printer(context.out, /*showFlags=*/true);
  if (result.preamble) context.out << "connection preamble 00 00 00 09\n";
  std::size_t number = 0;
  for (const auto& document : result.documents) {
    ++number;
    const bool branch = document.node->kind() == NodeKind::Branch;
    context.out << "document " << number << " at byte " << document.offset
                << (branch ? "" : " (leaf)") << '\n';
    if (branch)
      printer.outline(static_cast<const AttributeTree&>(*document.node), 2);
    else
      printer.outlineLeaf("value", *document.node, 2);
  }
}

void runDecode(CommandContext& context, const CommandArguments& arguments) {
  std::vector<unsigned char> bytes;
  if (arguments.operands().empty() || operand(arguments, 0) == "-") {
    bytes = readAll(std::cin);
  } else {
    std::ifstream file(operand(arguments, 0), std::ios::binary);
    if (!file) throw ToolFailure("cannot read " + operand(arguments, 0));
    bytes = readAll(file);
  }
  const TreeDocumentDecoder::Result result = TreeDocumentDecoder::decode(bytes);
  printDocuments(context, result);
  if (!result.error.empty())
    throw ToolFailure("byte " + std::to_string(result.errorOffset) + ": " + result.error);
}

}  // namespace

const std::vector<CommandDefinition>& BradmCommands::all() {
  static const std::vector<CommandDefinition> commands = {
      {"list", "PATH [--long]", "list the objects in a folder",
       "Prints the folder's \"Content\", one object a line: its class, revision, status\n"
       "(\"Status\", or - when it has none) and name. --long prints each object with all its\n"
       "properties as an outline; --json prints all of them as JSON.\n"
       "\n"
       "  --long   every object with all its properties\n",
       {{"long", false}}, 1, 1, Session::LoggedIn, runList},
      {"get", "PATH [--depth N] [--thumbnail] [--field NAME]...",
       "show an object's properties",
       "Prints the object's description and properties. With --field, prints only the named\n"
       "properties (dotted names reach into branches), as texts; a property the object lacks\n"
       "is an error after the others are printed.\n"
       "\n"
       "  --depth N      levels of properties to read (-1, the default: all)\n"
       "  --thumbnail    ask for the thumbnail too\n"
       "  --field NAME   print only this property (repeatable)\n",
       {{"depth", true}, {"thumbnail", false}, {"field", true}}, 1, 1, Session::LoggedIn, runGet},
      {"set", "PATH NAME=VALUE...", "merge properties into an object",
       "Merges the properties into the object's current value and writes it back under its\n"
       "revision. NAME=VALUE stores a text, NAME:=NUMBER an integer; dotted names make\n"
       "branches (FLD.Publish.Lumora_port:=8020).\n",
       {}, 2, Unlimited, Session::LoggedIn, runSet},
      {"reset", "PATH NAME=VALUE...", "write exactly these properties as an object's value",
       "Writes the given properties as the object's value under its current revision; the\n"
       "object's other properties are not sent. Assignments as for 'set'.\n",
       {}, 2, Unlimited, Session::LoggedIn, runReset},
      {"create", "CLASS NAME [--description D] [--source S] [--mirrors M]", "create an object",
       "Creates the object NAME (a path) of class CLASS.\n"
       "\n"
       "  --description D   its \"Description\"\n"
       "  --source S        its \"LocalSource\"\n"
       "  --mirrors M       its \"Mirrors\", stored as given\n",
       {{"description", true}, {"source", true}, {"mirrors", true}}, 2, 2, Session::LoggedIn,
       runCreate},
      {"copy", "PATH NEW", "copy an object", "Copies the object PATH to NEW.\n", {}, 2, 2,
       Session::LoggedIn, runCopy},
      {"move", "PATH NEW", "move or rename an object", "Moves the object PATH to NEW.\n", {}, 2,
       2, Session::LoggedIn, runMove},
      {"remove", "PATH [--recursive]", "remove an object",
       "Removes the object. A folder needs --recursive, which removes everything below it.\n"
       "\n"
       "  --recursive   remove a folder with its contents\n",
       {{"recursive", false}}, 1, 1, Session::LoggedIn, runRemove},
      {"enable", "PATH", "enable an object",
       "Sends the command ENABLE to the object under its current revision.\n", {}, 1, 1,
       Session::LoggedIn, runEnable},
      {"disable", "PATH", "disable an object",
       "Sends the command DISABLE to the object under its current revision.\n", {}, 1, 1,
       Session::LoggedIn, runDisable},
      {"kill", "PATH", "stop what an object is running",
       "Sends the command KILL to the object under its current revision.\n", {}, 1, 1,
       Session::LoggedIn, runKill},
      {"mirrors add", "PATH REFS", "add mirror references",
       "Adds the \";\"-separated references (5 bytes or more each) to the object's \"Mirrors\"\n"
       "as lpwq://REF; the list stays ordered and free of duplicates, ignoring letter case.\n",
       {}, 2, 2, Session::LoggedIn, runMirrorsAdd},
      {"mirrors remove", "PATH REFS", "remove mirror references",
       "Removes the \";\"-separated references (7 bytes or more each) from the object's\n"
       "\"Mirrors\", ignoring letter case.\n",
       {}, 2, 2, Session::LoggedIn, runMirrorsRemove},
      {"remove-path", "PATH", "empty an object's \"Path\"",
       "Empties the object's \"Path\" property.\n", {}, 1, 1, Session::LoggedIn, runRemovePath},
      {"bulk-publish", "PATH", "bulk-publish an object", "Asks the server to bulk-publish the object.\n",
       {}, 1, 1, Session::LoggedIn, runBulkPublish},
      {"publish", "NAME FILE [--description D]", "publish a report file, print its URL",
       "Publishes the report file FILE under NAME and prints the URL the server answers. The\n"
       "server reads the file itself, so it must be on the server's machine.\n"
       "\n"
       "  --description D   the report's description\n",
       {{"description", true}}, 2, 2, Session::PerCall, runPublish},
      {"portal-info", "", "print the portal's URL and port",
       "Prints the portal settings of the server's root object as url=URL and port=PORT.\n", {},
       0, 0, Session::PerCall, runPortalInfo},
      {"decode", "[FILE]", "print tree documents from a capture",
       "Reads tree documents in the report server's binary format from FILE (or standard\n"
       "input, also for \"-\") and prints each with its byte offset, isSet flags as [set].\n"
       "A leading connection preamble is skipped.\n",
       {}, 0, 1, Session::None, runDecode},
  };
  return commands;
}

const CommandDefinition* BradmCommands::find(const std::string& name) {
  for (const CommandDefinition& command : all())
    if (name == command.name) return &command;
  return nullptr;
}
