#include "standins/common/RequestBudget.h"

bool RequestBudget::take(std::uint64_t bytes) {
    std::uint64_t used = used_.load();
    do {
        if (bytes > limit_ || used > limit_ - bytes) return false;
    } while (!used_.compare_exchange_weak(used, used + bytes));
    return true;
}

bool RequestBudget::Share::take(std::uint64_t bytes) {
    if (!budget_) return true;
    if (!budget_->take(bytes)) return false;
    taken_ += bytes;
    return true;
}

void RequestBudget::Share::release() {
    if (budget_ && taken_ != 0) budget_->give(taken_);
    taken_ = 0;
}
