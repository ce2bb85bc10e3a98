#pragma once
// The reason for the last failure of a bes* call in this thread, one line for people
// (besGetLastErrorText). The place that knows most about a failure records it first; later,
// vaguer descriptions of the same failure do not replace it.
#include <cstdint>
#include <string>

class CBRWebException;

class LastErrorText {
public:
    static const std::string& get();
    static void clear();
    // Replaces the text.
    static void set(std::string text);
    // Records text unless a reason is already recorded.
    static void setIfEmpty(const std::string& text);

    // A text for a return code that nothing more precise explained: the client's own codes,
    // or the message library's text for a server ErrorCode.
    static std::string describeCode(std::int32_t code);
    // A text for a transport failure that nothing more precise explained.
    static std::string describeException(const CBRWebException& failure);

    // Records that no session is current and returns that code (1).
    static std::int32_t noSession();
};
