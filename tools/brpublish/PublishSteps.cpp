#include "tools/brpublish/PublishSteps.h"

#include <iostream>

namespace {
bool quietSteps = false;
}

void PublishSteps::report(const std::string& step) {
  if (quietSteps) return;
  std::cerr << "brpublish: " << step << std::endl;
}

void PublishSteps::setQuiet(bool quiet) { quietSteps = quiet; }
