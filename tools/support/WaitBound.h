#pragma once
// The tools' --timeout SECONDS: a bound on connecting and on each wait for an answer, 60 s
// unless given, 0 for none. Also the reasons that come from a bound running out.
#include <string>

class CommandArguments;

class WaitBound {
 public:
  static constexpr int DefaultSeconds = 60;

  // Milliseconds of --timeout (the default when it is not given); throws UsageError for a
  // value that is not a number of seconds from 0 to one day.
  static int milliseconds(const CommandArguments& arguments);

  // A reason from the libraries about a wait that ran out ("no reply from ...", "no connection
  // to ..."), with what to check added; any other reason as it is.
  static std::string withTimeoutAdvice(const std::string& reason, const std::string& what);
};
