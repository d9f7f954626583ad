// The Layer III frame entry: side information and its CRC, the frame's main
// data into the bit reservoir, then per granule the scale factors, Huffman
// data and dequantisation of each channel, stereo processing, and the hybrid
// filterbank into subband samples for the synthesis.

#include "libs/mpadec/layer3.h"

#include "libs/mpadec/decoder.h"

namespace mpadec {
namespace {

// Scale factor band boundaries, ISO/IEC 11172-3 Table B.8 and ISO/IEC
// 13818-3 Table B.2, by version bit (0 = MPEG-2) and sampling frequency index.
constexpr band_layout kBands[2][3] = {
    {
        // 22.05 kHz
        {{0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 116, 140, 168, 200, 238, 284, 336, 396, 464, 522, 576},
         {0, 4, 8, 12, 18, 24, 32, 42, 56, 74, 100, 132, 174, 192}},
        // 24 kHz
        {{0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 114, 136, 162, 194, 232, 278, 332, 394, 464, 540, 576},
         {0, 4, 8, 12, 18, 26, 36, 48, 62, 80, 104, 136, 180, 192}},
        // 16 kHz
        {{0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 116, 140, 168, 200, 238, 284, 336, 396, 464, 522, 576},
         {0, 4, 8, 12, 18, 26, 36, 48, 62, 80, 104, 134, 174, 192}},
    },
    {
        // 44.1 kHz
        {{0, 4, 8, 12, 16, 20, 24, 30, 36, 44, 52, 62, 74, 90, 110, 134, 162, 196, 238, 288, 342, 418, 576},
         {0, 4, 8, 12, 16, 22, 30, 40, 52, 66, 84, 106, 136, 192}},
        // 48 kHz
        {{0, 4, 8, 12, 16, 20, 24, 30, 36, 42, 50, 60, 72, 88, 106, 128, 156, 190, 230, 276, 330, 384, 576},
         {0, 4, 8, 12, 16, 22, 28, 38, 50, 64, 80, 100, 126, 192}},
        // 32 kHz
        {{0, 4, 8, 12, 16, 20, 24, 30, 36, 44, 54, 66, 82, 102, 126, 156, 194, 240, 296, 364, 448, 550, 576},
         {0, 4, 8, 12, 16, 22, 30, 42, 58, 78, 104, 138, 180, 192}},
    },
};

// Everything one granule needs besides the reservoir.
struct granule_job {
    const frame_header& header;
    side_info& info;
    const band_layout& bands;
    scale_factors (&factors)[2];  // kept from granule 0 to granule 1 (scfsi)
};

void read_channel(main_data_buffer& data, const granule_job& job, int gr, int ch, double* lines) {
    granule_info& g = job.info.granules[gr][ch];
    const std::int32_t part2_start = data.position;
    if (job.header.version == 1) {
        read_scale_factors_mpeg1(data, g, job.info.scfsi[ch], gr, job.factors[ch]);
    } else {
        const bool intensity_right = ch == 1 && job.header.mode == 1 && (job.header.mode_extension & 1);
        read_scale_factors_mpeg2(data, g, intensity_right, job.factors[ch]);
    }
    int values[kGranuleLines];
    decode_spectrum(data, g, part2_start, job.bands, values);
    dequantise(values, g, job.factors[ch], job.bands, job.header.version, lines);
}

void decode_granule(layer3_state& state, const granule_job& job, int gr, layer3_output& out) {
    const int channels = job.header.channels;
    double lines[2][kGranuleLines];
    for (int ch = 0; ch < channels; ++ch) read_channel(state.main_data, job, gr, ch, lines[ch]);
    if (channels == 2) {
        const stereo_frame frame{job.header.version, job.header.mode, job.header.mode_extension};
        const granule_info* g = job.info.granules[gr];
        process_stereo(lines, frame, g[0], g[1], job.factors[1], job.bands);
    }
    for (int ch = 0; ch < channels; ++ch) {
        hybrid_synthesis(lines[ch], job.info.granules[gr][ch], job.bands, state.overlap[ch], out.subband[gr], ch);
    }
}

}  // namespace

const band_layout& scale_factor_bands(int version, int sampling_index) {
    return kBands[version & 1][sampling_index < 3 ? sampling_index : 0];
}

layer3_result decode_layer3(layer3_state& state, const frame_header& header, bit_reader& reader,
                            std::uint16_t stored_crc, layer3_output& out) {
    side_info info;
    if (!read_side_info(reader, header.version, header.channels, info)) return layer3_result::bad_side_info;
    if (header.crc_present) {
        // The CRC covers the header's last 16 bits and the side information,
        // which ends where the reader stands.
        out.computed_crc = frame_crc(reader, reader.position());
        if (out.computed_crc != stored_crc) return layer3_result::crc_mismatch;
    }
    const int slots = main_data_slots(header.version, header.channels, header.bitrate / 1000,
                                      header.sampling_rate / 1000.0, header.padding, header.crc_present != 0);
    store_main_data(state.main_data, reader, slots);
    if (!seek_main_data(state.main_data, info.main_data_begin, slots)) return layer3_result::main_data_underflow;

    out.granules = header.version == 1 ? 2 : 1;
    out.channels = header.channels;
    scale_factors factors[2] = {};
    const granule_job job{header, info, scale_factor_bands(header.version, header.sampling_index), factors};
    for (int gr = 0; gr < out.granules; ++gr) decode_granule(state, job, gr, out);
    return layer3_result::decoded;
}

}  // namespace mpadec
