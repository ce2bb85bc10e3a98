#include "tools/bradmtool/PropertyAssignments.h"

#include "tools/support/CommandArguments.h"
#include "tools/support/UsageError.h"

AttributeTree PropertyAssignments::parse(const std::vector<std::string>& assignments) {
  AttributeTree tree;
  for (const std::string& assignment : assignments) {
    const std::size_t equals = assignment.find('=');
    if (equals == std::string::npos)
      throw UsageError("'" + assignment + "' is not NAME=VALUE or NAME:=NUMBER");
    const bool integer = equals > 0 && assignment[equals - 1] == ':';
    const std::string name = assignment.substr(0, integer ? equals - 1 : equals);
    const std::string value = assignment.substr(equals + 1);
    if (name.find_first_not_of(".{}") == std::string::npos)
      throw UsageError("'" + assignment + "' has no property name");
    AttributeNode* stored = nullptr;
    if (integer)
      stored = tree.setInteger(name.c_str(),
                               CommandArguments::parseInteger(value, "the value of " + name));
    else
      stored = tree.setText(name.c_str(), value.c_str());
    stored->setIsSet(1);
  }
  return tree;
}
