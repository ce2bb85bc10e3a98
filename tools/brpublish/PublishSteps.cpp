#include "tools/brpublish/PublishSteps.h"

#include <iostream>

namespace {
bool quietSteps = false;
int lastFailedCode = 0;
std::string lastFailureReason;
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

void PublishSteps::recordReason(const std::string& reason) {
  if (!reason.empty()) lastFailureReason = reason;
}

const std::string& PublishSteps::lastReason() { return lastFailureReason; }
