#pragma once
// The decoder stream object and the entry points of its stages: header and
// sync (header.cpp), the frame decode entry (frame.cpp), Layer I/II
// (layer12.cpp) and synthesis with PCM output (synthesis.cpp). The exported
// surface lives in mpadec.cpp.

#include <cstddef>
#include <cstdint>

#include "libs/mpadec/bit_reader.h"
#include "libs/mpadec/cpu_features.h"
#include "libs/mpadec/layer3.h"
#include "libs/mpadec/mpadec.h"

namespace mpadec {

inline constexpr std::uint32_t kWindowBytes = 5000;
inline constexpr std::uint32_t kFramePcmBytes = 4608;  // 1152 samples x 2 channels x 2 bytes
inline constexpr std::size_t kAllocationTableBytes = 8192;
inline constexpr int kNoAllocationTable = -1;
inline constexpr int kRingSize = 1024;

// The 5000-byte staging window for input bytes and the delivery state of the
// current write_bytes call. The bytes held are bytes[start, start + held).
struct input_window {
    std::uint8_t bytes[kWindowBytes];
    std::uint32_t start;
    const std::uint8_t* input;  // the caller's bytes not yet taken into the window
    std::uint32_t input_left;
    std::uint32_t held;
    std::uint32_t carried;       // bytes kept for the next call
    std::uint32_t capacity;      // of the caller's PCM buffer in this call
    std::uint32_t pending;       // PCM bytes of the last frame not delivered yet
    std::uint32_t pending_position;  // in the stream's frame_pcm
};

// The most recently located frame header, its coded fields and what follows
// from them.
struct frame_header {
    std::uint32_t word;  // the 4 header bytes, big-endian
    int version;         // 1 = MPEG-1, 0 = MPEG-2 low sampling frequency
    int layer_code;      // 3, 2, 1 = Layer I, II, III
    int protection;      // 0 = CRC present
    int bitrate_index;
    int sampling_index;
    int padding;
    int private_bit;
    int mode;
    int mode_extension;
    int copyright;
    int original;
    int emphasis;
    int frame_length;
    std::int32_t* allocation_table;  // 8192-byte buffer holding the loaded Layer II table
    int allocation_table_index;      // kNoAllocationTable when none is loaded
    int channels;
    int output_channels;
    int jsbound;
    int sblimit;
    int sampling_rate;  // Hz
    int bitrate;        // bit/s
    int layer;          // 1, 2 or 3
    int crc_present;
};

struct frame_tag {
    std::uint8_t* data;
    std::uint32_t capacity;
    std::uint32_t length;
    int ready;
};

enum class stream_mode { decode, header_search };

}  // namespace mpadec

// The decoder stream: the bufstream record first, private state after it.
// Allocated through the caller's allocation entry and zeroed, so every member
// is a plain value.
struct mpa_decoder {
    bufstream stream;
    mpadec::input_window window;
    mpa_pcm_buffer* pcm;
    mpadec::frame_header header;
    mpa_frame_info info;
    mpadec::stream_mode mode;

    // Per-frame results.
    std::uint8_t frame_pcm[mpadec::kFramePcmBytes];
    int samples_per_channel;
    int bits_per_slot;
    std::uint16_t stored_crc;
    std::uint16_t computed_crc;
    std::uint32_t status;
    int decode_error;
    std::uint16_t clip_count;
    int pcm_position;  // sample frames written to frame_pcm in this frame

    // Layer III: the bit reservoir and the IMDCT overlap.
    mpadec::layer3_state layer3;

    // Synthesis: per channel a ring of 1024 values and its position.
    float ring[2][mpadec::kRingSize];
    int ring_position[2];

    // The vector kernels this stream uses.
    mpadec::simd_path simd;

    mpa_statistics* statistics;
    mpa_printf_fn error_sink;
    mpa_printf_fn warning_sink;
    mpa_printf_fn information_sink;
    mpa_malloc_fn allocate;
    mpa_free_fn release_memory;
    mpadec::frame_tag tag;
};

namespace mpadec {

// ---- header and sync (header.cpp) ----

// True when the 4 bytes form a header this decoder accepts.
[[nodiscard]] bool header_check(const std::uint8_t* bytes);

// Frame length in bytes of an accepted header, header included.
[[nodiscard]] int frame_length_of(const std::uint8_t* bytes);

// Parses an accepted header into the stream's header record (choosing the
// Layer II allocation table) and returns the frame length.
int parse_header(mpa_decoder& decoder, const std::uint8_t* bytes);

enum class sync_outcome { found, none, too_few };

// Looks for a confirmed header in the bytes held; `offset` receives its
// position from the front of the window. Confirmation looks past the window
// into the caller's input that is not taken yet.
[[nodiscard]] sync_outcome sync_search(const input_window& window, std::uint32_t& offset);

// CRC-16 of ISO/IEC 11172-3: the low `bits` bits of value fed MSB first.
[[nodiscard]] std::uint16_t crc_update(std::uint32_t value, int bits, std::uint16_t crc);

// The CRC of the frame at the reader's data: header bits 16-31, then the
// frame's bits from offset 48 up to (not including) end_bit.
[[nodiscard]] std::uint16_t frame_crc(const bit_reader& reader, std::size_t end_bit);

// ---- frame decode entry (frame.cpp) ----

// Decodes the complete frame at the front of the window into frame_pcm and
// sets or clears decode_error.
void decode_frame(mpa_decoder& decoder);

// Bytes of PCM the current frame yields.
[[nodiscard]] std::uint32_t frame_pcm_bytes(const mpa_decoder& decoder);

// ---- Layer I and II (layer12.cpp, layer2_tables.cpp) ----

// Chooses the Layer II allocation table for the header record, loads it into
// the stream's buffer when it is not loaded yet and returns its sblimit.
int select_layer2_table(frame_header& header);

// Index 0-4 of the allocation table for a Layer II header.
[[nodiscard]] int layer2_table_index(int version, int bitrate_kbps, int channels, int sampling_rate);

// One table: 32 subbands x 16 rows x {steps, bits, grouping, class}; row 0
// holds the width of the subband's allocation field in its second column.
[[nodiscard]] const std::int32_t* layer2_allocation_table(int index);
[[nodiscard]] int layer2_sblimit(int index);

void decode_layer1(mpa_decoder& decoder, bit_reader& reader);
void decode_layer2(mpa_decoder& decoder, bit_reader& reader);

// ---- synthesis and PCM (synthesis.cpp) ----

// Runs the polyphase synthesis (single precision) for one block of 32
// subband samples of a channel and writes 32 output samples (full scale 1.0).
// The double form converts on the way in and out.
void synthesize(mpa_decoder& decoder, int channel, const float* subband, float* out);
void synthesize(mpa_decoder& decoder, int channel, const double* subband, double* out);

// Converts `slots` time slots of synthesis output, laid out as
// rows[slot][channel][32], to PCM at the frame's current position.
void convert_rows(mpa_decoder& decoder, const float (*rows)[2][32], int slots);
void convert_rows(mpa_decoder& decoder, const double (*rows)[2][32], int slots);

// One output value to a 16-bit sample, rounded half away from zero; counts
// saturation in clip_count. Both forms give the same sample for a float.
[[nodiscard]] std::int16_t to_pcm(double value, std::uint16_t& clip_count);
[[nodiscard]] std::int16_t to_pcm(float value, std::uint16_t& clip_count);

// The unnormalised 32-point DCT-II, out[m] = sum in[k] cos((2k + 1) m pi / 64),
// by the fast algorithm the synthesis uses.
void dct32(const float* in, float* out);

// The synthesis window D of ISO/IEC 11172-3 Table 3-B.3.
extern const double kSynthesisWindow[512];

}  // namespace mpadec
