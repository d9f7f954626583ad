// The hex edit dialog as a user drives it: the grid, typing into byte cells,
// the cursor, the marks, and what "Save Changes" and "Cancel" do to the file.

#include "viewer/ui/HexEditForm.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/debug_output.h"
#include "tests/support/temp_dir.h"
#include "tests/viewer/ui/HexEditFixture_test.h"
#include "viewer/model/HexEditText.h"
#include "viewer/ui/HexEditGridView.h"

namespace {

using hexedittest::ClickCell;
using hexedittest::FaultyStream;
using hexedittest::kSaveQuestion;
using hexedittest::PaintedColour;
using hexedittest::PressKey;
using hexedittest::ScriptedHexEditAsker;
using hexedittest::SeenText;
using hexedittest::TypeText;
using Box = ScriptedHexEditAsker::Box;
using Kind = ScriptedHexEditAsker::Kind;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::int64_t kGiB = std::int64_t{1} << 30;
const QColor kRed(255, 0, 0);

// 64 bytes; at 0x1A the 20 bytes "MPEG a<dio frame!!!!".
std::vector<std::uint8_t> SampleBytes() {
    std::vector<std::uint8_t> bytes(64);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(0x80 + i);
    const std::string text = "MPEG a<dio frame!!!!";
    std::copy(text.begin(), text.end(), bytes.begin() + 0x1A);
    return bytes;
}

class HexEditFormTest : public ::testing::Test {
protected:
    HexEditFormTest() : original(SampleBytes()), path(dir.Write("frame.mp2", original)) { OpenStream(); }
    ~HexEditFormTest() override {
        form.reset();
        QApplication::processEvents();
    }

    void OpenStream() {
        auto file = OpenHexEditFile(path);
        ASSERT_NE(file, nullptr);
        stream = std::make_unique<FaultyStream>(std::move(file));
    }
    void Show(HexOffset offset = 0x1A, std::int64_t size = 20) {
        form = std::make_unique<THexEditForm>(stream.get(), offset, size, &asker);
        form->show();
        form->activateWindow();
        QApplication::processEvents();
    }
    [[nodiscard]] QString Seen(int column, int row) const { return SeenText(*form, {column, row}); }
    [[nodiscard]] THexEditCell Current() const { return form->CurrentCell(); }
    [[nodiscard]] std::vector<std::uint8_t> FileBytes() const { return testsupport::ReadFileBytes(path); }
    [[nodiscard]] std::vector<std::uint8_t> Patched(std::vector<std::pair<std::size_t, std::uint8_t>> bytes) const {
        std::vector<std::uint8_t> expected = original;
        for (const auto& [at, value] : bytes) expected[at] = value;
        return expected;
    }
    // Cursor to a cell by mouse, then the digits typed.
    void Edit(THexEditCell cell, const QString& digits) {
        ClickCell(*form, cell);
        ASSERT_EQ(Current(), cell);
        TypeText(*form, digits);
        PressKey(*form, Qt::Key_Return);
    }

    testsupport::TempDir dir;
    std::vector<std::uint8_t> original;
    std::string path;
    std::unique_ptr<FaultyStream> stream;
    ScriptedHexEditAsker asker;
    std::unique_ptr<THexEditForm> form;
};

// ---------------------------------------------------------------- layout

TEST_F(HexEditFormTest, WindowGridAndButtonsAsDesigned) {
    Show();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Hex Edit"));
    EXPECT_EQ(form->size(), QSize(769, 613));

    THexEditGridView* grid = form->Grid();
    EXPECT_EQ(grid->model()->columnCount() + 1, 18);  // the label column is the row header
    EXPECT_EQ(grid->verticalHeader()->width(), 180);
    EXPECT_EQ(grid->horizontalHeader()->height(), 24);
    for (int section = 0; section < 16; ++section) EXPECT_EQ(grid->horizontalHeader()->sectionSize(section), 24);
    EXPECT_EQ(grid->horizontalHeader()->sectionSize(16), 120);
    for (int section = 0; section < grid->model()->rowCount(); ++section)
        EXPECT_EQ(grid->verticalHeader()->sectionSize(section), 24);
    const QFontMetrics metrics(grid->font());  // one width for every character
    EXPECT_EQ(metrics.horizontalAdvance(QLatin1Char('i')), metrics.horizontalAdvance(QLatin1Char('W')));
    EXPECT_EQ(metrics.horizontalAdvance(QLatin1Char('1')), metrics.horizontalAdvance(QLatin1Char('F')));

    QStringList header;
    for (int column = 1; column <= 17; ++column) header << Seen(column, 0);
    EXPECT_EQ(header.join(' '), QStringLiteral("00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F "));

    QPushButton* save = form->SaveButton();
    QPushButton* cancel = form->CancelButton();
    EXPECT_EQ(save->text(), QStringLiteral("Save Changes"));
    EXPECT_EQ(cancel->text(), QStringLiteral("Cancel"));
    EXPECT_TRUE(save->isDefault());
    // Bottom right, below the grid, "Save Changes" first.
    EXPECT_GT(save->y(), grid->geometry().bottom());
    EXPECT_LT(save->x(), cancel->x());
    EXPECT_GT(cancel->geometry().right(), form->width() - 30);
    EXPECT_GT(cancel->geometry().bottom(), form->height() - 30);

    const QSize gridSize = grid->size();
    form->resize(900, 700);  // the grid takes what the window gains
    EXPECT_EQ(grid->size(), gridSize + QSize(900 - 769, 700 - 613));
}

// ---------------------------------------------------------------- content

TEST_F(HexEditFormTest, RangeAt0x1AShowsTwoRowsWithEmptyCellsAndTextColumns) {
    Show();
    ASSERT_EQ(form->Grid()->model()->rowCount(), 2);
    EXPECT_EQ(Seen(0, 1), QStringLiteral("0x0000000000000010"));
    EXPECT_EQ(Seen(0, 2), QStringLiteral("0x0000000000000020"));
    QStringList row1;
    QStringList row2;
    for (int column = 1; column <= 16; ++column) {
        row1 << (Seen(column, 1).isEmpty() ? QStringLiteral("__") : Seen(column, 1));
        row2 << (Seen(column, 2).isEmpty() ? QStringLiteral("__") : Seen(column, 2));
    }
    EXPECT_EQ(row1.join(' '), QStringLiteral("__ __ __ __ __ __ __ __ __ __ 4D 50 45 47 20 61"));
    EXPECT_EQ(row2.join(' '), QStringLiteral("3C 64 69 6F 20 66 72 61 6D 65 21 21 21 21 __ __"));
    EXPECT_EQ(Seen(17, 1), QStringLiteral("          MPEG a"));
    EXPECT_EQ(Seen(17, 2), QStringLiteral("<dio frame!!!!"));
    EXPECT_EQ(Current(), (THexEditCell{11, 1}));  // the range's first byte
}

TEST_F(HexEditFormTest, TextColumnUsesTheHexViewCharacterTable) {
    original = {0x00, 0x1F, 0x41, 0x7F, 0x9F, 0xA0, 0xAD, 0xE9, 0xFF, 0x20};
    path = dir.Write("table.mp2", original);
    OpenStream();
    Show(0, 10);
    EXPECT_EQ(Seen(17, 1), QString::fromUtf16(u"..A..\u00A0.\u00E9\u00FF "));
}

// ---------------------------------------------------------------- typing

TEST_F(HexEditFormTest, TypingOneDigitIntoACellMakesItTheHighNibble) {
    Show();
    ClickCell(*form, {1, 2});
    ASSERT_EQ(Current(), (THexEditCell{1, 2}));
    ASSERT_EQ(Seen(1, 2), QStringLiteral("3C"));

    TypeText(*form, QStringLiteral("7"));
    ASSERT_NE(form->Grid()->Editor(), nullptr);
    EXPECT_EQ(form->Grid()->Editor()->displayText(), QStringLiteral("70"));
    EXPECT_EQ(Seen(1, 2), QStringLiteral("70"));
    EXPECT_EQ(Seen(17, 2), QStringLiteral("pdio frame!!!!"));
    EXPECT_THAT(form->Sheet().Changes().ChangedCells(), ElementsAre(TChangedCell{1, 2, 0x70}));

    TypeText(*form, QStringLiteral("5"));
    EXPECT_EQ(form->Grid()->Editor()->displayText(), QStringLiteral("75"));
    EXPECT_EQ(Seen(1, 2), QStringLiteral("75"));
    EXPECT_EQ(Seen(17, 2), QStringLiteral("udio frame!!!!"));
    EXPECT_THAT(form->Sheet().Changes().ChangedCells(), ElementsAre(TChangedCell{1, 2, 0x75}));
}

TEST_F(HexEditFormTest, LowerCaseIsRaisedAndLettersBeyondFBecomeZero) {
    Show();
    TypeText(*form, QStringLiteral("ab"));
    EXPECT_EQ(Seen(11, 1), QStringLiteral("AB"));
    PressKey(*form, Qt::Key_Return);
    TypeText(*form, QStringLiteral("g"));
    EXPECT_EQ(Seen(12, 1), QStringLiteral("00"));
    PressKey(*form, Qt::Key_Return);
    TypeText(*form, QStringLiteral("4z"));
    EXPECT_EQ(Seen(13, 1), QStringLiteral("40"));
    EXPECT_THAT(form->Sheet().Changes().ChangedCells(),
                ElementsAre(TChangedCell{11, 1, 0xAB}, TChangedCell{12, 1, 0x00}, TChangedCell{13, 1, 0x40}));
}

TEST_F(HexEditFormTest, ChangedCellsArePaintedRedUntilChangedBack) {
    Show();
    ClickCell(*form, {12, 1});
    EXPECT_NE(PaintedColour(*form, {13, 1}), kRed);
    TypeText(*form, QStringLiteral("1"));
    PressKey(*form, Qt::Key_Return);
    EXPECT_EQ(Seen(12, 1), QStringLiteral("10"));
    EXPECT_EQ(form->Grid()->model()->index(0, 11).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::white));
    EXPECT_EQ(PaintedColour(*form, {12, 1}), kRed);
    EXPECT_NE(PaintedColour(*form, {14, 1}), kRed);

    ClickCell(*form, {12, 1});
    TypeText(*form, QStringLiteral("50"));  // its value in the file
    PressKey(*form, Qt::Key_Return);
    EXPECT_NE(PaintedColour(*form, {12, 1}), kRed);
    EXPECT_THAT(form->Sheet().Changes().ChangedCells(), IsEmpty());

    form->SaveButton()->click();
    EXPECT_THAT(asker.boxes, ElementsAre(Box{Kind::Message, QStringLiteral("No changes to be saved.")}));
    EXPECT_EQ(form->result(), QDialog::Accepted);
    EXPECT_THAT(stream->writes, IsEmpty());
    EXPECT_EQ(FileBytes(), original);
}

TEST_F(HexEditFormTest, ADeletedDigitReadsAsZeroAndBecomesZeroWhenTheCursorLeaves) {
    Show();
    ClickCell(*form, {1, 2});
    PressKey(*form, Qt::Key_F2);  // edit the cell as it stands
    ASSERT_NE(form->Grid()->Editor(), nullptr);
    PressKey(*form, Qt::Key_Home);
    PressKey(*form, Qt::Key_Delete);
    EXPECT_EQ(Seen(1, 2), QStringLiteral(" C"));
    EXPECT_THAT(form->Sheet().Changes().ChangedCells(), ElementsAre(TChangedCell{1, 2, 0x0C}));
    PressKey(*form, Qt::Key_Return);
    EXPECT_EQ(Current(), (THexEditCell{2, 2}));
    EXPECT_EQ(Seen(1, 2), QStringLiteral("0C"));
    EXPECT_THAT(form->Sheet().Changes().ChangedCells(), ElementsAre(TChangedCell{1, 2, 0x0C}));
}

// ---------------------------------------------------------------- cursor

TEST_F(HexEditFormTest, EnterMovesToTheNextByteAndStaysOnTheLastOne) {
    Show();
    for (int i = 0; i < 5; ++i) PressKey(*form, Qt::Key_Return);
    EXPECT_EQ(Current(), (THexEditCell{16, 1}));
    TypeText(*form, QStringLiteral("AB"));
    PressKey(*form, Qt::Key_Return);  // from the editor, to the next row
    EXPECT_EQ(form->Grid()->Editor(), nullptr);
    EXPECT_EQ(Current(), (THexEditCell{1, 2}));
    for (int i = 0; i < 20; ++i) PressKey(*form, Qt::Key_Return);
    EXPECT_EQ(Current(), (THexEditCell{14, 2}));  // the range's last byte
    TypeText(*form, QStringLiteral("CD"));
    PressKey(*form, Qt::Key_Return);
    EXPECT_EQ(Current(), (THexEditCell{14, 2}));

    // Enter never reached the default button.
    EXPECT_TRUE(form->isVisible());
    EXPECT_THAT(asker.boxes, IsEmpty());
    EXPECT_THAT(form->Sheet().Changes().ChangedCells(), ElementsAre(TChangedCell{16, 1, 0xAB}, TChangedCell{14, 2, 0xCD}));
}

TEST_F(HexEditFormTest, CursorStaysOnTheRangesBytes) {
    Show();
    PressKey(*form, Qt::Key_Left);
    EXPECT_EQ(Current(), (THexEditCell{11, 1}));
    PressKey(*form, Qt::Key_Up);
    EXPECT_EQ(Current(), (THexEditCell{11, 1}));
    PressKey(*form, Qt::Key_Down);
    EXPECT_EQ(Current(), (THexEditCell{11, 2}));
    PressKey(*form, Qt::Key_End);  // towards the row's last column: an empty cell
    EXPECT_EQ(Current(), (THexEditCell{11, 2}));

    ClickCell(*form, {14, 2});
    PressKey(*form, Qt::Key_Right);
    EXPECT_EQ(Current(), (THexEditCell{14, 2}));

    for (const THexEditCell cell : {THexEditCell{5, 1}, THexEditCell{15, 2}, THexEditCell{17, 1},
                                    THexEditCell{17, 2}, THexEditCell{0, 2}}) {
        ClickCell(*form, cell);
        EXPECT_EQ(Current(), (THexEditCell{14, 2})) << cell.Column << "," << cell.Row;
    }
    EXPECT_EQ(form->Grid()->selectionModel()->selectedIndexes(),
              QModelIndexList{form->Grid()->model()->index(1, 13)});
}

TEST_F(HexEditFormTest, EmptyCellsAndTheTextColumnCannotBeEdited) {
    Show();
    const QAbstractItemModel* model = form->Grid()->model();
    EXPECT_FALSE(model->flags(model->index(0, 0)) & Qt::ItemIsEditable);    // before the range
    EXPECT_FALSE(model->flags(model->index(1, 14)) & Qt::ItemIsEditable);   // after it
    EXPECT_FALSE(model->flags(model->index(1, 16)) & Qt::ItemIsEditable);   // text column
    EXPECT_TRUE(model->flags(model->index(1, 13)) & Qt::ItemIsEditable);
}

// ---------------------------------------------------------------- saving

TEST_F(HexEditFormTest, SaveWithYesWritesExactlyTheChangedBytes) {
    Show();
    Edit({11, 1}, QStringLiteral("AA"));
    Edit({14, 2}, QStringLiteral("BB"));
    Edit({3, 2}, QStringLiteral("7"));
    Edit({4, 2}, QStringLiteral("6F"));  // its own value: not a change
    asker.answers = {true};
    form->SaveButton()->click();

    EXPECT_THAT(asker.boxes, ElementsAre(Box{Kind::Confirmation, kSaveQuestion}));
    EXPECT_EQ(form->result(), QDialog::Accepted);
    EXPECT_FALSE(form->isVisible());
    EXPECT_THAT(stream->writes, ElementsAre(FaultyStream::WriteCall{0x1A, 1}, FaultyStream::WriteCall{0x2D, 1},
                                            FaultyStream::WriteCall{0x22, 1}));
    EXPECT_EQ(FileBytes(), Patched({{0x1A, 0xAA}, {0x2D, 0xBB}, {0x22, 0x70}}));
}

TEST_F(HexEditFormTest, SaveWithNoClosesWithoutWriting) {
    Show();
    Edit({11, 1}, QStringLiteral("AA"));
    asker.answers = {false};
    form->SaveButton()->click();
    EXPECT_THAT(asker.boxes, ElementsAre(Box{Kind::Confirmation, kSaveQuestion}));
    EXPECT_EQ(form->result(), QDialog::Accepted);
    EXPECT_FALSE(form->isVisible());
    EXPECT_THAT(stream->writes, IsEmpty());
    EXPECT_EQ(FileBytes(), original);
}

TEST_F(HexEditFormTest, CancelClosesWithoutAskingOrWriting) {
    Show();
    Edit({11, 1}, QStringLiteral("AA"));
    form->CancelButton()->click();
    EXPECT_EQ(form->result(), QDialog::Rejected);
    EXPECT_THAT(asker.boxes, IsEmpty());
    EXPECT_THAT(stream->writes, IsEmpty());
    EXPECT_EQ(FileBytes(), original);
}

TEST_F(HexEditFormTest, AWriteFailingHalfWayKeepsTheBytesWrittenBeforeIt) {
    Show();
    Edit({11, 1}, QStringLiteral("AA"));
    Edit({12, 1}, QStringLiteral("BB"));
    Edit({13, 1}, QStringLiteral("CC"));
    stream->failingWrite = 1;
    asker.answers = {true};
    platform::DebugLineCapture capture;
    form->SaveButton()->click();
    EXPECT_THAT(capture.Lines(), ElementsAre("dbg: Error in THexEditForm.SaveChanges call..."));
    EXPECT_EQ(form->result(), QDialog::Accepted);
    EXPECT_EQ(stream->writes.size(), 2u);
    EXPECT_EQ(FileBytes(), Patched({{0x1A, 0xAA}}));
    ASSERT_FALSE(asker.boxes.empty());
    EXPECT_EQ(asker.boxes.back(), (ScriptedHexEditAsker::Box{ScriptedHexEditAsker::Kind::Error,
                                                             QString::fromLatin1(kHexEditPartialSaveMessage)}));
}

TEST_F(HexEditFormTest, ARangeReachingPastTheEndShowsAndSavesOnlyWhatTheFileHolds) {
    Show(0x35, 384);
    ASSERT_EQ(form->Grid()->model()->rowCount(), 1);
    EXPECT_EQ(Seen(5, 1), QString());
    EXPECT_EQ(Seen(6, 1), QStringLiteral("B5"));
    EXPECT_EQ(Seen(16, 1), QStringLiteral("BF"));
    for (int i = 0; i < 15; ++i) PressKey(*form, Qt::Key_Return);
    EXPECT_EQ(Current(), (THexEditCell{16, 1}));
    TypeText(*form, QStringLiteral("01"));
    asker.answers = {true};
    form->SaveButton()->click();
    EXPECT_EQ(std::filesystem::file_size(path), 64u);
    EXPECT_EQ(FileBytes(), Patched({{0x3F, 0x01}}));
}

TEST_F(HexEditFormTest, AnUnreadableRangeLeavesTheGridEmpty) {
    stream->failReads = true;
    platform::DebugLineCapture capture;
    Show();
    EXPECT_THAT(capture.Lines(), ElementsAre("dbg: Error in THexEditForm.FormShow call..."));
    EXPECT_EQ(form->Grid()->model()->rowCount(), 0);
    form->SaveButton()->click();
    EXPECT_THAT(asker.boxes, ElementsAre(Box{Kind::Message, QStringLiteral("No changes to be saved.")}));
    EXPECT_EQ(FileBytes(), original);
}

TEST_F(HexEditFormTest, OffsetsBeyondFourGibibytesOpenAndSave) {
    path = dir.File("sparse.mp2");
    const std::int64_t at = 5 * kGiB + 0x1A;
    {
        std::ofstream out(path, std::ios::binary);
        out.seekp(at);
        out.write("MPEG a<dio frame!!!!", 20);
        ASSERT_TRUE(out.good());
    }
    OpenStream();
    Show(at, 20);
    EXPECT_EQ(Seen(0, 1), QStringLiteral("0x0000000140000010"));
    EXPECT_EQ(Seen(0, 2), QStringLiteral("0x0000000140000020"));
    EXPECT_EQ(Seen(17, 1), QStringLiteral("          MPEG a"));
    TypeText(*form, QStringLiteral("6D"));
    asker.answers = {true};
    form->SaveButton()->click();

    EXPECT_THAT(stream->writes, ElementsAre(FaultyStream::WriteCall{at, 1}));
    EXPECT_EQ(static_cast<std::int64_t>(std::filesystem::file_size(path)), at + 20);
    std::ifstream in(path, std::ios::binary);
    in.seekg(at - 1);
    char back[4] = {};
    in.read(back, 4);
    EXPECT_EQ(std::string(back, 4), std::string("\0mPE", 4));
}

// ---------------------------------------------------------------- EditFile

TEST_F(HexEditFormTest, EditFileShowsTheDialogModallyCentredWithTheCaptionSuffix) {
    QWidget owner;
    owner.setGeometry(100, 80, 1124, 900);
    owner.show();
    hexedittest::DialogDriver driver;
    driver.WhenShown([&](THexEditForm& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Hex Edit [MPA Frame @ 0x000000000000001A]"));
        EXPECT_TRUE(dialog.isModal());
        EXPECT_EQ(dialog.size(), QSize(769, 613));
        EXPECT_LE((dialog.frameGeometry().center() - owner.frameGeometry().center()).manhattanLength(), 1);
        EXPECT_EQ(SeenText(dialog, {11, 1}), QStringLiteral("4D"));
        dialog.SaveButton()->click();
    });
    EXPECT_TRUE(EditFile(stream.get(), QStringLiteral(" [MPA Frame @ 0x000000000000001A]"), 0x1A, 20, &owner, &asker));
    EXPECT_EQ(driver.Shown(), 1);
    EXPECT_THAT(asker.boxes, ElementsAre(Box{Kind::Message, QStringLiteral("No changes to be saved.")}));

    driver.WhenShown([](THexEditForm& dialog) { dialog.CancelButton()->click(); });
    EXPECT_FALSE(EditFile(stream.get(), QString(), 0x1A, 20, &owner, &asker));
    EXPECT_EQ(driver.Shown(), 2);
    EXPECT_EQ(FileBytes(), original);
}

TEST_F(HexEditFormTest, EditFileWithoutAStreamReportsIt) {
    platform::DebugLineCapture capture;
    hexedittest::DialogDriver driver;
    driver.WhenShown([](THexEditForm& dialog) { dialog.reject(); });
    EXPECT_FALSE(EditFile(nullptr, QString(), 0, 20, nullptr, &asker));
    QApplication::processEvents();
    EXPECT_EQ(driver.Shown(), 0);
    EXPECT_THAT(capture.Lines(), ElementsAre("dbg: Error in EditFile - invalid filestream."));
}

}  // namespace
