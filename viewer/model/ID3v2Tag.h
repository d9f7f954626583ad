#pragma once
// An ID3v2 tag at the start of a file: how many bytes it takes, so that the
// frame vote and the first page start at the first byte after it.

#include <cstddef>
#include <cstdint>

#include "platform/shared_file.h"

inline constexpr std::size_t kID3v2HeaderBytes = 10;  // what ID3v2TagBytes needs to see

// Bytes taken by the tag whose header starts data[0..size): the 10 header
// bytes, the size the header gives and 10 more when the footer flag is set.
// 0 when data does not start with a well-formed tag header.
[[nodiscard]] std::int64_t ID3v2TagBytes(const std::uint8_t* data, std::size_t size);

// The same for the tag at the start of a file; 0 when there is none, when it
// cannot be read or when its size runs past the end of the file. The file's
// position is left anywhere.
[[nodiscard]] std::int64_t LeadingID3v2TagBytes(platform::SharedFile& file);
