/* Compiled as C: the record headers must be valid C with the same layout. */
#include "tests/plugins/common/bufstream_layout_c.h"

#include "abi/bufstream.h"
#include "abi/bufstream_pcm.h"

void bufstream_layout_from_c(bufstream_layout* layout) {
    const size_t offsets[14] = {
        offsetof(bufstream, bytes_available), offsetof(bufstream, reserve),    offsetof(bufstream, commit),
        offsetof(bufstream, write_bytes),     offsetof(bufstream, block_size), offsetof(bufstream, control),
        offsetof(bufstream, next_part),       offsetof(bufstream, finish),     offsetof(bufstream, release),
        offsetof(bufstream, reserved_a),      offsetof(bufstream, reserved_b), offsetof(bufstream, flags),
        offsetof(bufstream, reserved_c),      offsetof(bufstream, impl)};
    size_t i;
    layout->record_size = sizeof(bufstream);
    for (i = 0; i < 14; ++i) layout->field_offsets[i] = offsets[i];
    layout->vobu_size = sizeof(bufstream_dvd_vobu);
    layout->sync_value_size = sizeof(bufstream_dvd_sync_value);
    layout->tag_header_size = sizeof(bufstream_pcm_tag_header);
    layout->stream_desc_size = sizeof(bufstream_pcm_stream_desc);
    layout->packet_desc_size = sizeof(bufstream_pcm_packet_desc);
    layout->packet_desc_flags_offset = offsetof(bufstream_pcm_packet_desc, packet_flags);
    layout->packet_desc_format_flags_offset = offsetof(bufstream_pcm_packet_desc, format_flags);
}
