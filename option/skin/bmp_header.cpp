#include "option/skin/bmp_header.h"

namespace {

std::uint32_t U16(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0] | p[1] << 8);
}

std::uint32_t U32(const std::uint8_t* p) {
    return U16(p) | U16(p + 2) << 16;
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
    const std::uint8_t* info = head + 14;
    std::int64_t width, height;
    std::uint32_t planes, bits, compression = 0, colours = 0;
    if (core) {
        width = U16(info + 4);
        height = U16(info + 6);
        planes = U16(info + 8);
        bits = U16(info + 10);
    } else {
        width = static_cast<std::int32_t>(U32(info + 4));
        height = static_cast<std::int32_t>(U32(info + 8));
        planes = U16(info + 12);
        bits = U16(info + 14);
        compression = U32(info + 16);
        colours = U32(info + 32);
    }
    if (height < 0) {
        height = -height; // top-down rows
    }
    // Skin pictures are a few hundred pixels a side; 32768 keeps every size below sensible and the products in range.
    constexpr std::int64_t kMaxSide = 32768;
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide || planes != 1) {
        return false;
    }
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        return false;
    }
    const bool runLength = (compression == 1 && bits == 8) || (compression == 2 && bits == 4);
    const bool bitFields = compression == 3 && (bits == 16 || bits == 32);
    if (compression != 0 && !runLength && !bitFields) {
        return false;
    }
    if (bits <= 8 && colours == 0) {
        colours = 1u << bits;
    }
    if (colours > 256 && bits <= 8) {
        return false;
    }
    // A 40-byte header is followed by the three colour masks of a bit-field picture.
    const std::uint64_t masks = bitFields && infoSize == 40 ? 12 : 0;
    const std::uint64_t table = 14 + infoSize + masks + static_cast<std::uint64_t>(colours) * (core ? 3 : 4);
    if (table > fileSize || offBits < 14 + infoSize || offBits >= fileSize) {
        return false;
    }
    if (runLength) {
        return true;
    }
    const std::uint64_t stride = (static_cast<std::uint64_t>(width) * bits + 31) / 32 * 4;
    return offBits + stride * static_cast<std::uint64_t>(height) <= fileSize;
}
