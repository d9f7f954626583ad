#include "libs/mpacheck/frame_header.h"

#include "libs/mpa_header/mpa_header_tables.h"

namespace mpacheck {

header_status parse_header(const std::uint8_t* b, frame_header& h) {
    if (b[0] != 0xFF || (b[1] & 0xE0) != 0xE0) return header_status::no_sync;
    h.version_code = (b[1] >> 3) & 3;
    if (!mpa_header::IsKnownVersion(h.version_code)) return header_status::reserved_version;
    const int layer_code = (b[1] >> 1) & 3;
    if (layer_code == 0) return header_status::reserved_layer;
    h.layer = 4 - layer_code;
    h.protected_by_crc = (b[1] & 1) == 0;
    h.bitrate_index = b[2] >> 4;
    if (h.bitrate_index == 15) return header_status::forbidden_bitrate;
    h.sampling_index = (b[2] >> 2) & 3;
    if (h.sampling_index == 3) return header_status::reserved_rate;
    h.padding = (b[2] >> 1) & 1;
    h.mode = b[3] >> 6;
    h.mode_extension = (b[3] >> 4) & 3;
    h.emphasis = b[3] & 3;
    h.bitrate = mpa_header::BitrateKbps(h.version_code, h.layer, h.bitrate_index) * 1000;
    h.sampling_rate = mpa_header::SamplingRateHz(h.version_code, h.sampling_index);
    h.samples = mpa_header::SamplesPerFrame(h.version_code, h.layer);
    h.channels = h.mode == 3 ? 1 : 2;
    // The table adds the padding slot even to a free-format length of 0.
    h.length = h.bitrate_index == 0 ? 0
                                    : mpa_header::FrameLengthFromIndices(h.version_code, h.layer, h.bitrate_index,
                                                                         h.sampling_index, h.padding);
    return header_status::valid;
}

bool same_stream(const frame_header& a, const frame_header& b) {
    return a.version_code == b.version_code && a.layer == b.layer && a.sampling_index == b.sampling_index;
}

int side_info_bytes(const frame_header& h) {
    if (h.version_code == mpa_header::kVersionMpeg1) return h.channels == 1 ? 17 : 32;
    return h.channels == 1 ? 9 : 17;
}

}  // namespace mpacheck
