#pragma once
// Metadata blocks that sit between or around MPEG audio frames: ID3v2 (2.2,
// 2.3, 2.4, with a footer, also appended), ID3v1 and 1.1, APEv2 (with a
// header, or a footer after its items) and the start of a Lyrics3v2 block.
// Each probe looks at the bytes where a frame would start.

#include <cstddef>
#include <cstdint>

namespace mpacheck {

struct tag_probe {
    bool found = false;
    std::uint64_t size = 0;  // bytes of the whole block
    char label[24] = {};
};

inline constexpr std::size_t kId3v2HeaderBytes = 10;
inline constexpr std::size_t kId3v1Bytes = 128;
inline constexpr std::size_t kApeHeaderBytes = 32;
inline constexpr std::size_t kLyricsBeginBytes = 11;
inline constexpr std::size_t kLyricsEndBytes = 15;  // six size digits and "LYRICS200"
inline constexpr std::uint64_t kLyricsMaxBytes = 999999 + kLyricsEndBytes;

// Each needs the byte count named above to be available.
[[nodiscard]] tag_probe probe_id3v2(const std::uint8_t* p);
[[nodiscard]] tag_probe probe_id3v1(const std::uint8_t* p);
[[nodiscard]] bool is_ape_block(const std::uint8_t* p);
// An APE header announces the whole tag; a footer reports in `size` the
// bytes of items and footer that end with it.
[[nodiscard]] tag_probe probe_ape(const std::uint8_t* p, bool& is_footer);
[[nodiscard]] bool is_lyrics_begin(const std::uint8_t* p);
// The last 15 bytes of a Lyrics3v2 block: its size field (the bytes before
// it, from "LYRICSBEGIN" on), or -1.
[[nodiscard]] std::int64_t lyrics_end_size(const std::uint8_t* last15);

}  // namespace mpacheck
