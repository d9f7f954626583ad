// The frame decode entry: the complete frame at the front of the input window
// into the frame PCM buffer, by layer.

#include "libs/mpadec/decoder.h"

namespace mpadec {
namespace {

// Layer III: the granules' subband samples through the synthesis, 18 time
// slots per granule at sample frame granule x 576.
void decode_layer3_frame(mpa_decoder& decoder, bit_reader& reader) {
    layer3_output out;
    if (decode_layer3(decoder.layer3, decoder.header, reader, decoder.stored_crc, out) != layer3_result::decoded) {
        decoder.decode_error = 1;
        return;
    }
    decoder.clip_count = 0;
    float rows[kSubbandLines][2][32];
    for (int gr = 0; gr < out.granules; ++gr) {
        for (int slot = 0; slot < kSubbandLines; ++slot)
            for (int ch = 0; ch < out.channels; ++ch) synthesize(decoder, ch, out.subband[gr][slot][ch], rows[slot][ch]);
        convert_rows(decoder, rows, kSubbandLines);
    }
}

}  // namespace

void decode_frame(mpa_decoder& decoder) {
    input_window& window = decoder.window;
    const std::uint8_t* frame = window.bytes + window.start;
    decoder.decode_error = 0;
    parse_header(decoder, frame);
    frame_header& h = decoder.header;
    h.output_channels = h.channels;

    // The reader covers every byte held, not only the frame: a corrupt frame
    // that asks for more bits reads the bytes after it, then zeros.
    bit_reader reader(frame, window.held);
    reader.skip(32);
    if (h.crc_present) decoder.stored_crc = static_cast<std::uint16_t>(reader.read(16));
    decoder.pcm_position = 0;

    switch (h.layer) {
    case 1:
        decoder.bits_per_slot = 32;
        decoder.samples_per_channel = 384;
        decode_layer1(decoder, reader);
        break;
    case 2:
        decoder.bits_per_slot = 8;
        decoder.samples_per_channel = 1152;
        decode_layer2(decoder, reader);
        break;
    default:
        decoder.bits_per_slot = 8;
        decoder.samples_per_channel = h.version == 1 ? 1152 : 576;
        decode_layer3_frame(decoder, reader);
        break;
    }
}

std::uint32_t frame_pcm_bytes(const mpa_decoder& decoder) {
    return static_cast<std::uint32_t>(decoder.samples_per_channel * decoder.header.channels * 2);
}

}  // namespace mpadec
