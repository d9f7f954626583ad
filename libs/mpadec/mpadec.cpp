// The exported surface: creation, the four operations of the decoder stream
// (write_bytes in its two modes, control, finish, release), PCM delivery, the
// statistics record and the frame tag.

#include "libs/mpadec/mpadec.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "libs/mpadec/decoder.h"

using namespace mpadec;

namespace {

mpa_decoder& decoder_of(bufstream* bs) { return *reinterpret_cast<mpa_decoder*>(bs); }

void* TAMBERLY_CDECL own_allocate(size_t size) { return std::malloc(size); }
void TAMBERLY_CDECL own_release(void* block) { std::free(block); }
int TAMBERLY_CDECL ignore_message(const char*, ...) { return 0; }

// ---- input window ----

void fill(input_window& window) {
    const std::uint32_t count = std::min(window.input_left, kWindowBytes - window.held);
    if (count == 0) return;
    if (window.start + window.held + count > kWindowBytes) {
        std::memmove(window.bytes, window.bytes + window.start, window.held);
        window.start = 0;
    }
    std::memcpy(window.bytes + window.start + window.held, window.input, count);
    window.held += count;
    window.input += count;
    window.input_left -= count;
}

void drop(input_window& window, std::uint32_t count) {
    window.start += count;
    window.held -= count;
    if (window.held == 0) window.start = 0;
}

void empty(input_window& window) {
    window.start = window.held = window.carried = 0;
    window.input = nullptr;
    window.input_left = 0;
}

// ---- PCM delivery ----

void deliver_pending(mpa_decoder& decoder) {
    input_window& window = decoder.window;
    const std::uint32_t count = std::min(window.pending, window.capacity);
    if (count > 0) std::memcpy(decoder.pcm->data, decoder.frame_pcm + window.pending_position, count);
    window.pending_position += count;
    window.pending -= count;
    decoder.pcm->size = count;
}

// What does not fit the caller's buffer is delivered from frame_pcm by the
// next calls, which decode nothing before it is all out.
void deliver_frame(mpa_decoder& decoder) {
    input_window& window = decoder.window;
    const std::uint32_t bytes = frame_pcm_bytes(decoder);
    if (decoder.pcm == nullptr) return;  // no PCM buffer: the frame's PCM is dropped
    const std::uint32_t count = std::min(bytes, window.capacity - decoder.pcm->size);
    if (count > 0) std::memcpy(decoder.pcm->data + decoder.pcm->size, decoder.frame_pcm, count);
    decoder.pcm->size += count;
    window.pending_position = count;
    window.pending = bytes - count;
}

// ---- statistics ----

void count_junk(mpa_decoder& decoder, std::uint32_t bytes) {
    if (decoder.statistics != nullptr) decoder.statistics->bytes_skipped += bytes;
}

void count_frame(mpa_decoder& decoder) {
    mpa_statistics* s = decoder.statistics;
    if (s == nullptr) return;
    const bool ok = decoder.decode_error == 0;
    ++(ok ? s->frames_decoded : s->frames_failed);
    s->last_frame_ok = ok ? 1 : 0;
    s->channels = ok ? decoder.header.channels : 0;
    s->bytes_per_sample = ok ? 2 : 0;
    s->sampling_rate = ok ? decoder.header.sampling_rate : 0;
    s->samples_per_frame = ok ? decoder.samples_per_channel : 0;
    s->bitrate = ok ? decoder.header.bitrate : 0;
    s->samples_clipped = ok ? decoder.clip_count : 0;
}

// ---- write_bytes ----

// Decode mode: locates and decodes at most one frame; see mpadec.h for the
// meaning of the result. Bytes of an incomplete frame (or the last 3 bytes
// when nothing was found) stay in the window for the next call; the result
// counts them now and the next call subtracts them again.
//
// A frame can also end inside the bytes carried in from the last call (when
// the candidate they started with is not confirmed now, and a shorter frame
// within them is). The bytes after it were counted already, so they stay in
// the window and the call returns 0: the result never goes negative and no
// byte is counted twice or lost.
std::uint32_t write_decode(mpa_decoder& decoder, const std::uint8_t* data, std::uint32_t length) {
    input_window& window = decoder.window;
    decoder.status = 0;
    window.capacity = decoder.pcm != nullptr && decoder.pcm->data != nullptr ? decoder.pcm->size : 0;
    if (window.pending > 0) {
        deliver_pending(decoder);
        if (window.pending > 0) {
            decoder.status = MPA_STATUS_FRAME;
            return 0;
        }
    } else if (decoder.pcm != nullptr) {
        decoder.pcm->size = 0;
    }
    if (data == nullptr) return 0;

    window.input = data;
    window.input_left = length;
    const std::uint32_t carried_in = window.held;
    std::uint32_t dropped = 0;  // from the front of the window in this call
    bool decoded = false;
    for (;;) {
        fill(window);
        std::uint32_t offset = 0;
        const sync_outcome outcome = sync_search(window, offset);
        if (outcome == sync_outcome::too_few) break;  // the input is used up
        if (outcome == sync_outcome::none) {
            const std::uint32_t junk = window.held - 3;
            drop(window, junk);
            dropped += junk;
            count_junk(decoder, junk);
            if (window.input_left == 0) break;
            continue;
        }
        drop(window, offset);
        dropped += offset;
        count_junk(decoder, offset);
        const auto frame_length = static_cast<std::uint32_t>(parse_header(decoder, window.bytes + window.start));
        if (window.held < frame_length) {
            if (window.input_left == 0) break;  // incomplete: kept for the next call
            continue;                           // the next fill completes it
        }
        decode_frame(decoder);
        count_frame(decoder);
        if (decoder.tag.data != nullptr && decoder.tag.length != 0) decoder.tag.ready = 1;
        if (decoder.decode_error) {
            drop(window, 1);
            dropped += 1;
            continue;
        }
        if (decoder.statistics != nullptr) decoder.statistics->bytes_decoded += frame_length;
        deliver_frame(decoder);
        drop(window, frame_length);
        dropped += frame_length;
        // Keep only carried-in bytes after the frame; the caller offers the
        // rest of this call's input again.
        window.held = dropped < carried_in ? carried_in - dropped : 0;
        if (window.held == 0) window.start = 0;
        decoded = true;
        break;
    }
    window.carried = window.held;
    window.input = nullptr;
    window.input_left = 0;
    decoder.status = decoded ? MPA_STATUS_FRAME : 0;
    return static_cast<std::uint32_t>(static_cast<std::int64_t>(dropped) + window.carried - carried_in);
}

// Header-search mode: the junk before the first header plus its 4 bytes, or
// the bytes discarded when there is none. Nothing is kept between calls.
std::uint32_t write_header_search(mpa_decoder& decoder, const std::uint8_t* data, std::uint32_t length) {
    input_window& window = decoder.window;
    decoder.status = 0;
    empty(window);
    window.input = data;
    window.input_left = data != nullptr ? length : 0;
    std::uint32_t result = 0;
    for (;;) {
        fill(window);
        std::uint32_t offset = 0;
        const sync_outcome outcome = sync_search(window, offset);
        if (outcome == sync_outcome::too_few) break;
        if (outcome == sync_outcome::none) {
            const std::uint32_t junk = window.held - 3;
            drop(window, junk);
            result += junk;
            continue;
        }
        drop(window, offset);
        parse_header(decoder, window.bytes + window.start);
        result += offset + 4;
        decoder.status = MPA_STATUS_FRAME;
        break;
    }
    empty(window);
    return result;
}

std::uint32_t TAMBERLY_CDECL decoder_write_bytes(bufstream* bs, const std::uint8_t* data, std::uint32_t length) {
    if (bs == nullptr) return 0;
    mpa_decoder& decoder = decoder_of(bs);
    return decoder.mode == stream_mode::decode ? write_decode(decoder, data, length)
                                               : write_header_search(decoder, data, length);
}

// ---- control ----

void fill_frame_info(mpa_decoder& decoder) {
    const frame_header& h = decoder.header;
    mpa_frame_info& info = decoder.info;
    info.header = static_cast<std::int32_t>(h.word);
    info.version = h.version;
    info.layer_code = h.layer_code;
    info.protection = h.protection;
    info.bitrate_index = h.bitrate_index;
    info.sampling_index = h.sampling_index;
    info.padding = h.padding;
    info.private_bit = h.private_bit;
    info.mode = h.mode;
    info.mode_extension = h.mode_extension;
    info.copyright = h.copyright;
    info.original = h.original;
    info.emphasis = h.emphasis;
    info.sampling_rate = h.sampling_rate;
    info.bits_per_sample = 16;
    info.bitrate = h.bitrate / 1000;
    info.bytes_per_sample = h.channels * 2;
    info.layer = h.layer;
    info.channels = h.channels;
    info.samples_per_frame = h.layer == 1 ? 384 : h.layer == 2 || h.version == 1 ? 1152 : h.layer == 3 ? 576 : 0;
    info.frame_length = h.frame_length;
}

void set_frame_tag(mpa_decoder& decoder, const void* block, std::uint32_t length) {
    frame_tag& tag = decoder.tag;
    if (tag.capacity < length) {
        if (tag.data != nullptr) decoder.release_memory(tag.data);
        tag.data = static_cast<std::uint8_t*>(decoder.allocate(length));
        tag.capacity = tag.data != nullptr ? length : 0;
        tag.length = 0;
        tag.ready = 0;
    }
    if (tag.data != nullptr && tag.capacity >= length) {
        std::memcpy(tag.data, block, length);
        tag.length = length;
        tag.ready = 0;
    }
}

void* take_frame_tag(mpa_decoder& decoder) {
    frame_tag& tag = decoder.tag;
    if (tag.data == nullptr || tag.length == 0 || !tag.ready) return nullptr;
    tag.length = 0;
    return tag.data;
}

std::int32_t TAMBERLY_CDECL decoder_control(bufstream* bs, std::uint32_t, std::uint32_t code, void* data,
                                            std::uint32_t size) {
    if (bs == nullptr) return -1;
    mpa_decoder& decoder = decoder_of(bs);
    switch (code) {
    case MPA_CTL_SET_STATISTICS:
        if (data != nullptr && size == sizeof(mpa_reset_params)) {
            decoder.statistics = static_cast<const mpa_reset_params*>(data)->statistics;
            if (decoder.statistics != nullptr) std::memset(decoder.statistics, 0, sizeof(mpa_statistics));
        }
        decoder.tag.length = 0;
        decoder.tag.ready = 0;
        decoder.header.allocation_table_index = kNoAllocationTable;
        return 0;
    case MPA_CTL_SET_PCM_BUFFER:
        if (data == nullptr || size != sizeof(mpa_pcm_buffer)) return -1;
        decoder.pcm = static_cast<mpa_pcm_buffer*>(data);
        decoder.mode = stream_mode::decode;
        return 0;
    case MPA_CTL_GET_STATUS:
        return static_cast<std::int32_t>(decoder.status);
    case MPA_CTL_GET_FRAME_INFO:
        if (data == nullptr) return -1;
        fill_frame_info(decoder);
        *static_cast<mpa_frame_info**>(data) = &decoder.info;
        return 0;
    case MPA_CTL_SET_FRAME_TAG:
        if (data != nullptr) set_frame_tag(decoder, data, size);
        return 0;
    case MPA_CTL_GET_FRAME_TAG:
        if (data != nullptr) *static_cast<void**>(data) = take_frame_tag(decoder);
        return 0;
    case MPA_CTL_TAKE_STATUS: {
        const std::uint32_t status = decoder.status;
        decoder.status = 0;
        return static_cast<std::int32_t>(status);
    }
    case MPA_CTL_PARSE_ONLY:
        std::memset(&decoder.window, 0, sizeof decoder.window);
        decoder.pcm = nullptr;
        decoder.mode = stream_mode::header_search;
        return 0;
    default:  // MPA_CTL_PARSE_INIT and every unknown code
        return 0;
    }
}

// ---- end of life ----

void TAMBERLY_CDECL decoder_finish(bufstream*, std::int32_t) {}

void TAMBERLY_CDECL decoder_release(bufstream* bs) {
    if (bs == nullptr) return;
    mpa_decoder& decoder = decoder_of(bs);
    if (decoder.tag.data != nullptr) decoder.release_memory(decoder.tag.data);
    std::free(decoder.header.allocation_table);
    const mpa_free_fn release_memory = decoder.release_memory;
    release_memory(&decoder);
}

// ---- extension query ----

std::int32_t TAMBERLY_CDECL mpa_api_ext_query(std::int32_t code, void* out) {
    static constexpr char kVersion[] = "10.4.15.9822";
    static constexpr char kPlatform[] = "ZRPLATFORM_IA32";
    if (out == nullptr) return 1;
    switch (code) {
    case MPA_EXT_API_LEVEL: {
        const std::int32_t level = 2;
        std::memcpy(out, &level, sizeof level);
        return 0;
    }
    case MPA_EXT_VERSION:
        std::memcpy(out, kVersion, sizeof kVersion - 1);
        return 0;
    case MPA_EXT_PLATFORM:
        std::memcpy(out, kPlatform, sizeof kPlatform - 1);
        return 0;
    default:
        return 1;
    }
}

template <typename Function>
Function resolve(mpa_get_resource_fn get_resource, const char* name) {
    return get_resource != nullptr ? reinterpret_cast<Function>(get_resource(name)) : nullptr;
}

}  // namespace

// ---- exports ----

extern "C" {

TAMBERLY_EXPORT bufstream* TAMBERLY_CDECL open_MPEGin_Audio_stream_ex(mpa_get_resource_fn get_resource, std::int32_t,
                                                                     std::int32_t) {
    auto allocate = resolve<mpa_malloc_fn>(get_resource, "malloc");
    auto release_memory = allocate != nullptr ? resolve<mpa_free_fn>(get_resource, "free") : nullptr;
    if (allocate == nullptr || release_memory == nullptr) {
        allocate = own_allocate;
        release_memory = own_release;
    }
    void* memory = allocate(sizeof(mpa_decoder));
    if (memory == nullptr) return nullptr;
    std::memset(memory, 0, sizeof(mpa_decoder));
    auto* decoder = static_cast<mpa_decoder*>(memory);
    decoder->allocate = allocate;
    decoder->release_memory = release_memory;

    decoder->error_sink = resolve<mpa_printf_fn>(get_resource, "err_printf");
    decoder->warning_sink = resolve<mpa_printf_fn>(get_resource, "wrn_printf");
    decoder->information_sink = resolve<mpa_printf_fn>(get_resource, "inf_printf");
    if (decoder->error_sink == nullptr) decoder->error_sink = ignore_message;
    if (decoder->warning_sink == nullptr) decoder->warning_sink = ignore_message;
    if (decoder->information_sink == nullptr) decoder->information_sink = ignore_message;

    decoder->header.allocation_table = static_cast<std::int32_t*>(std::calloc(1, kAllocationTableBytes));
    if (decoder->header.allocation_table == nullptr) {
        release_memory(memory);
        return nullptr;
    }
    decoder->header.allocation_table_index = kNoAllocationTable;

    decoder->stream.write_bytes = decoder_write_bytes;
    decoder->stream.control = decoder_control;
    decoder->stream.finish = decoder_finish;
    decoder->stream.release = decoder_release;
    decoder->mode = stream_mode::decode;
    decoder->ring_position[0] = decoder->ring_position[1] = 64;
    decoder->simd = detected_simd_path();
    return &decoder->stream;
}

TAMBERLY_EXPORT bufstream* TAMBERLY_CDECL open_MPEGin_Audio_stream(void) {
    return open_MPEGin_Audio_stream_ex(nullptr, 0, 0);
}

TAMBERLY_EXPORT void* TAMBERLY_CDECL MPEGin_Audio_GetAPIExt(std::int32_t id) {
    return id == 1 ? reinterpret_cast<void*>(&mpa_api_ext_query) : nullptr;
}

}  // extern "C"
