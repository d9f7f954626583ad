#include "viewer/model/ID3v2Tag.h"

#include <array>

namespace {

constexpr std::uint8_t kFooterFlag = 0x10;

// A 28-bit size stored in four bytes of 7 bits each; -1 when a byte has its
// top bit set (the header is then not a tag header).
std::int64_t SynchsafeSize(const std::uint8_t* bytes) {
    std::int64_t size = 0;
    for (int i = 0; i < 4; ++i) {
        if ((bytes[i] & 0x80) != 0) return -1;
        size = size << 7 | bytes[i];
    }
    return size;
}

}  // namespace

std::int64_t ID3v2TagBytes(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr || size < kID3v2HeaderBytes) return 0;
    if (data[0] != 'I' || data[1] != 'D' || data[2] != '3') return 0;
    if (data[3] == 0xFF || data[4] == 0xFF) return 0;  // version and revision are never 0xFF
    const std::int64_t body = SynchsafeSize(data + 6);
    if (body < 0) return 0;
    const std::int64_t footer = (data[5] & kFooterFlag) != 0 ? static_cast<std::int64_t>(kID3v2HeaderBytes) : 0;
    return static_cast<std::int64_t>(kID3v2HeaderBytes) + body + footer;
}

std::int64_t LeadingID3v2TagBytes(platform::SharedFile& file) {
    std::array<std::uint8_t, kID3v2HeaderBytes> header{};
    if (!file.IsOpen() || !file.Seek(0)) return 0;
    const std::int64_t got = file.Read(header.data(), static_cast<std::int64_t>(header.size()));
    if (got != static_cast<std::int64_t>(header.size())) return 0;
    const std::int64_t tag = ID3v2TagBytes(header.data(), header.size());
    return tag <= file.Size() ? tag : 0;
}
