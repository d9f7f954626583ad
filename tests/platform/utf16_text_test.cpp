#include "platform/utf16_text.h"

#include <gtest/gtest.h>

namespace {

TEST(Utf16Text, RoundTripsAsciiAccentsAndCharactersBeyondTheBasicPlane) {
    const std::string text = "Frame 12 \xC3\xA9t\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xB5 end";  // é, €, U+1F3B5
    const std::u16string wide = platform::Utf8ToUtf16(text);
    EXPECT_EQ(wide, u"Frame 12 \u00E9t\u00E9 \u20AC \U0001F3B5 end");
    EXPECT_EQ(platform::Utf16ToUtf8(wide), text);
    EXPECT_EQ(platform::Utf16ToUtf8(wide.c_str()), text);
}

TEST(Utf16Text, NullAndEmptyGiveEmptyStrings) {
    EXPECT_EQ(platform::Utf16ToUtf8(static_cast<const char16_t*>(nullptr)), "");
    EXPECT_EQ(platform::Utf16ToUtf8(u""), "");
    EXPECT_EQ(platform::Utf8ToUtf16(""), u"");
}

TEST(Utf16Text, MalformedInputBecomesTheReplacementCharacter) {
    EXPECT_EQ(platform::Utf8ToUtf16("a\xFF" "b"), u"a\uFFFDb");
    EXPECT_EQ(platform::Utf8ToUtf16("a\xC3"), u"a\uFFFD");                  // cut sequence
    EXPECT_EQ(platform::Utf8ToUtf16("\xC0\xAF"), u"\uFFFD");                // overlong
    EXPECT_EQ(platform::Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD");            // encoded surrogate
    const char16_t lone[] = {u'x', 0xD800, u'y', 0};
    EXPECT_EQ(platform::Utf16ToUtf8(lone), "x\xEF\xBF\xBDy");
    const char16_t trailing[] = {0xDC00, 0};
    EXPECT_EQ(platform::Utf16ToUtf8(trailing), "\xEF\xBF\xBD");
}

}  // namespace
