// Layer III frames reach back into the bytes of the frames before them (the
// bit reservoir), so a decoder that loses or repeats bytes where the input
// was cut gives different PCM. Whatever the chunk size, the PCM must be the
// PCM of the whole-file decode.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/libs/mpadec/decoder_driver.h"
#include "tests/support/temp_dir.h"

namespace {

using mpadec_test::Bytes;
using mpadec_test::Decoded;
using mpadec_test::DecodeAll;

// lame streams (VBR with a Xing frame, MPEG-2 joint stereo) and a conformance
// stream whose frames lean on the reservoir.
const char* const kStreams[] = {
    TAMBERLY_TEST_DATA_DIR "/mpadec/layer3/lame_44k_joint_vbr.mp3",
    TAMBERLY_TEST_DATA_DIR "/mpadec/layer3/lame_lsf_22k_joint_64k.mp3",
    TAMBERLY_CONFORMANCE_DIR "/layer3/l3-si_huff.bit",
};

TEST(Layer3ChunkingTest, ChunkedDecodeGivesTheWholeFilePcm) {
    for (const char* path : kStreams) {
        ASSERT_TRUE(std::filesystem::exists(path)) << path;
        const Bytes data = testsupport::ReadFileBytes(path);
        const Decoded whole = DecodeAll(data);
        ASSERT_GT(whole.frames, 10) << path;
        for (const std::size_t chunk : {1u, 7u, 4096u}) {
            const Decoded pieces = DecodeAll(data, chunk);
            EXPECT_EQ(pieces.frames, whole.frames) << path << " in chunks of " << chunk;
            EXPECT_TRUE(pieces.pcm == whole.pcm) << path << " in chunks of " << chunk;
        }
    }
}

}  // namespace
