// The Layer III bit reservoir: every frame's main data bytes go into a
// 4096-byte circular buffer, and main_data_begin says how far before the
// frame's own bytes its granules start.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "libs/mpadec/layer3.h"

namespace mpadec {

std::uint32_t main_data_buffer::read(int bits) {
    std::uint32_t value = 0;
    while (bits > 0) {
        const auto at = static_cast<std::uint32_t>(position);
        const int offset = static_cast<int>(at & 7);
        const int take = std::min(8 - offset, bits);
        const std::uint32_t byte = bytes[(at >> 3) & (kMainDataBytes - 1)];
        value = value << take | ((byte >> (8 - offset - take)) & ((1u << take) - 1));
        position += take;
        bits -= take;
    }
    return value;
}

int main_data_slots(int version, int channels, int bitrate_kbps, double sampling_rate_khz, int padding,
                    bool crc_present) {
    // The frame length without padding, the way the header tables give it.
    const int x = static_cast<int>(std::trunc(144.0 * bitrate_kbps / sampling_rate_khz));
    int slots;
    if (version == 1) {
        slots = x - (channels == 1 ? 17 : 32);
    } else {
        slots = x / 2 - (channels == 1 ? 9 : 17);
    }
    slots += padding - 4;
    if (crc_present) slots -= 2;
    return std::max(slots, 0);  // every valid header leaves room; a negative count reads nothing
}

namespace {

// Whole runs of bytes into the ring, zeros for those past the reader's data.
void copy_main_data(main_data_buffer& buffer, const bit_reader& reader, std::size_t from, int count) {
    while (count > 0) {
        const std::uint32_t slot = buffer.stored & (kMainDataBytes - 1);
        const int run = std::min(count, static_cast<int>(kMainDataBytes - slot));
        const std::size_t held = from < reader.size() ? std::min<std::size_t>(run, reader.size() - from) : 0;
        if (held > 0) std::memcpy(buffer.bytes + slot, reader.data() + from, held);
        std::memset(buffer.bytes + slot + held, 0, static_cast<std::size_t>(run) - held);
        if (slot < 8) {
            const auto end = std::min<std::uint32_t>(8, slot + static_cast<std::uint32_t>(run));
            std::memcpy(buffer.bytes + kMainDataBytes + slot, buffer.bytes + slot, end - slot);
        }
        buffer.stored += static_cast<std::uint32_t>(run);
        from += static_cast<std::size_t>(run);
        count -= run;
    }
}

}  // namespace

void store_main_data(main_data_buffer& buffer, bit_reader& reader, int slots) {
    if (slots <= 0) return;
    const std::size_t at = reader.position();
    if (at % 8 != 0) {
        for (int i = 0; i < slots; ++i) buffer.store(static_cast<std::uint8_t>(reader.read(8)));
        return;
    }
    copy_main_data(buffer, reader, at / 8, slots);
    reader.skip(static_cast<std::size_t>(slots) * 8);
}

bool seek_main_data(main_data_buffer& buffer, int main_data_begin, int slots) {
    // Whatever the last frame left of its current byte is dropped.
    buffer.position = (buffer.position + 7) & ~7;
    const std::int32_t read_bytes = buffer.position / 8;
    const std::int32_t discard = buffer.frame_start - read_bytes - main_data_begin;
    if (read_bytes > kMainDataBytes) {
        buffer.frame_start -= kMainDataBytes;
        buffer.position -= kMainDataBytes * 8;
    }
    buffer.frame_start += slots;
    if (discard < 0) return false;
    buffer.skip(discard * 8);
    return true;
}

}  // namespace mpadec
