/* The record layouts as the C compiler sees them, for the C++ tests to
 * compare with their own view. */
#ifndef TAMBERLY_TESTS_BUFSTREAM_LAYOUT_C_H
#define TAMBERLY_TESTS_BUFSTREAM_LAYOUT_C_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct bufstream_layout {
    size_t record_size;
    size_t field_offsets[14]; /* the nine slots, then the five words */
    size_t vobu_size;
    size_t sync_value_size;
    size_t tag_header_size;
    size_t stream_desc_size;
    size_t packet_desc_size;
    size_t packet_desc_flags_offset;
    size_t packet_desc_format_flags_offset;
} bufstream_layout;

void bufstream_layout_from_c(bufstream_layout* layout);

#ifdef __cplusplus
}
#endif

#endif
