#pragma once
// Whether the start of a Windows bitmap file describes a picture that the file can hold: the picture decoders
// trust the headers and read past the end of a damaged or hostile file.

#include <cstddef>
#include <cstdint>

// The bytes needed to judge a file: the file header and the largest information header.
inline constexpr std::size_t kBmpHeaderBytes = 14 + 124;

// `head` holds the first `headSize` bytes of a file of `fileSize` bytes that starts with "BM". True when the
// information header is one the system knows, the sizes are positive and sane, and the colour table and the rows
// (uncompressed) or the start of the packed data (run-length) lie inside the file.
bool BmpFitsFile(const std::uint8_t* head, std::size_t headSize, std::uint64_t fileSize);
