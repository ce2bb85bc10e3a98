// bradmtool: the report server from the shell, through libbradm.so.
#include <iostream>
#include <string>
#include <vector>

#include "tools/bradmtool/BradmTool.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv, argv + argc);
  return BradmTool(std::cout, std::cerr).run(args);
}
