#include "libs/mpacheck/tags.h"

#include <cstdio>
#include <cstring>

namespace mpacheck {
namespace {

std::uint32_t little_endian32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

tag_probe found(std::uint64_t size, const char* label) {
    tag_probe probe;
    probe.found = true;
    probe.size = size;
    std::snprintf(probe.label, sizeof probe.label, "%s", label);
    return probe;
}

}  // namespace

tag_probe probe_id3v2(const std::uint8_t* p) {
    if (std::memcmp(p, "ID3", 3) != 0 || p[3] < 2 || p[3] > 4 || p[4] == 0xFF) return {};
    std::uint64_t body = 0;
    for (int i = 6; i < 10; ++i) {
        if (p[i] & 0x80) return {};
        body = body << 7 | p[i];
    }
    const bool footer = p[3] == 4 && (p[5] & 0x10) != 0;
    const char* labels[] = {"ID3v2.2", "ID3v2.3", "ID3v2.4"};
    return found(kId3v2HeaderBytes + body + (footer ? kId3v2HeaderBytes : 0), labels[p[3] - 2]);
}

tag_probe probe_id3v1(const std::uint8_t* p) {
    if (std::memcmp(p, "TAG", 3) != 0) return {};
    // Version 1.1 keeps the track number in the comment's last byte.
    const bool has_track = p[125] == 0 && p[126] != 0;
    return found(kId3v1Bytes, has_track ? "ID3v1.1" : "ID3v1");
}

bool is_ape_block(const std::uint8_t* p) { return std::memcmp(p, "APETAGEX", 8) == 0; }

tag_probe probe_ape(const std::uint8_t* p, bool& is_footer) {
    const std::uint32_t version = little_endian32(p + 8);
    const std::uint32_t size = little_endian32(p + 12);
    const std::uint32_t flags = little_endian32(p + 20);
    if (size < kApeHeaderBytes) return {};
    is_footer = (flags & (1u << 29)) == 0;
    const bool has_header = (flags & (1u << 31)) != 0;
    const char* label = version == 1000 ? "APEv1" : "APEv2";
    if (is_footer) return found(size, label);
    return found(std::uint64_t{size} + (has_header ? kApeHeaderBytes : 0), label);
}

bool is_lyrics_begin(const std::uint8_t* p) { return std::memcmp(p, "LYRICSBEGIN", kLyricsBeginBytes) == 0; }

std::int64_t lyrics_end_size(const std::uint8_t* last15) {
    if (std::memcmp(last15 + 6, "LYRICS200", 9) != 0) return -1;
    std::int64_t size = 0;
    for (int i = 0; i < 6; ++i) {
        if (last15[i] < '0' || last15[i] > '9') return -1;
        size = size * 10 + (last15[i] - '0');
    }
    return size;
}

}  // namespace mpacheck
