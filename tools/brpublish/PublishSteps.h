#pragma once
// Reports the steps of a publication as they happen, one line each on standard error.
//
// The library's steps show through what a host can watch: its save callback, and the two
// functions of libbradm.so that libBRCUtil.so imports by name (besGetLumoraServerInfo to find
// the portal, besPublishReport to publish to the report server). brpublish defines those two
// itself (PublishStepHooks.cpp): the dynamic linker binds libBRCUtil.so's calls to the
// executable's definitions, which report the step and call the library's own function.
#include <string>

class PublishSteps {
 public:
  static void report(const std::string& step);
  // Quiet: nothing is reported (the hooks still forward every call).
  static void setQuiet(bool quiet);
  // The last non-zero return code of a libbradm.so call the hooks saw, 0 when there was none.
  static void recordReturnCode(int code);
  static int lastFailedReturnCode();
  // The reason libbradm.so gave for the last of its calls that failed, "" when none did.
  static void recordReason(const std::string& reason);
  static const std::string& lastReason();
};
