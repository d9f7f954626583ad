#include "viewer/model/ID3v2Tag.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/temp_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// A tag header: "ID3", version, revision, flags and four size bytes as given.
Bytes TagHeader(std::uint8_t version, std::uint8_t flags, const Bytes& size, std::uint8_t revision = 0) {
    return {'I', 'D', '3', version, revision, flags, size.at(0), size.at(1), size.at(2), size.at(3)};
}

TEST(ID3v2TagBytes, ReadsTheSynchsafeSizeAndTheFooterFlag) {
    const struct {
        const char* name;
        Bytes header;
        std::int64_t expected;
    } cases[] = {
        {"v2.3, 257 bytes", TagHeader(3, 0, {0, 0, 2, 1}), 10 + 257},
        {"v2.4, largest size", TagHeader(4, 0, {0x7F, 0x7F, 0x7F, 0x7F}), 10 + 0x0FFFFFFF},
        {"v2.4 with footer", TagHeader(4, 0x10, {0, 0x5B, 0x46, 0x60}), 10 + 1500000 + 10},
        {"other flags", TagHeader(3, 0x40, {0, 0, 0, 5}), 15},
        {"size byte with its top bit", TagHeader(3, 0, {0, 0, 0x80, 0}), 0},
        {"version 0xFF", TagHeader(0xFF, 0, {0, 0, 0, 5}), 0},
        {"revision 0xFF", TagHeader(3, 0, {0, 0, 0, 5}, 0xFF), 0},
        {"not a tag", Bytes{'I', 'D', '4', 3, 0, 0, 0, 0, 0, 5}, 0},
        {"too short", Bytes{'I', 'D', '3', 3, 0, 0, 0, 0, 0}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ID3v2TagBytes(c.header.data(), c.header.size()), c.expected);
    }
    EXPECT_EQ(ID3v2TagBytes(nullptr, 10), 0);
}

TEST(LeadingID3v2TagBytes, ATagRunningPastTheEndIsNoTag) {
    const testsupport::TempDir dir;
    Bytes file = TagHeader(3, 0, {0, 0, 0, 20});
    file.resize(30);  // exactly the tag
    platform::SharedFile fits;
    ASSERT_TRUE(fits.Open(dir.Write("fits.mp3", file)));
    EXPECT_EQ(LeadingID3v2TagBytes(fits), 30);

    file.pop_back();
    platform::SharedFile shortFile;
    ASSERT_TRUE(shortFile.Open(dir.Write("short.mp3", file)));
    EXPECT_EQ(LeadingID3v2TagBytes(shortFile), 0);

    platform::SharedFile tiny;
    ASSERT_TRUE(tiny.Open(dir.Write("tiny.mp3", Bytes{'I', 'D', '3'})));
    EXPECT_EQ(LeadingID3v2TagBytes(tiny), 0);
}

}  // namespace
