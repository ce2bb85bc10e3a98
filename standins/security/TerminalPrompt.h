#pragma once
// Asks questions on the controlling terminal (/dev/tty), not on standard input, so a host that
// reads its own input keeps it. Without a controlling terminal nothing can be asked.
#include <optional>
#include <string>

#include "standins/common/UniqueFd.h"

class TerminalPrompt {
public:
    static constexpr std::size_t MaxAnswer = 256;
    // How long one answer may take before the question counts as cancelled.
    static constexpr int AnswerTimeoutMs = 5 * 60 * 1000;

    // False when the process has no controlling terminal.
    bool open();

    void say(const std::string& text);
    // One line typed by the user, without its line end; nothing at end of input, on a timeout
    // or on failure. hidden: the terminal does not echo what is typed (for passwords).
    std::optional<std::string> ask(const std::string& question, bool hidden);

private:
    std::optional<std::string> readLine();

    UniqueFd tty_;
};
