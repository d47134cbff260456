#pragma once
// Reads a fuzzer's input as a stream of small decisions: a byte, a number in
// a range, a run of bytes. An exhausted input reads as zeros and empty runs,
// so every target ends on its own once the bytes are used up.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantor::fuzz {

class FuzzInput {
  public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool empty() const { return at_ >= size_; }
    std::uint8_t byte() { return empty() ? 0 : data_[at_++]; }
    // One of count choices (count > 0).
    std::size_t pick(std::size_t count) { return byte() % count; }
    // A run of at most maxLength bytes, its length taken from the input.
    std::string bytes(std::size_t maxLength) { return take(pick(maxLength + 1)); }
    // Everything that is left.
    std::string rest() { return take(size_ - at_); }

  private:
    std::string take(std::size_t length) {
        length = std::min(length, size_ - std::min(at_, size_));
        std::string run(reinterpret_cast<const char*>(data_ + at_), length);
        at_ += length;
        return run;
    }
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

}  // namespace vantor::fuzz
