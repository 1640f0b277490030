#include "monitor/firmware_image.h"

#include <cstring>

namespace {
void PutU16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void PutRecord(std::vector<uint8_t>& out, uint8_t tag, const uint8_t* data, size_t size) {
    out.push_back(tag);
    PutU16(out, static_cast<uint16_t>(size));
    out.insert(out.end(), data, data + size);
}

void PutText(std::vector<uint8_t>& out, uint8_t tag, const char* text) {
    // The text with its terminator, so a reader never runs past it.
    PutRecord(out, tag, reinterpret_cast<const uint8_t*>(text), std::strlen(text) + 1);
}
} // namespace

std::vector<uint8_t> BuildFirmwareImage() {
    std::vector<uint8_t> out;
    out.reserve(kFirmwareImageSize);
    // Header: magic "KV", format 1, five rows follow.
    const uint8_t header[5] = {'K', 'V', 0x01, 0x05, 0x00};
    out.insert(out.end(), header, header + 5);
    // Configuration rows: value, row number 0x10..0x14, 8, 0x3FFF.
    const uint16_t values[5] = {0x0078, 0x0100, 0x3E80, 0x0006, 0x0001};
    for (int row = 0; row < 5; ++row) {
        PutU16(out, values[row]);
        PutU16(out, static_cast<uint16_t>(0x10 + row));
        PutU16(out, 8);
        PutU16(out, 0x3FFF);
    }
    PutText(out, 0x01, kFirmwareVersionText);
    PutText(out, 0x02, kFirmwareBootText);
    const uint8_t ids[4] = {0x4B, 0x56, 0x78, 0x00};
    PutRecord(out, 0x03, ids, sizeof ids);

    // Controller data: a fixed pseudo-random stream, the same in every build.
    uint32_t state = 0x2F6B1D35u;
    const size_t dataSize = kFirmwareImageSize - out.size() - 3;
    std::vector<uint8_t> data(dataSize);
    for (auto& b : data) {
        state = state * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(state >> 24);
    }
    PutRecord(out, 0x7F, data.data(), data.size());
    return out;
}
