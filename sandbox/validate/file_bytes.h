// Bounds-checked little-endian reads from a file held in memory. Every read
// outside the file throws, so a truncated or hostile file ends as an error
// message, never as a stray read.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace plix::validate {

class FileBytes {
public:
    explicit FileBytes(const std::vector<unsigned char> &bytes) : bytes_(bytes) {}

    std::uint64_t size() const { return bytes_.size(); }

    std::uint64_t unsignedAt(std::uint64_t offset, unsigned width) const {
        require(offset, width);
        std::uint64_t value = 0;
        for (unsigned i = 0; i < width; ++i) value |= std::uint64_t{bytes_[offset + i]} << (8 * i);
        return value;
    }
    std::uint16_t u16(std::uint64_t offset) const { return static_cast<std::uint16_t>(unsignedAt(offset, 2)); }
    std::uint32_t u32(std::uint64_t offset) const { return static_cast<std::uint32_t>(unsignedAt(offset, 4)); }
    std::uint64_t u64(std::uint64_t offset) const { return unsignedAt(offset, 8); }
    unsigned char u8(std::uint64_t offset) const { return static_cast<unsigned char>(unsignedAt(offset, 1)); }

    // The zero-terminated text starting at `offset`.
    std::string textAt(std::uint64_t offset) const {
        std::string text;
        for (;; ++offset) {
            const unsigned char c = u8(offset);
            if (c == 0) return text;
            text.push_back(static_cast<char>(c));
        }
    }

private:
    void require(std::uint64_t offset, std::uint64_t width) const {
        if (offset > bytes_.size() || width > bytes_.size() - offset)
            throw std::out_of_range("the file ends before offset " + std::to_string(offset + width));
    }
    const std::vector<unsigned char> &bytes_;
};

} // namespace plix::validate
