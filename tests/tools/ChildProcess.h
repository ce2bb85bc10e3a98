#pragma once
// Runs a program of the build to its end and collects what it wrote: standard input from a
// text, standard output and standard error captured, a deadline after which it is killed.
// WithTerminal runs it in a session of its own whose controlling terminal is a
// pseudo-terminal, for programs that ask on the terminal; answers are typed there when a
// prompt appears.
#include <string>
#include <utility>
#include <vector>

struct ChildResult {
  int status = -1;        // exit status; 128 + N when ended by signal N
  bool timedOut = false;  // killed at the deadline
  std::string out;
  std::string err;        // with a terminal: everything written to the terminal
};

struct ChildOptions {
  std::string input;                    // standard input
  std::vector<std::string> environment;  // NAME=VALUE set in the child; NAME alone removes it
  int timeoutMs = 30000;
  // With a terminal: (prompt, answer) pairs, answered in order as each prompt shows.
  std::vector<std::pair<std::string, std::string>> terminalAnswers;
  // With a terminal: standard input is the terminal too, not a pipe fed with input.
  bool inputFromTerminal = false;
};

class ChildProcess {
 public:
  static ChildResult Run(const std::vector<std::string>& argv, const ChildOptions& options = {});
  static ChildResult WithTerminal(const std::vector<std::string>& argv, const ChildOptions& options);
};
