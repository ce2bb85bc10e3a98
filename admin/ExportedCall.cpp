#include "admin/ExportedCall.h"

std::recursive_mutex& ExportedCall::lock() {
    static std::recursive_mutex calls;
    return calls;
}

void ExportedCall::settle(std::int32_t result) {
    if (result == 0) {
        LastErrorText::clear();
    } else {
        LastErrorText::setIfEmpty(LastErrorText::describeCode(result));
    }
}
