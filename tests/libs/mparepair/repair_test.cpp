// The repair on built streams whose clean form is known: what comes out is
// that clean form byte for byte, every change in the report points at the
// bytes it names in both files, and a second repair changes nothing.

#include "libs/mparepair/mparepair.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/mpa_builder.h"
#include "tests/support/temp_dir.h"

namespace {

using testsupport::Bytes;
using testsupport::MpaFrameSpec;
using testsupport::MpaStreamBuilder;
using mparepair::change_kind;

struct Repaired {
    mparepair::result outcome;
    Bytes output;
};

Repaired Repair(const Bytes& input, const mparepair::options& choice) {
    const testsupport::TempDir dir;
    const std::string in = dir.Write("in.mp2", input);
    const std::string out = dir.File("out.mp2");
    const int inFd = ::open(in.c_str(), O_RDONLY);
    const int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    Repaired run;
    run.outcome = mparepair::repair(inFd, outFd, choice);
    ::close(inFd);
    ::close(outFd);
    run.output = testsupport::ReadFileBytes(out);
    return run;
}

Bytes Id3v2Tag() {
    Bytes tag = {'I', 'D', '3', 4, 0, 0, 0, 0, 0, 40};
    tag.resize(tag.size() + 40, 0x20);
    return tag;
}

Bytes Id3v1Tag() {
    Bytes tag = {'T', 'A', 'G'};
    tag.resize(128, 'x');
    return tag;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes Frames(int count, bool crc = false) {
    MpaFrameSpec frameShape;
    frameShape.crc = crc;
    MpaStreamBuilder stream;
    for (int i = 0; i < count; ++i) stream.Frame(frameShape, static_cast<std::uint8_t>(0x10 + i));
    return stream.Data();
}

Bytes Junk(std::size_t count) { return Bytes(count, 0x11); }

// A protected stream with frame `bad` carrying a wrong CRC word.
Bytes WithBadCrc(Bytes stream, int bad) {
    const std::size_t crc = static_cast<std::size_t>(bad) * 384 + 4;
    stream[crc] ^= 0x5A;
    return stream;
}

mparepair::options Choice(bool keepJunk = false, bool dropTags = false, bool fixCrc = false) {
    mparepair::options choice;
    choice.keep_junk = keepJunk;
    choice.drop_tags = dropTags;
    choice.fix_crc = fixCrc;
    return choice;
}

struct RepairCase {
    const char* name;
    Bytes input;
    Bytes clean;
    mparepair::options choice;
    std::vector<change_kind> kinds;
    int problemsLeft;  // what the re-check of the output still finds
};

std::vector<RepairCase> Cases() {
    const Bytes a = Frames(3), b = Frames(2), c = Frames(4);
    const Bytes clean = Concat({a, b, c});
    const Bytes junky = Concat({a, Junk(100), b, Junk(7), c});
    const Bytes tagged = Concat({Id3v2Tag(), a, Junk(45), b, c, Id3v1Tag()});
    Bytes cutTail = Frames(1);
    cutTail.resize(200);
    Bytes cutTag = Id3v2Tag();
    cutTag[8] = 0x7F;  // 16 KB more than there is
    return {
        {"clean", clean, clean, Choice(), {}, 0},
        {"junk_between_frames", junky, clean, Choice(), {change_kind::junk_dropped, change_kind::junk_dropped}, 0},
        {"junk_before_and_after", Concat({Junk(50), clean, Junk(30)}), clean, Choice(),
         {change_kind::junk_dropped, change_kind::junk_dropped}, 0},
        {"tags_kept", tagged, Concat({Id3v2Tag(), clean, Id3v1Tag()}), Choice(), {change_kind::junk_dropped}, 0},
        {"tags_dropped", tagged, clean, Choice(false, true),
         {change_kind::tag_dropped, change_kind::junk_dropped, change_kind::tag_dropped}, 0},
        {"junk_kept", junky, junky, Choice(true), {change_kind::junk_kept, change_kind::junk_kept}, 2},
        {"cut_last_frame", Concat({clean, cutTail}), clean, Choice(), {change_kind::truncated_frame_dropped}, 0},
        {"tag_past_the_end", Concat({clean, cutTag}), clean, Choice(), {change_kind::truncated_tag_dropped}, 0},
        {"crc_kept", WithBadCrc(Frames(6, true), 4), WithBadCrc(Frames(6, true), 4), Choice(),
         {change_kind::frame_crc_kept}, 1},
        {"crc_fixed", WithBadCrc(Frames(6, true), 4), Frames(6, true), Choice(false, false, true),
         {change_kind::frame_crc_updated}, 0},
    };
}

void PrintTo(const RepairCase& c, std::ostream* os) { *os << c.name; }

class RepairTest : public ::testing::TestWithParam<RepairCase> {};

TEST_P(RepairTest, OutputIsTheCleanStreamAndTheReportSaysWhy) {
    const RepairCase& c = GetParam();
    const Repaired run = Repair(c.input, c.choice);
    ASSERT_EQ(run.outcome.outcome, mparepair::status::ok);
    EXPECT_EQ(run.output, c.clean);
    const mparepair::report& report = run.outcome.changes;
    std::vector<change_kind> kinds;
    for (const auto& change : report.changes) kinds.push_back(change.kind);
    EXPECT_EQ(kinds, c.kinds);
    EXPECT_EQ(report.input_bytes, c.input.size());
    EXPECT_EQ(report.output_bytes, c.clean.size());
    EXPECT_EQ(report.recheck_problem_count, c.problemsLeft) << mparepair::report_text(report, "out");
    EXPECT_EQ(report.recheck.frames, report.input.frames);
}

// What follows a dropped range in the input starts at its output offset; a
// rewritten field holds its new value there and its old one in the input.
TEST_P(RepairTest, EveryChangePointsAtItsBytesInBothFiles) {
    const RepairCase& c = GetParam();
    const Repaired run = Repair(c.input, c.choice);
    std::uint64_t dropped = 0;
    for (const auto& change : run.outcome.changes.changes) {
        SCOPED_TRACE(mparepair::kind_name(change.kind));
        ASSERT_LE(change.input_offset + change.input_length, c.input.size());
        const bool drop = change.kind <= change_kind::truncated_tag_dropped;
        if (drop) {
            EXPECT_EQ(change.output_offset, change.input_offset - dropped);
            dropped += change.input_length;
            const auto rest = static_cast<std::ptrdiff_t>(std::min<std::uint64_t>(
                16, c.input.size() - change.input_offset - change.input_length));
            const auto from = c.input.begin() + static_cast<std::ptrdiff_t>(change.input_offset + change.input_length);
            EXPECT_TRUE(std::equal(from, from + rest,
                                   run.output.begin() + static_cast<std::ptrdiff_t>(change.output_offset)));
        } else if (change.kind == change_kind::frame_crc_updated || change.kind == change_kind::frame_crc_kept) {
            const auto word = [](const Bytes& bytes, std::uint64_t at) { return bytes[at] << 8 | bytes[at + 1]; };
            EXPECT_EQ(word(c.input, change.input_offset), change.before);
            EXPECT_EQ(word(run.output, change.output_offset), change.after);
        }
    }
    EXPECT_EQ(dropped, run.outcome.changes.bytes_dropped);
}

TEST_P(RepairTest, RepairingTheRepairedStreamChangesNothing) {
    const Repaired first = Repair(GetParam().input, GetParam().choice);
    const Repaired second = Repair(first.output, GetParam().choice);
    EXPECT_EQ(second.output, first.output);
    EXPECT_EQ(mparepair::change_count(second.outcome.changes), 0) << mparepair::report_text(second.outcome.changes, "");
}

INSTANTIATE_TEST_SUITE_P(Streams, RepairTest, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RepairFailure, NoAudioWritesNothingAndAFullOutputIsReported) {
    const Repaired none = Repair(Concat({Id3v2Tag(), Junk(900)}), Choice());
    EXPECT_EQ(none.outcome.outcome, mparepair::status::no_audio);
    EXPECT_TRUE(none.output.empty());

    const testsupport::TempDir dir;
    const int in = ::open(dir.Write("in.mp2", Frames(40)).c_str(), O_RDONLY);
    const int full = ::open("/dev/full", O_WRONLY);
    if (full < 0) GTEST_SKIP() << "no /dev/full";
    const mparepair::result failed = mparepair::repair(in, full, Choice());
    ::close(in);
    ::close(full);
    EXPECT_EQ(failed.outcome, mparepair::status::cannot_write);
    EXPECT_EQ(failed.error, ENOSPC);
}

TEST(RepairProgress, CountsUpToTwiceTheInputRechecksEveryChunkAndStopsWhenAsked) {
    const testsupport::TempDir dir;
    const Bytes input = Frames(3000);  // over one read chunk
    const int in = ::open(dir.Write("in.mp2", input).c_str(), O_RDONLY);
    const int out = ::open(dir.File("out.mp2").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    std::uint64_t last = 0, total = 0;
    const auto done = mparepair::repair(in, out, Choice(), [&](std::uint64_t now, std::uint64_t all) {
        EXPECT_GE(now, last);
        last = now;
        total = all;
        return true;
    });
    EXPECT_EQ(done.outcome, mparepair::status::ok);
    EXPECT_EQ(done.changes.recheck.frames, 3000);  // the re-check saw every chunk
    EXPECT_EQ(done.changes.recheck.bytes, input.size());
    EXPECT_EQ(total, 2 * input.size());
    EXPECT_EQ(last, total);
    const auto stopped = mparepair::repair(in, out, Choice(), [](std::uint64_t now, std::uint64_t all) {
        return now < all / 2;
    });
    EXPECT_EQ(stopped.outcome, mparepair::status::cancelled);
    ::close(in);
    ::close(out);
}

}  // namespace
