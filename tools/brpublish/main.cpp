// brpublish: the desktop host on the shell. Publishes a report file to the portal through
// libBRCUtil.so.
#include <iostream>
#include <string>
#include <vector>

#include "tools/brpublish/BrPublishTool.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv, argv + argc);
  return BrPublishTool(std::cin, std::cout, std::cerr).run(args);
}
