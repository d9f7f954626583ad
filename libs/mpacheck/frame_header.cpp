#include "libs/mpacheck/frame_header.h"

#include "libs/mpa_header/mpa_header_tables.h"

namespace mpacheck {

header_status parse_header(const std::uint8_t* b, frame_header& h) {
    const mpa_header::HeaderFields f = mpa_header::SplitHeader(mpa_header::HeaderWord(b));
    if ((f.sync >> 1) != 0x7FF) return header_status::no_sync;  // 11 bits: MPEG-2.5 clears the 12th
    h.version_code = (f.sync & 1) << 1 | f.id;
    if (!mpa_header::IsKnownVersion(h.version_code)) return header_status::reserved_version;
    h.layer = mpa_header::LayerFromCode(f.layer_code);
    if (h.layer == 0) return header_status::reserved_layer;
    h.protected_by_crc = f.protection == 0;
    h.bitrate_index = f.bitrate_index;
    if (h.bitrate_index == 15) return header_status::forbidden_bitrate;
    h.sampling_index = f.sampling_index;
    if (h.sampling_index == 3) return header_status::reserved_rate;
    h.padding = f.padding;
    h.mode = f.mode;
    h.mode_extension = f.mode_extension;
    h.emphasis = f.emphasis;
    h.bitrate = mpa_header::BitrateKbps(h.version_code, h.layer, h.bitrate_index) * 1000;
    h.sampling_rate = mpa_header::SamplingRateHz(h.version_code, h.sampling_index);
    h.samples = mpa_header::SamplesPerFrame(h.version_code, h.layer);
    h.channels = h.mode == 3 ? 1 : 2;
    h.length = mpa_header::FrameLengthFromIndices(h.version_code, h.layer, h.bitrate_index, h.sampling_index, h.padding);
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
