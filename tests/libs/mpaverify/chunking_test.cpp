// The results do not depend on how the stream is cut into chunks.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "libs/mpaverify/mpaverify.h"
#include "libs/mpaverify/validator.h"
#include "tests/libs/mpaverify/validator_driver.h"
#include "tests/support/temp_dir.h"

namespace mpaverify_test {
namespace {

using testsupport::MakeHeader;
using testsupport::MpaFrameSpec;
using testsupport::MpaStreamBuilder;

struct NamedStream {
    std::string name;
    Bytes data;
};

Bytes Fixture(const char* name) { return testsupport::ReadFileBytes(testsupport::FixturePath(name)); }

// Junk everywhere, every kind of change, padding, an emulated header inside a
// frame, a false sync, a free-format frame and a truncated tail.
Bytes EverythingStream() {
    MpaFrameSpec padded = LayerII(8, 1);
    padded.padding = 1;
    MpaFrameSpec layer1 = LayerII(12, 0);
    layer1.layer = testsupport::kMpaLayerI;
    layer1.crc = true;
    MpaFrameSpec layer1_padded = layer1;
    layer1_padded.padding = 1;
    Bytes emulated(40, 0x00);
    const Bytes inner = MakeHeader(LayerII(10, 1));
    emulated.insert(emulated.end(), inner.begin(), inner.end());
    MpaStreamBuilder b;
    b.Junk(3, 0xFF).Frames(LayerII(10, 1), 3).Frame(LayerII(8, 1), 0x00, emulated).Junk(10, 0x5A);
    b.Frame(padded).Frames(LayerII(8, 0), 2).Frame(layer1).Frame(layer1_padded).Raw(MakeHeader(LayerII(8, 2)));
    b.Junk(9).Frame(LayerII(0, 1)).Junk(30).Frames(LayerII(14, 2), 2);
    const Bytes tail = testsupport::MakeFrame(LayerII(8, 1));
    b.Raw(Bytes(tail.begin(), tail.begin() + 200));
    return b.Data();
}

std::vector<NamedStream> Streams() {
    return {{"tone_l2_44k_128k", Fixture("tone_l2_44k_128k.mp2")},
            {"tone_l2_48k_192k_crc", Fixture("tone_l2_48k_192k_crc.mp2")},
            {"ff_44k_stereo_192k", Fixture("mpadec/ff_44k_stereo_192k.mp2")},
            {"tl_44k_dual_256k", Fixture("mpadec/tl_44k_dual_256k.mp2")},
            {"tl_32k_mono_48k_crc", Fixture("mpadec/tl_32k_mono_48k_crc.mp2")},
            {"ff_lsf_16k_mono_32k", Fixture("mpadec/ff_lsf_16k_mono_32k.mp2")},
            {"everything", EverythingStream()}};
}

// The walker's view: events and frames examined.
struct WalkerOutcome {
    std::vector<Event> events;
    int32_t examined = 0;
    friend bool operator==(const WalkerOutcome&, const WalkerOutcome&) = default;
};

WalkerOutcome ValidateWalker(const Bytes& data, std::size_t chunk) {
    EXPECT_EQ(InitializeValidator(), 0);
    Feed(data, chunk);
    WalkerOutcome o{ReadEvents(), mpaverify::Instance().ParsedFrames()};
    EXPECT_EQ(UninitializeValidator(), 0);
    return o;
}

const std::size_t kChunks[] = {1, 7, 4096, std::size_t{1} << 20};

TEST(Chunking, EverySplitGivesTheSameEventsAndFrames) {
    for (const NamedStream& stream : Streams()) {
        ASSERT_FALSE(stream.data.empty()) << stream.name;
        const WalkerOutcome whole = ValidateWalker(stream.data, 0);
        // The MPEG-2 stream is all junk to the walker.
        const bool mpeg1 = stream.name.find("lsf") == std::string::npos;
        EXPECT_EQ(whole.examined > 0, mpeg1) << stream.name;
        for (const std::size_t chunk : kChunks)
            EXPECT_EQ(ValidateWalker(stream.data, chunk), whole) << stream.name << " in chunks of " << chunk;
    }
}

// The decoder accepts a frame without its confirming header when its input
// ends right after the frame, so its count may depend on the split where a
// frame is followed by junk; clean streams decode the same however cut.
TEST(Chunking, CleanStreamsDecodeTheSameHoweverCut) {
    for (const NamedStream& stream : Streams()) {
        if (stream.name == "everything") continue;
        const Outcome whole = Validate(stream.data, 0);
        for (const std::size_t chunk : kChunks)
            EXPECT_EQ(Validate(stream.data, chunk), whole) << stream.name << " in chunks of " << chunk;
    }
}

TEST(Chunking, TheEverythingStreamRaisesEveryWalkerKind) {
    const Outcome o = Validate(EverythingStream(), 0);
    for (const int32_t kind : {JUNK_BYTES, CHANGING_BITRATE, CHANGING_FRAMESIZE, CHANGING_FREQUENCY, VALID_PADDING,
                               CHANGING_LAYER, CHANGING_PROTECTION, JUNK_AT_THE_END})
        EXPECT_FALSE(OfKind(o.events, kind).empty()) << kind;
}

TEST(Chunking, EndOfStreamWithTheLastChunkEqualsASeparateCall) {
    const Bytes data = EverythingStream();
    const Outcome separate = Validate(data, 0);
    ASSERT_EQ(InitializeValidator(), 0);
    ASSERT_EQ(AddData(data.data(), static_cast<int32_t>(data.size()), 1), 0);
    EXPECT_EQ(ReadOutcome(), separate);
    EXPECT_EQ(UninitializeValidator(), 0);
}

}  // namespace
}  // namespace mpaverify_test
