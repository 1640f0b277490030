#include "option/skin/bmp_header.h"

namespace {

std::uint32_t U16(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0] | p[1] << 8);
}

std::uint32_t U32(const std::uint8_t* p) {
    return U16(p) | U16(p + 2) << 16;
}

struct BmpInfo {
    std::int64_t width = 0, height = 0;
    std::uint32_t planes = 0, bits = 0, compression = 0, colours = 0;
};

// The fields of either information header: the old 12-byte one has no compression and no colour count.
BmpInfo ReadInfo(const std::uint8_t* info, bool core) {
    BmpInfo b;
    if (core) {
        b.width = U16(info + 4);
        b.height = U16(info + 6);
        b.planes = U16(info + 8);
        b.bits = U16(info + 10);
    } else {
        b.width = static_cast<std::int32_t>(U32(info + 4));
        b.height = static_cast<std::int32_t>(U32(info + 8));
        b.planes = U16(info + 12);
        b.bits = U16(info + 14);
        b.compression = U32(info + 16);
        b.colours = U32(info + 32);
    }
    if (b.height < 0) {
        b.height = -b.height; // top-down rows
    }
    return b;
}

bool SaneShape(const BmpInfo& b) {
    // Skin pictures are a few hundred pixels a side; 32768 keeps every size below sensible and the products in range.
    constexpr std::int64_t kMaxSide = 32768;
    if (b.width <= 0 || b.height <= 0 || b.width > kMaxSide || b.height > kMaxSide || b.planes != 1) {
        return false;
    }
    return b.bits == 1 || b.bits == 4 || b.bits == 8 || b.bits == 16 || b.bits == 24 || b.bits == 32;
}

} // namespace

bool BmpFitsFile(const std::uint8_t* head, std::size_t headSize, std::uint64_t fileSize) {
    if (headSize < 18 || headSize > fileSize || head[0] != 'B' || head[1] != 'M') {
        return false;
    }
    const std::uint64_t offBits = U32(head + 10);
    const std::uint32_t infoSize = U32(head + 14);
    const bool core = infoSize == 12;
    if (!core && infoSize != 40 && infoSize != 52 && infoSize != 56 && infoSize != 108 && infoSize != 124) {
        return false;
    }
    if (14 + infoSize > headSize) {
        return false;
    }
    BmpInfo b = ReadInfo(head + 14, core);
    if (!SaneShape(b)) {
        return false;
    }
    const bool runLength = (b.compression == 1 && b.bits == 8) || (b.compression == 2 && b.bits == 4);
    const bool bitFields = b.compression == 3 && (b.bits == 16 || b.bits == 32);
    if (b.compression != 0 && !runLength && !bitFields) {
        return false;
    }
    if (b.bits <= 8 && b.colours == 0) {
        b.colours = 1u << b.bits;
    }
    if (b.colours > 256 && b.bits <= 8) {
        return false;
    }
    // A 40-byte header is followed by the three colour masks of a bit-field picture.
    const std::uint64_t masks = bitFields && infoSize == 40 ? 12 : 0;
    const std::uint64_t table = 14 + infoSize + masks + static_cast<std::uint64_t>(b.colours) * (core ? 3 : 4);
    if (table > fileSize || offBits < 14 + infoSize || offBits >= fileSize) {
        return false;
    }
    if (runLength) {
        return true;
    }
    const std::uint64_t stride = (static_cast<std::uint64_t>(b.width) * b.bits + 31) / 32 * 4;
    return offBits + stride * static_cast<std::uint64_t>(b.height) <= fileSize;
}
