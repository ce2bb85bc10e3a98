#pragma once
// The host's save step: every time the library asks for the report, the report file is copied
// to a fresh temporary path (as a desktop host saves its open report as XML), and that path is
// handed back. The copies are removed when the snapshot ends, after the publication, by which
// time the report server has read them.
#include <cstdint>
#include <string>
#include <vector>

#include "brindle/BRCUtil.h"

class ReportSnapshot {
 public:
  explicit ReportSnapshot(std::string reportFile);
  ~ReportSnapshot();
  ReportSnapshot(const ReportSnapshot&) = delete;
  ReportSnapshot& operator=(const ReportSnapshot&) = delete;

  // The SaveReportCallback to hand to the library. Its 32-bit callback value cannot carry a
  // pointer, so it reaches the one active snapshot of the process.
  static unsigned char SaveReport(std::uint32_t saveReportData, CString* reportPath,
                                  CPromptProperties* options, std::uint32_t pdfOptions);

  // Where the last copy went ("" before the first).
  const std::string& lastCopy() const { return copies_.empty() ? empty_ : copies_.back(); }

 private:
  // The path of a new copy of the report, or "" (the reason reported as a step) when it
  // cannot be made.
  std::string copyReport();

  std::string reportFile_;
  std::vector<std::string> copies_;
  std::string empty_;
  static ReportSnapshot* active_;
};
