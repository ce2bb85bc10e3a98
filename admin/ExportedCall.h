#pragma once
// The frame of every exported bes* call: calls from several threads queue on one lock (the
// interface serves one call at a time; this makes breaking that rule safe), the thread's last
// error text starts empty, and the call's outcome is described there when it fails.
#include <cstdint>
#include <mutex>
#include <type_traits>

#include "admin/LastErrorText.h"
#include "common/AttributeTreeException.h"
#include "common/CBRWebException.h"

class ExportedCall {
public:
    static std::recursive_mutex& lock();

    // Runs body, which returns the call's code (or, for the few calls without one, anything).
    template <typename Body>
    static auto run(Body body) -> decltype(body()) {
        std::lock_guard<std::recursive_mutex> guard(lock());
        LastErrorText::clear();
        try {
            auto result = body();
            if constexpr (std::is_same_v<decltype(result), std::int32_t>) settle(result);
            return result;
        } catch (const CBRWebException& failure) {
            LastErrorText::setIfEmpty(LastErrorText::describeException(failure));
            throw;
        } catch (const AttributeTreeException&) {
            LastErrorText::setIfEmpty("the report server's reply lacks a field the call needs");
            throw;
        }
    }

private:
    static void settle(std::int32_t result);
};
