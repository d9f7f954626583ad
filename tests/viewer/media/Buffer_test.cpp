#include "viewer/media/Buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string Unread(TBuffer& buffer) {
    return {reinterpret_cast<const char*>(buffer.GetHead()), static_cast<std::size_t>(buffer.GetLen())};
}

void Add(TBuffer& buffer, const std::string& text) { buffer.AddData(text.data(), static_cast<std::int64_t>(text.size())); }

TEST(Buffer, AppendsAtTheTailAndConsumesFromTheHead) {
    TBuffer buffer(8, -5);
    EXPECT_EQ(buffer.Size(), 8);
    EXPECT_EQ(buffer.GetLeft(), 8);
    Add(buffer, "abcde");
    EXPECT_EQ(buffer.GetLen(), 5);
    EXPECT_EQ(buffer.GetLeft(), 3);
    EXPECT_EQ(buffer.GetTail() - buffer.GetHead(), 5);
    buffer.SetFirst(2);
    EXPECT_EQ(Unread(buffer), "cde");
    EXPECT_EQ(buffer.GetLeft(), 3);  // consumed room comes back only by Compact
    buffer.Compact();
    EXPECT_EQ(buffer.First(), 0);
    EXPECT_EQ(buffer.Last(), 3);
    EXPECT_EQ(Unread(buffer), "cde");
    EXPECT_EQ(buffer.GetLeft(), 5);
}

TEST(Buffer, SetFirstAtOrPastTheTailEmpties) {
    TBuffer buffer(8, 0);
    Add(buffer, "abcd");
    buffer.SetFirst(4);
    EXPECT_EQ(buffer.First(), 0);
    EXPECT_EQ(buffer.Last(), 0);
    Add(buffer, "xy");
    buffer.SetFirst(99);
    EXPECT_EQ(buffer.GetLen(), 0);
    EXPECT_EQ(buffer.GetLeft(), 8);
}

TEST(Buffer, GrowsByTheChunkOrTheIncrementWhicheverIsLarger) {
    TBuffer exact(4, 0);
    Add(exact, "abc");
    exact.SetFirst(1);
    Add(exact, "defgh");  // does not fit: new size = the chunk + the old tail index
    EXPECT_EQ(exact.Size(), 5 + 3);
    EXPECT_EQ(exact.First(), 0);
    EXPECT_EQ(Unread(exact), "bcdefgh");

    TBuffer stepped(0, 100);
    EXPECT_EQ(stepped.Size(), 0);
    Add(stepped, "hello");
    EXPECT_EQ(stepped.Size(), 100);
    EXPECT_EQ(Unread(stepped), "hello");
}

TEST(Buffer, SetSizeKeepsOnlyTheUnreadBytes) {
    TBuffer buffer(16, 0);
    Add(buffer, "0123456789");
    buffer.SetFirst(6);
    buffer.SetSize(4);
    EXPECT_EQ(buffer.Size(), 4);
    EXPECT_EQ(buffer.First(), 0);
    EXPECT_EQ(Unread(buffer), "6789");
    EXPECT_EQ(buffer.GetLeft(), 0);
    buffer.Empty();
    EXPECT_EQ(buffer.GetLen(), 0);
    EXPECT_EQ(buffer.GetLeft(), 4);
}

}  // namespace
