#include "tools/brpublish/PublishSteps.h"

#include <iostream>

namespace {
bool quietSteps = false;
int lastFailedCode = 0;
}

void PublishSteps::report(const std::string& step) {
  if (quietSteps) return;
  std::cerr << "brpublish: " << step << std::endl;
}

void PublishSteps::setQuiet(bool quiet) { quietSteps = quiet; }

void PublishSteps::recordReturnCode(int code) {
  if (code != 0) lastFailedCode = code;
}

int PublishSteps::lastFailedReturnCode() { return lastFailedCode; }
