// The streaming state machine: a fixed buffer, and one decision at a time at
// its front (a tag, a frame or a junk byte) made from at most kLookahead
// bytes, so the findings do not depend on how the input was chunked.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "libs/mpacheck/crc16.h"
#include "libs/mpacheck/frame_header.h"
#include "libs/mpacheck/frame_payload.h"
#include "libs/mpacheck/mpacheck.h"
#include "libs/mpacheck/scf_crc.h"
#include "libs/mpacheck/tags.h"
#include "libs/mpacheck/vbr_header.h"

namespace mpacheck {
namespace {

constexpr std::size_t kLookahead = 64 * 1024;
constexpr std::size_t kBufferBytes = 4 * kLookahead;
constexpr int kMaxFreeFormatBytes = 8192;
constexpr std::size_t kLyricsMarkersKept = 64;

void set_label(char (&label)[24], const char* text) { std::snprintf(label, sizeof label, "%s", text); }

const char* reserved_field(header_status status) {
    switch (status) {
    case header_status::reserved_version: return "version 1";
    case header_status::reserved_layer: return "layer 0";
    case header_status::forbidden_bitrate: return "bitrate index 15";
    case header_status::reserved_rate: return "sampling index 3";
    default: return "";
    }
}

bool zero_word(const std::uint8_t* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word == 0;
}

bool may_start_block(std::uint8_t byte) {
    return byte == 0xFF || byte == 'I' || byte == 'T' || byte == 'A' || byte == 'L';
}

// An ID3v1 tag closes the stream, or precedes another tag (some taggers
// append an APEv2 tag after it).
bool ends_or_tag_follows(const std::uint8_t* p, std::size_t window, std::size_t size, bool ends) {
    if (window == size) return ends;
    const std::uint8_t* next = p + size;
    const std::size_t rest = window - size;
    if (rest >= kId3v2HeaderBytes && probe_id3v2(next).found) return true;
    if (rest >= kApeHeaderBytes && is_ape_block(next)) return true;
    return rest >= kLyricsBeginBytes && is_lyrics_begin(next);
}

// Encoders switch between stereo and joint stereo frame by frame.
bool both_stereo(int mode_a, int mode_b) { return mode_a <= 1 && mode_b <= 1; }

}  // namespace

struct checker::state {
    finding_callback on_finding;
    frame_callback on_frame;
    summary totals;
    std::vector<std::uint8_t> buffer = std::vector<std::uint8_t>(kBufferBytes);
    std::size_t begin = 0;
    std::size_t end = 0;
    std::uint64_t offset = 0;  // of buffer[begin] in the stream
    bool finished = false;

    // A tag larger than the buffer is skipped as its bytes arrive.
    std::uint64_t skip = 0;
    std::uint64_t skipped_tag_offset = 0;
    char skipped_tag_label[24] = {};

    bool in_sync = false;  // the previous block was a frame ending here
    bool junk_open = false;
    bool junk_after_frame = false;
    std::uint64_t junk_start = 0;

    std::int64_t audio_frames = 0;
    double time = 0;
    bool have_previous = false;
    frame_header previous{};
    int free_format_bytes = 0;  // without padding, once found
    int free_scan_key = -1;
    std::uint64_t free_scan_clear_to = 0;
    int reservoir = 0;          // Layer III main data bytes the next frame may reach back into
    std::uint64_t last_frame_end = 0;
    std::int64_t bitrate_sum = 0;

    bool have_vbr = false;
    vbr_header vbr;
    std::uint64_t vbr_offset = 0;
    std::int64_t frames_after_vbr = 0;
    std::uint64_t bytes_from_vbr = 0;  // the header frame and the audio frames after it
    std::uint64_t music_end = 0;
    std::uint64_t music_checked_to = 0;
    std::uint16_t music_crc = 0;

    // The last bytes of the last audio frame, which hold the scale-factor
    // check words of the frame that starts where it ends.
    bool have_tail = false;
    std::uint64_t tail_end = 0;
    int tail_ancillary_bits = -1;
    std::uint8_t tail[kMaxScfCrcWords + kFpadBytes] = {};

    std::uint64_t lyrics_scanned_to = 0;
    std::vector<std::uint64_t> lyrics_markers;  // stream offsets of "LYRICS200"

    finding make(finding_kind kind, std::uint64_t at) const {
        finding f{kind, kind_severity(kind), audio_frames, at, time};
        return f;
    }
    void emit(const finding& f) {
        ++totals.counts[static_cast<int>(f.kind)];
        if (on_finding) on_finding(f);
    }

    void feed(const std::uint8_t* data, std::size_t size);
    void process();
    void step();
    void compact();

    bool try_tag(const std::uint8_t* p, std::size_t window, bool ends);
    bool try_ape(const std::uint8_t* p);
    std::uint64_t find_lyrics(std::size_t window);
    void accept_tag(std::uint64_t at, std::uint64_t size, const char* label);
    void consume(std::uint64_t size);

    bool try_frame(const std::uint8_t* p, std::size_t window, bool ends);
    int free_format_length(const std::uint8_t* p, std::size_t window, bool ends, const frame_header& h);
    bool cut_frame(const std::uint8_t* p, std::size_t length, std::size_t window, bool ends);
    void cut_short(std::size_t present, std::size_t missing);
    bool next_confirms(const std::uint8_t* q, std::size_t rest, bool ends, const frame_header& h) const;
    void accept_frame(const std::uint8_t* p, const frame_header& h);
    void header_frame(const std::uint8_t* p, const frame_header& h, const vbr_header& found);
    void audio_frame(const std::uint8_t* p, const frame_header& h);
    void check_crc(const std::uint8_t* p, const frame_header& h);
    void check_changes(const frame_header& h);
    void check_reservoir(const std::uint8_t* p, const frame_header& h);
    void add_music(const std::uint8_t* p, std::uint64_t at, int length);
    void report_frame(const std::uint8_t* p, const frame_header& h, std::int32_t bitrate);
    scf_crc_state judge_scf_crc(const frame_header& h, const layer2_scalefactors& scalefactors) const;

    void junk_byte(header_status status);
    void skip_plain_junk(std::size_t window);
    void flush_junk(bool at_frame);
    void finish();
    void cross_check_vbr();
    void sum_up();
};

void checker::state::feed(const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        if (skip > 0) {
            const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(skip, size));
            skip -= n;
            offset += n;
            data += n;
            size -= n;
            continue;
        }
        if (end == buffer.size()) compact();
        const std::size_t n = std::min(size, buffer.size() - end);
        std::memcpy(buffer.data() + end, data, n);
        end += n;
        data += n;
        size -= n;
        totals.bytes += n;
        process();
    }
}

// Steps only with more than kLookahead bytes ahead (or at the end), so that
// every step sees the same window whatever the chunking.
void checker::state::process() {
    while (skip == 0 && end > begin && (finished || end - begin > kLookahead)) step();
    if (begin > buffer.size() / 2 || begin == end) compact();
}

void checker::state::compact() {
    std::memmove(buffer.data(), buffer.data() + begin, end - begin);
    end -= begin;
    begin = 0;
}

void checker::state::step() {
    const std::size_t available = end - begin;
    const std::size_t window = std::min(available, kLookahead);
    const bool ends = finished && available <= kLookahead;
    const std::uint8_t* p = buffer.data() + begin;
    // Frames start with 0xFF, tags with a letter.
    if (p[0] == 0xFF ? try_frame(p, window, ends) : try_tag(p, window, ends)) return;
    frame_header ignored;
    junk_byte(window >= 4 ? parse_header(p, ignored) : header_status::no_sync);
    skip_plain_junk(window - 1);
}

// Bytes that cannot start a frame or a tag join the junk run without a probe;
// runs of zeros, the common long junk (padding, sparse or damaged files), a
// word at a time.
void checker::state::skip_plain_junk(std::size_t window) {
    const std::uint8_t* p = buffer.data() + begin;
    std::size_t count = 0;
    while (count < window) {
        if (count + sizeof(std::uint64_t) <= window && zero_word(p + count)) {
            count += sizeof(std::uint64_t);
        } else if (!may_start_block(p[count])) {
            ++count;
        } else {
            break;
        }
    }
    begin += count;
    offset += count;
}

void checker::state::consume(std::uint64_t size) {
    const std::size_t available = end - begin;
    if (size <= available) {
        begin += static_cast<std::size_t>(size);
        offset += size;
        return;
    }
    skip = size - available;
    offset += available;
    begin = end;
}

// ---- tags ----

bool checker::state::try_tag(const std::uint8_t* p, std::size_t window, bool ends) {
    if (window >= kId3v2HeaderBytes) {
        const tag_probe id3 = probe_id3v2(p);
        if (id3.found) {
            accept_tag(offset, id3.size, id3.label);
            return true;
        }
    }
    if (window >= kApeHeaderBytes && is_ape_block(p) && try_ape(p)) return true;
    if (window >= kId3v1Bytes) {
        const tag_probe v1 = probe_id3v1(p);
        if (v1.found && ends_or_tag_follows(p, window, kId3v1Bytes, ends)) {
            accept_tag(offset, v1.size, v1.label);
            return true;
        }
    }
    if (window >= kLyricsBeginBytes + kLyricsEndBytes && is_lyrics_begin(p)) {
        const std::uint64_t size = find_lyrics(window);
        if (size != 0) {
            accept_tag(offset, size, "Lyrics3v2");
            return true;
        }
    }
    return false;
}

// A footer without a header closes items that were taken for junk: they
// become part of the tag when the junk run covers them.
bool checker::state::try_ape(const std::uint8_t* p) {
    bool is_footer = false;
    const tag_probe ape = probe_ape(p, is_footer);
    if (!ape.found) return false;
    if (!is_footer) {
        accept_tag(offset, ape.size, ape.label);
        return true;
    }
    const std::uint64_t items = ape.size - kApeHeaderBytes;
    std::uint64_t start = offset;
    if (junk_open && offset - junk_start >= items) {
        start = offset - items;
        if (start == junk_start) junk_open = false;
    }
    if (junk_open) {
        const std::uint64_t resume = offset;
        offset = start;
        flush_junk(false);
        offset = resume;
    }
    accept_tag(start, offset + kApeHeaderBytes - start, ape.label);
    return true;
}

// The size field at the end of a Lyrics3v2 block counts the bytes from
// "LYRICSBEGIN" to it. The markers seen are kept so that a run of false
// starts does not rescan the window each time.
std::uint64_t checker::state::find_lyrics(std::size_t window) {
    const std::uint64_t window_end = offset + window;
    const std::uint64_t from = std::max(lyrics_scanned_to, offset + kLyricsBeginBytes + 6);
    std::erase_if(lyrics_markers, [&](std::uint64_t marker) { return marker < offset; });
    for (std::uint64_t at = from; at + 9 <= window_end; ++at) {
        const std::uint8_t* q = buffer.data() + begin + (at - offset);
        if (q[0] == 'L' && std::memcmp(q, "LYRICS200", 9) == 0) {
            if (lyrics_markers.size() == kLyricsMarkersKept) lyrics_markers.erase(lyrics_markers.begin());
            lyrics_markers.push_back(at);
        }
    }
    lyrics_scanned_to = std::max(lyrics_scanned_to, window_end > 8 ? window_end - 8 : 0);
    for (const std::uint64_t marker : lyrics_markers) {
        if (marker + 9 > window_end || marker < offset + kLyricsBeginBytes + 6) continue;
        const std::int64_t size = lyrics_end_size(buffer.data() + begin + (marker - 6 - offset));
        if (size >= 0 && offset + static_cast<std::uint64_t>(size) == marker - 6) {
            return static_cast<std::uint64_t>(size) + kLyricsEndBytes;
        }
    }
    return 0;
}

void checker::state::accept_tag(std::uint64_t at, std::uint64_t size, const char* label) {
    flush_junk(false);
    finding f = make(finding_kind::metadata, at);
    f.length = size;
    set_label(f.label, label);
    emit(f);
    if (totals.metadata_count < kMaxMetadataBlocks) {
        metadata_block& block = totals.metadata[totals.metadata_count];
        block.offset = at;
        block.size = size;
        set_label(block.label, label);
    }
    ++totals.metadata_count;
    in_sync = false;
    reservoir = 0;
    const std::uint64_t ahead = size - (offset - at);
    consume(ahead);
    if (skip > 0) {
        skipped_tag_offset = at;
        set_label(skipped_tag_label, label);
    }
}

// ---- frames ----

bool checker::state::try_frame(const std::uint8_t* p, std::size_t window, bool ends) {
    if (window < 4) return false;
    frame_header h;
    if (parse_header(p, h) != header_status::valid) return false;
    if (h.length == 0) {
        h.length = free_format_length(p, window, ends, h);
        if (h.length == 0) return false;
    }
    const std::size_t length = static_cast<std::size_t>(h.length);
    if (length > window) {
        if (!in_sync || !ends) return false;
        flush_junk(true);
        cut_short(window, length - window);
        return true;
    }
    if (!next_confirms(p + length, window - length, ends, h)) {
        if (!in_sync) return false;
        if (cut_frame(p, length, window, ends)) return true;
    }
    accept_frame(p, h);
    return true;
}

// A frame in sync whose successor is not where its length says may have been
// cut: when a confirmed header starts inside it, the frame ends there.
bool checker::state::cut_frame(const std::uint8_t* p, std::size_t length, std::size_t window, bool ends) {
    for (std::size_t at = 4; at + 4 <= length; ++at) {
        frame_header next;
        if (p[at] != 0xFF || parse_header(p + at, next) != header_status::valid || next.length == 0) continue;
        const std::size_t next_end = at + static_cast<std::size_t>(next.length);
        if (next_end > window || !next_confirms(p + next_end, window - next_end, ends, next)) continue;
        cut_short(at, length - at);
        return true;
    }
    return false;
}

// A frame of which only `present` bytes are there: reported, and skipped.
void checker::state::cut_short(std::size_t present, std::size_t missing) {
    finding f = make(finding_kind::truncated_frame, offset);
    f.length = missing;
    f.actual = static_cast<std::int64_t>(present);
    emit(f);
    consume(present);
    in_sync = false;
}

bool checker::state::next_confirms(const std::uint8_t* q, std::size_t rest, bool ends, const frame_header& h) const {
    // Fewer than 4 bytes at the end cannot be a header: they are junk after a frame.
    if (rest < 4) return ends;
    frame_header next;
    if (parse_header(q, next) == header_status::valid && same_stream(h, next)) return true;
    if (std::memcmp(q, "ID3", 3) == 0 || std::memcmp(q, "TAG", 3) == 0) return true;
    return rest >= 8 && (is_ape_block(q) || std::memcmp(q, "LYRICSBE", 8) == 0);
}

// Free format: the frame ends where the next header of the same stream
// starts; once known, the length (without padding) is tried first.
int checker::state::free_format_length(const std::uint8_t* p, std::size_t window, bool ends, const frame_header& h) {
    const int slot = h.layer == 1 ? 4 : 1;
    if (free_format_bytes > 0 && have_previous && same_stream(previous, h)) {
        const std::size_t known = static_cast<std::size_t>(free_format_bytes + h.padding * slot);
        if (known <= window && next_confirms(p + known, window - known, ends, h)) return static_cast<int>(known);
    }
    const std::size_t limit = std::min<std::size_t>(window, kMaxFreeFormatBytes);
    // A failed scan for the same stream already covered the bytes up to
    // free_scan_clear_to: junk full of free-format headers stays linear.
    const int key = (h.version_code << 4) | (h.layer << 2) | h.sampling_index;
    std::size_t from = 5;
    if (key == free_scan_key && free_scan_clear_to > offset) {
        from = std::max<std::size_t>(from, static_cast<std::size_t>(free_scan_clear_to - offset));
    }
    for (std::size_t at = from; at + 4 <= limit; ++at) {
        if (p[at] != 0xFF) continue;
        frame_header next;
        if (parse_header(p + at, next) == header_status::valid && same_stream(h, next) && next.bitrate_index == 0) {
            free_format_bytes = static_cast<int>(at) - h.padding * slot;
            return static_cast<int>(at);
        }
    }
    free_scan_key = key;
    free_scan_clear_to = std::max<std::uint64_t>(free_scan_clear_to, offset + (limit > 3 ? limit - 3 : 0));
    return 0;
}

void checker::state::accept_frame(const std::uint8_t* p, const frame_header& h) {
    flush_junk(true);
    if (!in_sync) reservoir = 0;
    const vbr_header found = read_vbr_header(h, p);
    if (found.present) {
        header_frame(p, h, found);
    } else {
        audio_frame(p, h);
    }
    in_sync = true;
    consume(static_cast<std::uint64_t>(h.length));
}

void checker::state::header_frame(const std::uint8_t* p, const frame_header& h, const vbr_header& found) {
    if (h.protected_by_crc) check_crc(p, h);
    finding f = make(finding_kind::vbr_header, offset);
    f.expected = found.has_frames ? found.frames : -1;
    f.actual = found.has_bytes ? found.bytes : -1;
    f.length = static_cast<std::uint64_t>(h.length);
    std::snprintf(f.label, sizeof f.label, "%s%s%s", found.label, found.lame.present ? " " : "", found.lame.encoder);
    emit(f);
    reservoir = 0;
    if (have_vbr) return;
    have_vbr = true;
    vbr = found;
    vbr_offset = offset;
    bytes_from_vbr = static_cast<std::uint64_t>(h.length);
    if (!found.lame.present) return;
    totals.encoder_delay = found.lame.delay;
    totals.encoder_padding = found.lame.padding;
    if (found.lame.tag_crc != found.lame.computed_tag_crc) {
        finding crc = make(finding_kind::lame_tag_crc, offset);
        crc.expected = found.lame.tag_crc;
        crc.actual = found.lame.computed_tag_crc;
        emit(crc);
    }
    music_end = offset + found.lame.music_length;
    music_checked_to = offset + static_cast<std::uint64_t>(h.length);
}

void checker::state::audio_frame(const std::uint8_t* p, const frame_header& h) {
    if (h.emphasis == 2 && !(have_previous && previous.emphasis == 2)) {
        finding f = make(finding_kind::reserved_value, offset);
        set_label(f.label, "emphasis 2");
        emit(f);
    }
    if (have_previous) check_changes(h);
    if (h.protected_by_crc) check_crc(p, h);
    if (h.layer == 3) check_reservoir(p, h);
    if (h.bitrate_index == 0 && !totals.free_format) {
        totals.free_format = true;
        finding f = make(finding_kind::free_format, offset);
        f.length = static_cast<std::uint64_t>(free_format_bytes);
        emit(f);
    }
    const std::int32_t bitrate =
        h.bitrate != 0 ? h.bitrate
                       : static_cast<std::int32_t>(static_cast<std::int64_t>(free_format_bytes) * 8 * h.sampling_rate /
                                                   h.samples);
    if (audio_frames == 0 || bitrate < totals.min_bitrate) totals.min_bitrate = bitrate;
    if (audio_frames == 0 || bitrate > totals.max_bitrate) totals.max_bitrate = bitrate;
    if (audio_frames == 0) {
        totals.version_code = h.version_code;
        totals.layer = h.layer;
        totals.sampling_rate = h.sampling_rate;
        totals.mode = h.mode;
    }
    bitrate_sum += bitrate;
    if (on_frame) report_frame(p, h, bitrate);
    if (have_vbr) {
        ++frames_after_vbr;
        bytes_from_vbr += static_cast<std::uint64_t>(h.length);
        add_music(p, offset, h.length);
    }
    ++audio_frames;
    time += static_cast<double>(h.samples) / h.sampling_rate;
    totals.audio_bytes += static_cast<std::uint64_t>(h.length);
    last_frame_end = offset + static_cast<std::uint64_t>(h.length);
    previous = h;
    have_previous = true;
}

void checker::state::check_crc(const std::uint8_t* p, const frame_header& h) {
    const crc_result crc = check_frame_crc(h, p);
    if (!crc.checked || crc.stored == crc.computed) return;
    finding f = make(finding_kind::crc_mismatch, offset);
    f.expected = crc.stored;
    f.actual = crc.computed;
    emit(f);
}

void checker::state::check_changes(const frame_header& h) {
    const struct {
        finding_kind kind;
        int before;
        int now;
    } fields[] = {{finding_kind::version_change, previous.version_code, h.version_code},
                  {finding_kind::layer_change, previous.layer, h.layer},
                  {finding_kind::rate_change, previous.sampling_rate, h.sampling_rate},
                  {finding_kind::mode_change, previous.mode, h.mode}};
    for (const auto& field : fields) {
        if (field.before == field.now || (field.kind == finding_kind::mode_change && both_stereo(field.before, field.now))) {
            continue;
        }
        finding f = make(field.kind, offset);
        f.expected = field.before;
        f.actual = field.now;
        emit(f);
    }
}

void checker::state::check_reservoir(const std::uint8_t* p, const frame_header& h) {
    const layer3_side side = read_layer3_side(h, p);
    if (side.main_data_begin > reservoir) {
        finding f = make(finding_kind::reservoir_underflow, offset);
        f.expected = side.main_data_begin;
        f.actual = reservoir;
        emit(f);
    }
    const int reachable_bits = (side.main_data_begin + side.own_main_data_bytes) * 8;
    if (side.main_data_bits > reachable_bits) {
        finding f = make(finding_kind::main_data_overflow, offset);
        f.expected = side.main_data_bits;
        f.actual = reachable_bits;
        emit(f);
    }
    // What the next frame may reach back into: the bytes after this frame's data.
    reservoir = std::max(0, side.main_data_begin + side.own_main_data_bytes - (side.main_data_bits + 7) / 8);
}

void checker::state::report_frame(const std::uint8_t* p, const frame_header& h, std::int32_t bitrate) {
    frame_facts facts;
    facts.frame = audio_frames;
    facts.offset = offset;
    facts.time = time;
    facts.version_code = h.version_code;
    facts.layer = h.layer;
    facts.sampling_rate = h.sampling_rate;
    facts.bitrate = bitrate;
    facts.mode = h.mode;
    facts.emphasis = h.emphasis;
    facts.crc_present = h.protected_by_crc;
    facts.padded = h.padding != 0;
    facts.length = static_cast<std::uint32_t>(h.length);
    layer2_scalefactors scalefactors;
    const int end_bit = audio_data_end(h, p, &scalefactors);
    // Audio data that runs past the frame leaves no ancillary data to speak of.
    if (end_bit >= 0 && end_bit <= h.length * 8) facts.ancillary_bits = h.length * 8 - end_bit;
    facts.scf_crc = judge_scf_crc(h, scalefactors);
    on_frame(facts);
    const std::size_t kept = std::min<std::size_t>(sizeof tail, static_cast<std::size_t>(h.length));
    std::memcpy(tail + sizeof tail - kept, p + h.length - kept, kept);
    tail_ancillary_bits = facts.ancillary_bits;
    tail_end = offset + static_cast<std::uint64_t>(h.length);
    have_tail = true;
}

// A frame's check words stand in the frame before it, which must end where
// this one starts.
scf_crc_state checker::state::judge_scf_crc(const frame_header& h, const layer2_scalefactors& scalefactors) const {
    if (!carries_scf_crc(h) || scalefactors.sblimit == 0) return scf_crc_state::not_applicable;
    if (!have_tail || tail_end != offset || tail_ancillary_bits < 0) return scf_crc_state::unknown;
    const scf_crc_words computed = compute_scf_crc(h, scalefactors);
    const scf_crc_words stored = stored_scf_crc(tail + sizeof tail, tail_ancillary_bits, computed.count);
    if (stored.count == 0) return scf_crc_state::not_applicable;
    return stored == computed ? scf_crc_state::match : scf_crc_state::mismatch;
}

// The LAME music CRC covers the bytes after the header frame up to the
// declared music length; junk between frames breaks it as it should.
void checker::state::add_music(const std::uint8_t* p, std::uint64_t at, int length) {
    if (at != music_checked_to || at >= music_end) return;
    const std::uint64_t count = std::min<std::uint64_t>(static_cast<std::uint64_t>(length), music_end - at);
    music_crc = lame_crc_update(music_crc, p, static_cast<std::size_t>(count));
    music_checked_to = at + count;
}

// ---- junk and the end ----

void checker::state::junk_byte(header_status status) {
    if (!junk_open) {
        if (in_sync && status != header_status::no_sync && status != header_status::valid) {
            finding f = make(finding_kind::reserved_value, offset);
            set_label(f.label, reserved_field(status));
            emit(f);
        }
        junk_open = true;
        junk_after_frame = in_sync;
        junk_start = offset;
    }
    in_sync = false;
    ++begin;
    ++offset;
}

void checker::state::flush_junk(bool at_frame) {
    if (!junk_open) return;
    junk_open = false;
    const finding_kind kind = at_frame && junk_after_frame ? finding_kind::sync_lost : finding_kind::junk;
    finding f = make(kind, junk_start);
    f.length = offset - junk_start;
    emit(f);
}

void checker::state::finish() {
    if (finished) return;
    finished = true;
    process();
    if (skip > 0) {
        finding f = make(finding_kind::tag_truncated, skipped_tag_offset);
        f.length = skip;
        set_label(f.label, skipped_tag_label);
        emit(f);
        skip = 0;
    }
    flush_junk(false);
    if (audio_frames == 0) emit(make(finding_kind::no_audio, 0));
    cross_check_vbr();
    sum_up();
}

void checker::state::cross_check_vbr() {
    if (!have_vbr) return;
    // Frame bytes only: junk between frames is reported as such, not as an appended stream.
    const std::uint64_t counted_bytes = bytes_from_vbr;
    auto report = [&](std::int64_t declared, std::int64_t counted, bool bytes) {
        if (declared == counted) return;
        finding f = make(counted < declared ? finding_kind::stream_truncated : finding_kind::stream_appended,
                         last_frame_end);
        f.expected = declared;
        f.actual = counted;
        f.length = bytes ? 1 : 0;
        set_label(f.label, vbr.label);
        emit(f);
    };
    if (vbr.has_frames) report(vbr.frames, frames_after_vbr, false);
    // The byte count only tells something new when the frame count agrees.
    if (vbr.has_bytes && (!vbr.has_frames || vbr.frames == frames_after_vbr)) {
        report(vbr.bytes, static_cast<std::int64_t>(counted_bytes), true);
    }
    if (vbr.lame.present && music_checked_to == music_end && music_crc != vbr.lame.music_crc) {
        finding f = make(finding_kind::music_crc, vbr_offset);
        f.frame = 0;
        f.time = 0;
        f.expected = vbr.lame.music_crc;
        f.actual = music_crc;
        emit(f);
    }
}

void checker::state::sum_up() {
    totals.frames = audio_frames;
    totals.duration = time;
    const bool net = totals.encoder_delay >= 0 && totals.sampling_rate > 0 && vbr.has_frames &&
                     vbr.frames == frames_after_vbr;
    if (net) totals.duration -= static_cast<double>(totals.encoder_delay + totals.encoder_padding) / totals.sampling_rate;
    totals.duration = std::max(0.0, totals.duration);
    totals.variable_bitrate = totals.min_bitrate != totals.max_bitrate;
    if (audio_frames > 0) totals.average_bitrate = static_cast<std::int32_t>(bitrate_sum / audio_frames);
}

// ---- the public face ----

checker::checker(finding_callback on_finding) : state_(std::make_unique<state>()) {
    state_->on_finding = std::move(on_finding);
}

checker::checker(finding_callback on_finding, frame_callback on_frame) : checker(std::move(on_finding)) {
    state_->on_frame = std::move(on_frame);
}

checker::~checker() = default;

void checker::feed(const std::uint8_t* data, std::size_t size) {
    if (!state_->finished) state_->feed(data, size);
}

void checker::finish() { state_->finish(); }

const summary& checker::result() const { return state_->totals; }

}  // namespace mpacheck
