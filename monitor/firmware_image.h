#pragma once
// The controller image that Monitor carries as resource "BIN" 129 and copies to the temporary folder at every start.
// Nothing reads it back; its content is ours: five header bytes, five 8-byte configuration rows, tagged records with
// two version texts, and filler up to the fixed size.

#include <cstddef>
#include <cstdint>
#include <vector>

inline constexpr size_t kFirmwareImageSize = 16577;
inline constexpr int kFirmwareResourceId = 129;
inline constexpr char kFirmwareVersionText[] = "KV78 controller 2.06";
inline constexpr char kFirmwareBootText[] = "KV78 boot 1.12";

std::vector<uint8_t> BuildFirmwareImage();
