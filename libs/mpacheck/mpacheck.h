#pragma once
// The MPEG audio stream checker: bytes in, in chunks of any size, findings
// out through a callback. It reads MPEG-1, MPEG-2 (low sampling frequencies)
// and MPEG-2.5, Layers I, II and III and free format, without decoding:
// frame CRCs, tags and VBR headers, the Layer III bit reservoir and the
// structure of the stream. Memory stays constant whatever the stream size,
// and the findings do not depend on how the bytes were cut into chunks.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "libs/mpacheck/frame_facts.h"

namespace mpacheck {

// Stable: the values and the short names are used by reports and on command
// lines. Append new kinds at the end.
enum class finding_kind : std::uint8_t {
    crc_mismatch,          // a frame's CRC word does not match its protected bits
    metadata,              // a tag (ID3v2, ID3v1, APEv2, Lyrics3v2), never junk
    tag_truncated,         // a tag whose declared size runs past the end of the stream
    vbr_header,            // a Xing, Info or VBRI header frame (metadata, not audio)
    stream_truncated,      // fewer frames or bytes than the VBR header declares
    stream_appended,       // more frames than the VBR header declares
    lame_tag_crc,          // the LAME tag's own CRC does not match
    music_crc,             // the LAME music CRC does not match the audio frames
    reservoir_underflow,   // main_data_begin reaches before the bytes available
    main_data_overflow,    // part2_3_length sums exceed the frame's main data
    junk,                  // bytes before the first or after the last frame
    sync_lost,             // frames stop and start again after junk
    truncated_frame,       // the last frame misses bytes
    reserved_value,        // bitrate index 15, sampling index 3, emphasis 2, ...
    version_change,
    layer_change,
    rate_change,
    mode_change,
    free_format,           // frame length found from the next header
    no_audio,              // no MPEG audio frame in the whole stream
};
inline constexpr int kFindingKindCount = static_cast<int>(finding_kind::no_audio) + 1;

enum class severity : std::uint8_t { info, warning, error };

// "crc-mismatch", "metadata", ...; nullopt for an unknown name.
[[nodiscard]] std::string_view kind_name(finding_kind kind);
[[nodiscard]] std::optional<finding_kind> kind_from_name(std::string_view name);
[[nodiscard]] severity kind_severity(finding_kind kind);
[[nodiscard]] std::string_view severity_name(severity level);

inline constexpr std::int64_t kNoFrame = -1;

// One finding. `frame` is the 0-based number of the audio frame it concerns
// (or the number of audio frames before it), `time` the stream time in
// seconds at that point. The meaning of `expected`, `actual` and `length`
// depends on the kind (see describe()); `label` names a tag or header
// ("ID3v2.4", "Xing", "LAME3.100").
struct finding {
    finding_kind kind;
    severity level;
    std::int64_t frame;
    std::uint64_t offset;
    double time;
    std::int64_t expected = 0;  // stored CRC, declared frames, main_data_begin, old value
    std::int64_t actual = 0;    // computed CRC, counted frames, bytes available, new value
    std::uint64_t length = 0;   // bytes of a tag, junk run or missing part
    char label[24] = {};
};

// "CRC mismatch (stored 0x1234, computed 0xABCD)": the finding without its
// position, readable on its own.
[[nodiscard]] std::string describe(const finding& f);

// Metadata blocks kept by the summary (the first kMaxMetadataBlocks).
struct metadata_block {
    std::uint64_t offset;
    std::uint64_t size;
    char label[24];
};
inline constexpr int kMaxMetadataBlocks = 16;

struct summary {
    int version_code = -1;  // of the first audio frame, as in the header tables (3 = MPEG-1)
    int layer = 0;
    int sampling_rate = 0;
    int mode = -1;                      // 0 stereo, 1 joint stereo, 2 dual channel, 3 mono
    std::int64_t frames = 0;            // audio frames (not the VBR header frame)
    double duration = 0;                // seconds, net of encoder delay and padding when known
    int encoder_delay = -1;             // samples, from a LAME tag
    int encoder_padding = -1;
    std::int32_t min_bitrate = 0;       // bit/s over the audio frames
    std::int32_t max_bitrate = 0;
    std::int32_t average_bitrate = 0;
    bool variable_bitrate = false;
    bool free_format = false;
    std::uint64_t bytes = 0;            // stream bytes seen
    std::uint64_t audio_bytes = 0;      // bytes of audio frames
    std::int64_t counts[kFindingKindCount] = {};
    metadata_block metadata[kMaxMetadataBlocks] = {};
    int metadata_count = 0;             // blocks found (may exceed the ones kept)
};

using finding_callback = std::function<void(const finding&)>;

class checker {
public:
    explicit checker(finding_callback on_finding);
    // With the facts of every audio frame as it is settled (frame_facts.h).
    checker(finding_callback on_finding, frame_callback on_frame);
    ~checker();
    checker(const checker&) = delete;
    checker& operator=(const checker&) = delete;

    // Any number of bytes, any number of times.
    void feed(const std::uint8_t* data, std::size_t size);
    // The end of the stream: settles what waited for more bytes. Once only.
    void finish();
    [[nodiscard]] const summary& result() const;

private:
    struct state;
    std::unique_ptr<state> state_;
};

}  // namespace mpacheck
