// Checker findings as report items: position, stream time and the finding's
// own text, with the report type of its severity.

#include <gtest/gtest.h>

#include "abi/QuillonControlInterface.h"
#include "modules/mpeg_audio_validator/CheckerMessages.h"

namespace {

using mpacheck::finding_kind;
using mpeg_audio_validation::DescribeFinding;
using mpeg_audio_validation::StreamTime;

TEST(CheckerMessages, StreamTimeInMinutesSecondsAndMilliseconds) {
    EXPECT_EQ(StreamTime(0), "0:00.000");
    EXPECT_EQ(StreamTime(21.216), "0:21.216");
    EXPECT_EQ(StreamTime(59.9996), "1:00.000");
    EXPECT_EQ(StreamTime(3725.5), "62:05.500");
}

TEST(CheckerMessages, FindingsReadLikeTheWalkersEventsWithTheTime) {
    mpacheck::finding crc{finding_kind::crc_mismatch, mpacheck::severity::error, 812, 0x7A3F2, 21.216};
    crc.expected = 0x1234;
    crc.actual = 0xABCD;
    const auto item = DescribeFinding(crc);
    EXPECT_EQ(item.reportType, validation::kReportError);
    EXPECT_EQ(item.message, "Frame 812 at offset 0x7A3F2 (0:21.216): CRC mismatch (stored 0x1234, computed 0xABCD)");

    mpacheck::finding tag{finding_kind::metadata, mpacheck::severity::info, 0, 0, 0};
    tag.length = 4066;
    std::snprintf(tag.label, sizeof tag.label, "ID3v2.4");
    EXPECT_EQ(DescribeFinding(tag).reportType, validation::kReportInfo);
    EXPECT_EQ(DescribeFinding(tag).message, "Frame 0 at offset 0x0 (0:00.000): ID3v2.4 tag, 4066 bytes");

    const mpacheck::finding junk{finding_kind::junk, mpacheck::severity::warning, 9, 2268, 0.324};
    EXPECT_EQ(DescribeFinding(junk).reportType, validation::kReportWarning);
}

}  // namespace
