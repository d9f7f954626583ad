// Edit > Go To on a stream ffprobe listed: offsets, times and percentages
// land on the frame ffprobe places there, selected, with the status bar
// naming it.

#include <QLabel>
#include <QStatusBar>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "tests/viewer/ui/form_fixture.h"
#include "viewer/ui/FrameListView.h"
#include "viewer/ui/TamberlyForm.h"

namespace {

class GoToCommand : public formtest::FormTest {
protected:
    GoToCommand() {
        ShowForm(CopyFixture("tone_l2_44k_128k.mp2"));
        ProcessEvents();
    }
    [[nodiscard]] std::string FirstListed() const { return ListedOffsets().at(0); }
    [[nodiscard]] QString Status() const {
        return form->findChild<QLabel*>(QStringLiteral("lblFramePosition"))->text();
    }
    const std::vector<formtest::ReferenceFrame> frames = formtest::ReferenceFrames("tone_l2_44k_128k.ffprobe.csv");
};

// A time inside frame k of a 44.1 kHz Layer II stream, written out here.
QString TimeInFrame(std::size_t k) {
    const long long milliseconds = static_cast<long long>(k * 1152 * 1000 / 44100) + 2;
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld.%03lld", milliseconds / 60000, milliseconds / 1000 % 60,
                  milliseconds % 1000);
    return QString::fromLatin1(text);
}

TEST_F(GoToCommand, OffsetsTimesAndPercentagesLandOnTheReferenceFrame) {
    ASSERT_GT(frames.size(), 100u);
    const std::int64_t fileSize = static_cast<std::int64_t>(std::filesystem::file_size(form->Navigator().FileName()));
    std::size_t middle = 0;
    while (frames[middle].offset < fileSize / 2) ++middle;

    struct Case {
        QString text;
        std::size_t frame;
    };
    const Case cases[] = {
        {QString::fromStdString(formtest::HexOffset(frames[80].offset)), 80},
        {QString::number(frames[7].offset), 7},
        {QString::number(frames[40].offset + 1), 41},  // inside a frame: the next header
        {TimeInFrame(95), 95},
        {TimeInFrame(3), 3},
        {QStringLiteral("50%"), middle},
        {QStringLiteral("0%"), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        ASSERT_TRUE(form->GoToText(c.text));
        ProcessEvents();
        const std::string expected = formtest::HexOffset(frames[c.frame].offset);
        EXPECT_EQ(FirstListed(), expected);
        EXPECT_EQ(List()->SelectedRow(), 0);
        EXPECT_TRUE(Status().startsWith(QStringLiteral("Offset %1").arg(QString::fromStdString(expected))))
            << Status().toStdString();
        EXPECT_TRUE(Status().contains(QStringLiteral("File size %1 bytes").arg(fileSize))) << Status().toStdString();
    }
}

TEST_F(GoToCommand, AReportItemsOffsetSelectsThatFrameOrTheNextOne) {
    ASSERT_TRUE(form->GoToFrameOffset(frames[30].offset));
    EXPECT_EQ(FirstListed(), formtest::HexOffset(frames[30].offset));
    ASSERT_TRUE(form->GoToFrameOffset(frames[60].offset - 3));  // junk before a frame
    EXPECT_EQ(FirstListed(), formtest::HexOffset(frames[60].offset));
    EXPECT_EQ(List()->SelectedRow(), 0);
}

TEST_F(GoToCommand, MalformedTextLeavesThePlaceAndNoFileGoesNowhere) {
    ASSERT_TRUE(form->GoToText(QString::number(frames[20].offset)));
    for (const char* text : {"", "abc", "1:75", "101%"}) EXPECT_FALSE(form->GoToText(QString::fromLatin1(text))) << text;
    EXPECT_EQ(FirstListed(), formtest::HexOffset(frames[20].offset));

    form->UnloadFile();
    EXPECT_FALSE(form->GoToText(QStringLiteral("0x0")));
    EXPECT_TRUE(Status().isEmpty());
}

}  // namespace
