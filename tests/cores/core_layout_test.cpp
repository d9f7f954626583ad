// The core records as C and C++ see them: the sizes and offsets the plugins
// rely on (program count at 0, stream count at 12, the media type at byte
// 21 of the 152-byte block; for MXF at byte 8), the pointer-sized output
// of the selection blocks included.

#include <gtest/gtest.h>

#include "cores/demo_demux_mp2/demo_demux_mp2.h"
#include "cores/demo_demux_mxf/demo_demux_mxf.h"
#include "cores/track_demux/track_demux.h"
#include "tests/cores/core_headers_c.h"

namespace {

TEST(CoreLayout, CAndCxxAgree) {
    core_layout c{};
    core_layout_from_c(&c);
    EXPECT_EQ(c.mp2_file_info_size, sizeof(mp2_file_info));
    EXPECT_EQ(c.mp2_program_info_size, sizeof(mp2_program_info));
    EXPECT_EQ(c.mp2_stream_count_offset, offsetof(mp2_program_info, stream_count));
    EXPECT_EQ(c.mp2_stream_format_size, sizeof(mp2_stream_format));
    EXPECT_EQ(c.mp2_media_type_offset, offsetof(mp2_stream_format, media_type));
    EXPECT_EQ(c.mp2_selection_output_offset, offsetof(mp2_stream_selection, output));
    EXPECT_EQ(c.mp2_selection_size, sizeof(mp2_stream_selection));
    EXPECT_EQ(c.mxf_media_type_offset, offsetof(mxf_stream_format, media_type));
    EXPECT_EQ(c.mxf_selection_output_offset, offsetof(mxf_stream_selection, output));
    EXPECT_EQ(c.mxf_selection_size, sizeof(mxf_stream_selection));
    EXPECT_EQ(c.mxf_essence_tracks_offset, offsetof(mxf_demux_settings, essence_tracks));
    EXPECT_EQ(c.track_container_offset, offsetof(track_demux_settings, container));
    EXPECT_EQ(c.track_media_type_offset, offsetof(track_stream_format, media_type));
    EXPECT_EQ(c.track_selection_output_offset, offsetof(track_stream_selection, output));
    EXPECT_EQ(c.track_selection_size, sizeof(track_stream_selection));
}

TEST(CoreLayout, FixedBlocksKeepTheirSizes) {
    EXPECT_EQ(sizeof(mp2_demux_settings), 131u);
    EXPECT_EQ(sizeof(mp2_file_info), 92u);
    EXPECT_EQ(sizeof(mp2_program_info), 108u);
    EXPECT_EQ(offsetof(mp2_program_info, stream_count), 12u);
    EXPECT_EQ(sizeof(mp2_stream_format), 152u);
    EXPECT_EQ(offsetof(mp2_stream_format, media_type), 21u);
    EXPECT_EQ(sizeof(mp2_parser_settings), 82u);
    // 77 bytes where pointers are 4 bytes wide.
    EXPECT_EQ(sizeof(mp2_stream_selection), 73u + sizeof(void*));
    EXPECT_EQ(offsetof(mxf_stream_format, media_type), 8u);
    EXPECT_EQ(offsetof(mxf_demux_settings, essence_tracks), 57u);
    EXPECT_EQ(offsetof(mxf_stream_selection, output), 4u);
}

}  // namespace
