// Taking typed values off the front of a fuzz input.
#pragma once

#include "core/core.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

class FuzzInput {
public:
    FuzzInput(const std::uint8_t *data, std::size_t size) : data_(data), size_(size) {}

    // A value from the next sizeof(T) bytes; 0 bits where the input ran out.
    template <class T> T take() {
        T value{};
        const std::size_t n = size_ < sizeof(T) ? size_ : sizeof(T);
        std::memcpy(&value, data_, n);
        data_ += n;
        size_ -= n;
        return value;
    }
    // The rest, two bytes to a code unit (a last odd byte is dropped).
    WideText rest_as_units() {
        WideText units(size_ / 2, u'\0');
        std::memcpy(units.data(), data_, units.size() * 2);
        data_ += size_;
        size_ = 0;
        return units;
    }
    const std::uint8_t *data() const { return data_; }
    std::size_t size() const { return size_; }

private:
    const std::uint8_t *data_;
    std::size_t size_;
};
