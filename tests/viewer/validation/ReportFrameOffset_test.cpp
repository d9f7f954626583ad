// Which frame offset a report item's message names.

#include <gtest/gtest.h>

#include <optional>

#include "viewer/validation/ReportFrameOffset.h"

namespace {

TEST(ReportFrameOffset, TakesTheFirstHexOffsetOfTheMessage) {
    const struct {
        const char* message;
        std::optional<std::int64_t> offset;
    } cases[] = {
        {"Frame 12 at offset 0x1A2B: CRC mismatch", 0x1A2B},
        {"Frame 3 at offset 0x0: 20 bytes of junk before the frame (from offset 0x3F0)", 0},
        {"64 bytes of junk at the end of the stream (from offset 0x17F3C0)", 0x17F3C0},
        {"The file could not be read at offset 0x180000000; validation stopped.", 0x180000000LL},
        {"at offset 0xffffffff", 0xFFFFFFFFLL},
        {"Validation started.", std::nullopt},
        {"Frame 3 cannot be decoded.", std::nullopt},
        {"offset 0x", std::nullopt},
        {"offset 0xZZ then offset 0x40", 0x40},
        {"offset 0x12G4", std::nullopt},
        {"offset 0x99999999999999999999", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(ReportMessageFrameOffset(c.message), c.offset) << c.message;
}

}  // namespace
