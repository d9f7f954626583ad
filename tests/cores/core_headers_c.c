/* Compiled as C: the core headers are valid C with the record layouts the
 * C++ side sees. */
#include "tests/cores/core_headers_c.h"

#include "cores/demo_demux_mp2/demo_demux_mp2.h"
#include "cores/demo_demux_mp4/demo_demux_mp4.h"
#include "cores/demo_demux_mxf/demo_demux_mxf.h"
#include "cores/demo_demux_asf/demo_demux_asf.h"

void core_layout_from_c(core_layout* layout) {
    layout->mp2_file_info_size = sizeof(mp2_file_info);
    layout->mp2_program_info_size = sizeof(mp2_program_info);
    layout->mp2_stream_count_offset = offsetof(mp2_program_info, stream_count);
    layout->mp2_stream_format_size = sizeof(mp2_stream_format);
    layout->mp2_media_type_offset = offsetof(mp2_stream_format, media_type);
    layout->mp2_selection_output_offset = offsetof(mp2_stream_selection, output);
    layout->mp2_selection_size = sizeof(mp2_stream_selection);
    layout->mxf_media_type_offset = offsetof(mxf_stream_format, media_type);
    layout->mxf_selection_output_offset = offsetof(mxf_stream_selection, output);
    layout->mxf_selection_size = sizeof(mxf_stream_selection);
    layout->mxf_essence_tracks_offset = offsetof(mxf_demux_settings, essence_tracks);
    layout->track_container_offset = offsetof(track_demux_settings, container);
    layout->track_media_type_offset = offsetof(track_stream_format, media_type);
    layout->track_selection_output_offset = offsetof(track_stream_selection, output);
    layout->track_selection_size = sizeof(track_stream_selection);
}
