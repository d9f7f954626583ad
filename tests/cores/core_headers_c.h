#pragma once
/* Record sizes and offsets of the core headers as a C translation unit sees
 * them. */
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct core_layout {
    size_t mp2_file_info_size;
    size_t mp2_program_info_size;
    size_t mp2_stream_count_offset;
    size_t mp2_stream_format_size;
    size_t mp2_media_type_offset;
    size_t mp2_selection_output_offset;
    size_t mp2_selection_size;
    size_t mxf_media_type_offset;
    size_t mxf_selection_output_offset;
    size_t mxf_selection_size;
    size_t mxf_essence_tracks_offset;
    size_t track_container_offset;
    size_t track_media_type_offset;
    size_t track_selection_output_offset;
    size_t track_selection_size;
} core_layout;

void core_layout_from_c(core_layout* layout);

#ifdef __cplusplus
}
#endif
