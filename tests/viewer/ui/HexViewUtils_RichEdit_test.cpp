#include "viewer/ui/HexViewUtils_RichEdit.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextEdit>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <utility>
#include <vector>

#include "platform/debug_output.h"
#include "platform/shared_file.h"
#include "tests/support/mpa_builder.h"
#include "tests/support/temp_dir.h"
#include "tests/viewer/ui/even_advances.h"
#include "viewer/model/FrameNavigator.h"

namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

using Span = std::pair<int, int>;  // first column, character count
const std::vector<Span> kFullLine = {{21, 47}, {71, 16}};

constexpr std::int64_t kGiB = 1024LL * 1024 * 1024;
constexpr std::int64_t kFileSize = 0x2000;

std::vector<std::uint8_t> Pattern(std::int64_t size) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i);
    return bytes;
}

class HexViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        edit_.setFrameShape(QFrame::NoFrame);
        edit_.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        edit_.resize(1000, 96);  // six 16-pixel lines: five are drawn
        edit_.show();
        ASSERT_EQ(view_.Init(&edit_, &bar_), 0);
        ASSERT_EQ(edit_.viewport()->height(), 96);
    }

    std::string OpenPattern() {
        bytes_ = Pattern(kFileSize);
        const std::string path = dir_.Write("pattern.bin", bytes_);
        EXPECT_EQ(view_.OpenFile(path), 0);
        return path;
    }

    [[nodiscard]] QStringList Lines() const {
        const QString text = edit_.toPlainText();
        return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    }

    [[nodiscard]] QString FirstPrefix() const { return Lines().value(0).left(18); }

    // The highlighted runs of a line, checking that each carries the whole
    // highlight format.
    [[nodiscard]] std::vector<Span> Highlighted(int line) const {
        std::vector<Span> runs;
        const QTextBlock block = edit_.document()->findBlockByNumber(line);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (format.background().style() == Qt::NoBrush) continue;
            EXPECT_EQ(format.background().color(), QColor(255, 255, 160));
            EXPECT_EQ(format.foreground().color(), QColor(0, 0, 255));
            EXPECT_EQ(format.fontWeight(), QFont::Bold);
            runs.emplace_back(fragment.position() - block.position(), fragment.length());
        }
        return runs;
    }

    [[nodiscard]] bool AnyHighlight() const {
        for (int line = 0; line < edit_.document()->blockCount(); ++line) {
            if (!Highlighted(line).empty()) return true;
        }
        return false;
    }

    void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(&edit_, &press);
    }

    testsupport::TempDir dir_;
    std::vector<std::uint8_t> bytes_;
    QTextEdit edit_;
    QScrollBar bar_{Qt::Vertical};
    THexView view_;
};

// ---------------------------------------------------------------- binding and drawing

TEST_F(HexViewTest, BindsTheControlAndTheScrollBar) {
    EXPECT_TRUE(EvenAdvances(edit_.font()));
    EXPECT_EQ(edit_.font().pointSize(), 10);
    EXPECT_TRUE(edit_.isReadOnly());
    EXPECT_EQ(edit_.lineWrapMode(), QTextEdit::NoWrap);
    EXPECT_EQ(bar_.minimum(), 0);
    EXPECT_EQ(bar_.maximum(), 100000);
    EXPECT_EQ(bar_.pageStep(), 1);
    EXPECT_EQ(bar_.value(), 0);
}

TEST_F(HexViewTest, OpenFileDrawsTheWindowFromOffsetZero) {
    OpenPattern();
    const QStringList lines = Lines();
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], "0x0000000000000000   00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F   ................");
    EXPECT_EQ(lines[4], "0x0000000000000040   40 41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F   @ABCDEFGHIJKLMNO");
    EXPECT_FALSE(AnyHighlight());
    EXPECT_EQ(bar_.value(), 0);
}

TEST_F(HexViewTest, DrawsFromTheLineHoldingTheOffset) {
    OpenPattern();
    view_.RefreshFileData(0x1234);
    const QStringList lines = Lines();
    const auto expected = HexDisplayLines(0x1230, bytes_.data() + 0x1230, 5 * 16);
    ASSERT_EQ(lines.size(), 5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(lines[i], QString::fromStdU16String(expected[static_cast<std::size_t>(i)]));
    EXPECT_EQ(lines[0], "0x0000000000001230   30 31 32 33 34 35 36 37 38 39 3A 3B 3C 3D 3E 3F   0123456789:;<=>?");
    EXPECT_TRUE(lines[4].startsWith("0x0000000000001270   70 71"));
    EXPECT_EQ(bar_.value(), 56884);
}

TEST_F(HexViewTest, TenByteFileShowsOnePaddedLine) {
    const std::vector<std::uint8_t> bytes = {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J'};
    ASSERT_EQ(view_.OpenFile(dir_.Write("ten.bin", bytes)), 0);
    const QStringList lines = Lines();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0], "0x0000000000000000   41 42 43 44 45 46 47 48 49 4A                     ABCDEFGHIJ");
    EXPECT_EQ(lines[0].indexOf("ABCDEFGHIJ"), 71);
}

TEST_F(HexViewTest, WindowTooSmallForOneLineStillShowsOne) {
    edit_.resize(1000, 10);
    ASSERT_LT(edit_.viewport()->height(), 16);
    OpenPattern();
    ASSERT_EQ(Lines().size(), 1);
    EXPECT_EQ(FirstPrefix(), "0x0000000000000000");
}

TEST_F(HexViewTest, SameOffsetKeepsTheDrawingNegativeRedraws) {
    const std::string path = OpenPattern();
    view_.RefreshFileData(0x40);
    platform::SharedFile writer;
    ASSERT_TRUE(writer.Open(path, platform::SharedFile::Access::ReadWrite));
    ASSERT_TRUE(writer.Seek(0x40));
    const std::uint8_t patch[2] = {0xEE, 0xEE};
    ASSERT_EQ(writer.Write(patch, 2), 2);
    view_.RefreshFileData(0x40);
    EXPECT_TRUE(Lines().value(0).startsWith("0x0000000000000040   40 41"));
    view_.RefreshFileData(-1);
    EXPECT_TRUE(Lines().value(0).startsWith("0x0000000000000040   EE EE 42"));
}

TEST_F(HexViewTest, OffsetsAtOrPastTheEndChangeNothing) {
    OpenPattern();
    view_.RefreshFileData(0x100);
    view_.RefreshFileData(kFileSize);
    view_.RefreshFileData(kFileSize + 500);
    EXPECT_EQ(FirstPrefix(), "0x0000000000000100");
}

// ---------------------------------------------------------------- highlight

TEST_F(HexViewTest, SelectionOf418BytesAcrossLines) {
    OpenPattern();
    view_.RefreshFileData(0x1000);
    view_.SetSelection(0x1008, 418);  // 0x1008 .. 0x11A9
    EXPECT_EQ(FirstPrefix(), "0x0000000000001000");
    EXPECT_EQ(Highlighted(0), (std::vector<Span>{{45, 23}, {79, 8}}));
    for (int line = 1; line < 5; ++line) EXPECT_EQ(Highlighted(line), kFullLine) << line;

    view_.RefreshFileData(0x1190);
    EXPECT_EQ(Highlighted(0), kFullLine);
    EXPECT_EQ(Highlighted(1), (std::vector<Span>{{21, 29}, {71, 10}}));
    for (int line = 2; line < 5; ++line) EXPECT_THAT(Highlighted(line), IsEmpty()) << line;
}

TEST_F(HexViewTest, LengthZeroRemovesTheHighlight) {
    OpenPattern();
    view_.RefreshFileData(0x1190);
    view_.SetSelection(0x1008, 418);
    ASSERT_TRUE(AnyHighlight());
    view_.SetSelection(0x1008, 0);
    EXPECT_FALSE(AnyHighlight());
    EXPECT_EQ(FirstPrefix(), "0x0000000000001190");
    EXPECT_FALSE(edit_.textCursor().hasSelection());
}

TEST_F(HexViewTest, ReopeningForgetsTheSelection) {
    const std::string path = OpenPattern();
    view_.SetSelection(0, 64);
    ASSERT_TRUE(AnyHighlight());
    ASSERT_EQ(view_.OpenFile(path), 0);
    EXPECT_FALSE(AnyHighlight());
}

// The detail view moves the hex view to a frame and highlights up to the
// next header; the last frame has none.
TEST_F(HexViewTest, FrameHighlightEndsBeforeTheNextHeaderAndIsEmptyForTheLast) {
    const testsupport::MpaFrameSpec params;  // 384-byte frames
    testsupport::MpaStreamBuilder stream;
    stream.Frames(params, 3, 0x11);
    const std::string path = dir_.Write("three.mp2", stream.Data());
    ASSERT_EQ(view_.OpenFile(path), 0);
    TFrameNavigator navigator;
    ASSERT_TRUE(navigator.OpenFile(path));
    navigator.SetExpectation(params.layer, params.samplingIndex);

    TMPAFrame last{};
    ASSERT_TRUE(navigator.ReadFrameAt(768, last));
    ASSERT_EQ(last.PackLength, 0);
    view_.RefreshFileData(last.Offset);
    view_.SetSelection(last.Offset, last.PackLength);
    EXPECT_EQ(FirstPrefix(), "0x0000000000000300");
    EXPECT_FALSE(AnyHighlight());

    TMPAFrame middle{};
    ASSERT_TRUE(navigator.ReadFrameAt(384, middle));
    ASSERT_EQ(middle.PackLength, 384);
    view_.RefreshFileData(middle.Offset);
    view_.SetSelection(middle.Offset, middle.PackLength);
    for (int line = 0; line < 5; ++line) EXPECT_EQ(Highlighted(line), kFullLine) << line;
    view_.RefreshFileData(0x170);
    EXPECT_THAT(Highlighted(0), IsEmpty());
    EXPECT_EQ(Highlighted(1), kFullLine);
}

// ---------------------------------------------------------------- keys

TEST_F(HexViewTest, EndShowsTheLastByteOnTopAndHomeGoesBack) {
    OpenPattern();
    Press(Qt::Key_End);
    EXPECT_THAT(Lines(), ElementsAre(QString::fromStdU16String(
                             HexDisplayLines(0x1FF0, bytes_.data() + 0x1FF0, 16).at(0))));
    EXPECT_EQ(bar_.value(), 99987);
    Press(Qt::Key_Home);
    EXPECT_EQ(FirstPrefix(), "0x0000000000000000");
    EXPECT_EQ(bar_.value(), 0);
}

TEST_F(HexViewTest, LineAndPageKeysMoveFromTheLastOffset) {
    OpenPattern();
    view_.RefreshFileData(0x1234);
    Press(Qt::Key_Down);
    EXPECT_EQ(FirstPrefix(), "0x0000000000001240");
    Press(Qt::Key_Up);
    Press(Qt::Key_Up);
    EXPECT_EQ(FirstPrefix(), "0x0000000000001220");
    Press(Qt::Key_PageDown);  // six lines of a 96-pixel window
    EXPECT_EQ(FirstPrefix(), "0x0000000000001280");
    Press(Qt::Key_PageUp);
    Press(Qt::Key_PageUp);
    EXPECT_EQ(FirstPrefix(), "0x00000000000011C0");
    EXPECT_EQ(bar_.value(), static_cast<int>(100000LL * 0x11C4 / kFileSize));
}

TEST_F(HexViewTest, KeysStopAtTheFileEdgesAndIgnoreShift) {
    OpenPattern();
    Press(Qt::Key_Up);
    Press(Qt::Key_PageUp);
    EXPECT_EQ(FirstPrefix(), "0x0000000000000000");
    Press(Qt::Key_Down, Qt::ShiftModifier);
    Press(Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(FirstPrefix(), "0x0000000000000000");
    view_.RefreshFileData(0x1FE0);
    Press(Qt::Key_PageDown);
    EXPECT_EQ(FirstPrefix(), "0x0000000000001FF0");
    Press(Qt::Key_Down);
    EXPECT_EQ(FirstPrefix(), "0x0000000000001FF0");
}

// ---------------------------------------------------------------- scroll bar

TEST_F(HexViewTest, ScrollBarStepsMoveTheViewAndTakeItsPosition) {
    OpenPattern();
    view_.RefreshFileData(0x1234);
    bar_.triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(FirstPrefix(), "0x0000000000001240");
    EXPECT_EQ(bar_.value(), 57080);
    bar_.triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(FirstPrefix(), "0x00000000000011E0");
    EXPECT_EQ(bar_.value(), 55908);
    bar_.triggerAction(QAbstractSlider::SliderSingleStepSub);
    bar_.triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(FirstPrefix(), "0x0000000000001230");
    bar_.triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(FirstPrefix(), "0x0000000000000000");
    EXPECT_EQ(bar_.value(), 0);
}

TEST_F(HexViewTest, ThumbTrackingMapsThePositionIntoTheFile) {
    OpenPattern();
    bar_.setSliderPosition(12345);  // 0x2000 * 12345 / 100000 = 0x3F3
    EXPECT_EQ(FirstPrefix(), "0x00000000000003F0");
    EXPECT_EQ(bar_.value(), 12345);
    bar_.setSliderPosition(100000);
    EXPECT_EQ(FirstPrefix(), "0x0000000000001FF0");
    EXPECT_EQ(bar_.value(), 100000);
}

TEST_F(HexViewTest, ScrollToBottomLeavesViewAndBarAlone) {
    OpenPattern();
    view_.RefreshFileData(0x1000);
    bar_.triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(FirstPrefix(), "0x0000000000001000");
    EXPECT_EQ(bar_.value(), 50000);
}

TEST_F(HexViewTest, ScrollBarAndKeysDoNothingWithoutAFile) {
    bar_.triggerAction(QAbstractSlider::SliderSingleStepAdd);
    Press(Qt::Key_End);
    EXPECT_TRUE(edit_.toPlainText().isEmpty());
}

// ---------------------------------------------------------------- beyond 4 GiB

TEST_F(HexViewTest, SparseFileBeyondFourGiB) {
    const std::string path = dir_.File("sparse.bin");
    const std::int64_t size = 5 * kGiB + 0x40;
    {
        std::ofstream create(path, std::ios::binary);
    }
    std::filesystem::resize_file(path, static_cast<std::uintmax_t>(size));
    platform::SharedFile writer;
    ASSERT_TRUE(writer.Open(path, platform::SharedFile::Access::ReadWrite));
    ASSERT_TRUE(writer.Seek(5 * kGiB + 0x20));
    const std::vector<std::uint8_t> marker = Pattern(0x20);
    ASSERT_EQ(writer.Write(marker.data(), 0x20), 0x20);
    writer.Close();

    ASSERT_EQ(view_.OpenFile(path), 0);
    view_.RefreshFileData(5 * kGiB + 0x25);
    const QStringList lines = Lines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], "0x0000000140000020   00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F   ................");
    EXPECT_TRUE(lines[1].startsWith("0x0000000140000030   10 11"));
    EXPECT_EQ(bar_.value(), 99999);

    view_.SetSelection(5 * kGiB + 0x28, 0x10);
    EXPECT_EQ(Highlighted(0), (std::vector<Span>{{45, 23}, {79, 8}}));
    EXPECT_EQ(Highlighted(1), (std::vector<Span>{{21, 23}, {71, 8}}));

    Press(Qt::Key_Home);
    EXPECT_EQ(FirstPrefix(), "0x0000000000000000");
    bar_.setSliderPosition(99999);  // 0x140000040 * 99999 / 100000
    EXPECT_EQ(FirstPrefix(), "0x000000013FFF2E80");
    Press(Qt::Key_End);
    EXPECT_EQ(FirstPrefix(), "0x0000000140000030");
}

// ---------------------------------------------------------------- lifecycle and failures

TEST_F(HexViewTest, InitWithoutControlsFails) {
    platform::DebugLineCapture capture;
    THexView other;
    EXPECT_EQ(other.Init(nullptr, &bar_), kE_FAIL);
    EXPECT_EQ(other.Init(&edit_, nullptr), kE_FAIL);
    EXPECT_THAT(capture.Lines(), ElementsAre("dbg: Error in THexView.Init call...", "dbg: Error in THexView.Init call..."));
}

TEST_F(HexViewTest, MissingFileLeavesTheViewEmpty) {
    OpenPattern();
    platform::DebugLineCapture capture;
    EXPECT_EQ(view_.OpenFile(dir_.File("gone.bin")), 0);
    EXPECT_TRUE(edit_.toPlainText().isEmpty());
    Press(Qt::Key_Down);
    view_.RefreshFileData(0);
    EXPECT_TRUE(edit_.toPlainText().isEmpty());
    EXPECT_THAT(capture.Lines(), IsEmpty());
}

TEST_F(HexViewTest, FolderIsNotAFileToShow) {
    platform::DebugLineCapture capture;
    EXPECT_EQ(view_.OpenFile(dir_.Path().string()), 0);
    EXPECT_TRUE(edit_.toPlainText().isEmpty());
    EXPECT_THAT(capture.Lines(), IsEmpty());
}

TEST_F(HexViewTest, CloseFileClearsAndStopsDrawing) {
    OpenPattern();
    ASSERT_FALSE(edit_.toPlainText().isEmpty());
    EXPECT_EQ(view_.CloseFile(), 0);
    EXPECT_TRUE(edit_.toPlainText().isEmpty());
    view_.RefreshFileData(0x10);
    view_.SetSelection(0, 16);
    EXPECT_TRUE(edit_.toPlainText().isEmpty());
}

TEST_F(HexViewTest, EmptyFileDrawsNothing) {
    platform::DebugLineCapture capture;
    ASSERT_EQ(view_.OpenFile(dir_.Write("empty.bin", {})), 0);
    Press(Qt::Key_End);
    Press(Qt::Key_Down);
    view_.SetSelection(0, 10);
    EXPECT_TRUE(edit_.toPlainText().isEmpty());
    EXPECT_THAT(capture.Lines(), IsEmpty());
}

TEST_F(HexViewTest, ControlDestroyedBeforeTheView) {
    const std::string path = OpenPattern();
    platform::DebugLineCapture capture;
    {
        THexView view;
        auto edit = std::make_unique<QTextEdit>();
        ASSERT_EQ(view.Init(edit.get(), &bar_), 0);
        ASSERT_EQ(view.OpenFile(path), 0);
        edit.reset();
        view.RefreshFileData(0x40);
    }
    EXPECT_THAT(capture.Lines(), Contains("dbg: Error in THexView.RefreshFileData call..."));
}

}  // namespace
