#include "viewer/model/ID3v2Tag.h"

#include <array>

#include "libs/mpacheck/tags.h"

std::int64_t ID3v2TagBytes(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr || size < kID3v2HeaderBytes) return 0;
    const mpacheck::tag_probe tag = mpacheck::probe_id3v2(data);  // the stream checker's reading of the header
    return tag.found ? static_cast<std::int64_t>(tag.size) : 0;
}

std::int64_t LeadingID3v2TagBytes(platform::SharedFile& file) {
    std::array<std::uint8_t, kID3v2HeaderBytes> header{};
    if (!file.IsOpen() || !file.Seek(0)) return 0;
    const std::int64_t got = file.Read(header.data(), static_cast<std::int64_t>(header.size()));
    if (got != static_cast<std::int64_t>(header.size())) return 0;
    const std::int64_t tag = ID3v2TagBytes(header.data(), header.size());
    return tag <= file.Size() ? tag : 0;
}
