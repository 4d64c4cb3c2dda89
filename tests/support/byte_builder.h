// Builds record-file bytes by hand from the documented layout, for golden and hostile
// fixtures: little-endian numbers, strings as length + 1 followed by the text and a zero.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

class ByteBuilder {
public:
    ByteBuilder& U8(std::uint8_t v) { return Raw(&v, 1); }
    ByteBuilder& U16(std::uint16_t v) { return Little(v, 2); }
    ByteBuilder& U32(std::uint32_t v) { return Little(v, 4); }
    ByteBuilder& I32(std::int32_t v) { return Little(static_cast<std::uint32_t>(v), 4); }
    ByteBuilder& F64(double v) {
        std::uint64_t bits;
        std::memcpy(&bits, &v, 8);
        return Little(bits, 8);
    }
    // A stored string: empty is the length 1 alone.
    ByteBuilder& Str(std::string_view text) {
        U32(static_cast<std::uint32_t>(text.size() + 1));
        if (!text.empty()) {
            Raw(text.data(), text.size());
            U8(0);
        }
        return *this;
    }
    ByteBuilder& Raw(const void* p, std::size_t n) {
        const auto* b = static_cast<const std::uint8_t*>(p);
        bytes.insert(bytes.end(), b, b + n);
        return *this;
    }
    ByteBuilder& Bytes(const std::vector<std::uint8_t>& more) {
        bytes.insert(bytes.end(), more.begin(), more.end());
        return *this;
    }

    std::vector<std::uint8_t> bytes;

private:
    ByteBuilder& Little(std::uint64_t v, int n) {
        for (int i = 0; i < n; ++i) bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        return *this;
    }
};
