#pragma once
// Reads a fuzz input as a script: texts from the front, numbers and choices from the back (the
// layout libFuzzer's data provider uses, so inputs minimise well). A text ends at a backslash
// followed by any byte other than a backslash; two backslashes stand for one. Whatever has run
// out reads as empty text or as the smallest value.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <type_traits>

namespace fuzzing {

class ByteScript {
public:
    ByteScript(const std::uint8_t* data, std::size_t size) : data_(data), remaining_(size) {}

    std::size_t remaining_bytes() const { return remaining_; }

    std::string ConsumeRandomLengthString(std::size_t maxLength) {
        std::string text;
        for (std::size_t i = 0; i < maxLength && remaining_ != 0; ++i) {
            char next = static_cast<char>(take());
            if (next == '\\' && remaining_ != 0) {
                next = static_cast<char>(take());
                if (next != '\\') break;
            }
            text += next;
        }
        return text;
    }

    template <typename T>
    T ConsumeIntegralInRange(T min, T max) {
        static_assert(std::is_integral<T>::value, "integral types only");
        const std::uint64_t range = static_cast<std::uint64_t>(max) - static_cast<std::uint64_t>(min);
        std::uint64_t result = 0;
        std::size_t offset = 0;
        while (offset < sizeof(T) * 8 && (range >> offset) > 0 && remaining_ != 0) {
            --remaining_;
            result = (result << 8) | data_[remaining_];
            offset += 8;
        }
        if (range != std::numeric_limits<std::uint64_t>::max()) result = result % (range + 1);
        return static_cast<T>(static_cast<std::uint64_t>(min) + result);
    }

    template <typename T>
    T ConsumeIntegral() {
        return ConsumeIntegralInRange(std::numeric_limits<T>::min(), std::numeric_limits<T>::max());
    }

    bool ConsumeBool() { return (ConsumeIntegral<std::uint8_t>() & 1) != 0; }

    template <typename T, std::size_t N>
    T PickValueInArray(const T (&values)[N]) {
        return values[ConsumeIntegralInRange<std::size_t>(0, N - 1)];
    }

private:
    std::uint8_t take() {
        const std::uint8_t byte = *data_++;
        --remaining_;
        return byte;
    }

    const std::uint8_t* data_;
    std::size_t remaining_;
};

}  // namespace fuzzing
