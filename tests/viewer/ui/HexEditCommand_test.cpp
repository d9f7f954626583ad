// The main window's "Hex Edit Selected Frame": from the selected frame
// through the dialog to the patched file and the reload.

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTreeWidget>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/debug_output.h"
#include "tests/support/mpa_builder.h"
#include "tests/viewer/ui/HexEditFixture_test.h"
#include "tests/viewer/ui/form_fixture.h"
#include "viewer/ui/FrameListView.h"
#include "viewer/ui/HexEditForm.h"
#include "viewer/ui/HexEditGridView.h"

namespace {

using hexedittest::FaultyStream;
using hexedittest::kSaveQuestion;
using hexedittest::ScriptedHexEditAsker;
using hexedittest::SeenText;
using hexedittest::TypeText;
using Box = ScriptedHexEditAsker::Box;
using Kind = ScriptedHexEditAsker::Kind;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr int kFrameBytes = 384;  // MPEG-1 Layer II, 128 kbit/s, 48 kHz
const QString kReloadQuestion = QStringLiteral("Do you want to reload the file with the new changes?");

QString FieldLine(const char* name, int value) {
    return QString::fromLatin1(name).leftJustified(20) + QStringLiteral(" : %1 (1 bit)").arg(value);
}

class HexEditCommandTest : public formtest::FormTest {
protected:
    void Load(const std::vector<std::uint8_t>& bytes) {
        ShowForm();
        form->SetHexEditAsker(&hexAsker);
        form->SetHexEditOpener([this](const std::string& name) -> std::unique_ptr<THexEditStream> {
            openedNames.push_back(name);
            if (lockFile) return nullptr;
            auto stream = std::make_unique<FaultyStream>(OpenHexEditFile(name));
            stream->failingWrite = failingWrite;
            return stream;
        });
        original = bytes;
        path = WriteFile("stream.mp2", bytes).toStdString();
        ASSERT_TRUE(form->LoadFile(QString::fromStdString(path), false));
    }
    void LoadFrames(int count = 40) {
        testsupport::MpaStreamBuilder builder;
        builder.Frames(testsupport::MpaFrameSpec{}, count);
        Load(builder.Data());
    }
    void SelectRow(int row) {
        formtest::ClickAt(List()->viewport(), List()->visualRect(List()->model()->index(row, 1)).center());
        ASSERT_EQ(List()->SelectedRow(), row);
    }
    QAction* ToolsItem() const {
        for (QAction* menu : form->menuBar()->actions())
            if (menu->text() == QStringLiteral("Tools")) return menu->menu()->actions().value(0);
        return nullptr;
    }
    void Run() {
        QAction* item = ToolsItem();
        ASSERT_NE(item, nullptr);
        ASSERT_TRUE(item->isEnabled());
        item->trigger();
    }
    [[nodiscard]] std::vector<std::uint8_t> FileBytes() const { return testsupport::ReadFileBytes(path); }
    [[nodiscard]] std::vector<std::uint8_t> Patched(std::vector<std::pair<std::size_t, std::uint8_t>> bytes) const {
        std::vector<std::uint8_t> expected = original;
        for (const auto& [at, value] : bytes) expected[at] = value;
        return expected;
    }

    ScriptedHexEditAsker hexAsker;
    hexedittest::DialogDriver driver;
    std::vector<std::string> openedNames;
    bool lockFile = false;
    int failingWrite = -1;
    std::string path;
    std::vector<std::uint8_t> original;
};

// Moves the dialog's cursor from the frame's first byte to its header byte 3
// (mode, mode extension, copyright, original, emphasis) and types a value.
void TypeIntoHeaderByte3(THexEditForm& dialog, const QString& value) {
    for (int i = 0; i < 3; ++i) hexedittest::PressKey(dialog, Qt::Key_Return);
    TypeText(dialog, value);
}

TEST_F(HexEditCommandTest, BothMenuItemsRunTheCommand) {
    ShowForm();
    form->SetHexEditAsker(&hexAsker);
    QAction* item = ToolsItem();
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), QStringLiteral("Hex Edit Selected Frame"));
    EXPECT_TRUE(item->isEnabled());
    EXPECT_EQ(List()->actions().value(0), item);  // the frame list's context menu
    item->trigger();
    EXPECT_THAT(hexAsker.boxes, ElementsAre(Box{Kind::Error, QStringLiteral("There is no file loaded.")}));
    EXPECT_EQ(driver.Shown(), 0);
}

TEST_F(HexEditCommandTest, ALockedFileShowsTheMessageAndWritesNothing) {
    LoadFrames();
    SelectRow(2);
    lockFile = true;
    driver.WhenShown([](THexEditForm& dialog) { dialog.reject(); });
    Run();
    ProcessEvents();
    EXPECT_THAT(openedNames, ElementsAre(path));
    EXPECT_THAT(hexAsker.boxes,
                ElementsAre(Box{Kind::Message, QStringLiteral("File is locked for writing by another application.")}));
    EXPECT_EQ(driver.Shown(), 0);
    EXPECT_EQ(FileBytes(), original);
}

TEST_F(HexEditCommandTest, NoSelectedFrameIsAnError) {
    LoadFrames();
    List()->selectionModel()->clearSelection();
    ASSERT_EQ(List()->SelectedRow(), -1);
    Run();
    EXPECT_THAT(hexAsker.boxes, ElementsAre(Box{Kind::Error, QStringLiteral("There is no frame selected.")}));
    EXPECT_EQ(driver.Shown(), 0);
    EXPECT_EQ(FileBytes(), original);
}

TEST_F(HexEditCommandTest, ChangedHeaderBytesAreSavedAndShownAfterTheReload) {
    LoadFrames();
    SelectRow(2);
    EXPECT_TRUE(TreeText().contains(FieldLine("copyright", 0)));
    EXPECT_TRUE(TreeText().contains(FieldLine("original / home", 0)));
    const std::int64_t frame = 2 * kFrameBytes;  // 0x300

    driver.WhenShown([&](THexEditForm& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Hex Edit [MPA Frame @ 0x0000000000000300]"));
        EXPECT_EQ(dialog.Grid()->model()->rowCount(), kFrameBytes / 16);
        EXPECT_EQ(SeenText(dialog, {0, 1}), QStringLiteral("0x0000000000000300"));
        EXPECT_EQ(SeenText(dialog, {1, 1}), QStringLiteral("FF"));  // the sync word
        EXPECT_EQ(dialog.CurrentCell(), (THexEditCell{1, 1}));
        TypeIntoHeaderByte3(dialog, QStringLiteral("0C"));  // copyright and original set
        dialog.SaveButton()->click();
    });
    hexAsker.answers = {true, true};
    Run();

    EXPECT_EQ(driver.Shown(), 1);
    EXPECT_THAT(hexAsker.boxes,
                ElementsAre(Box{Kind::Confirmation, kSaveQuestion}, Box{Kind::Confirmation, kReloadQuestion}));
    EXPECT_EQ(FileBytes(), Patched({{static_cast<std::size_t>(frame + 3), 0x0C}}));

    // Reloaded: the first frame is selected again, the list is whole.
    EXPECT_EQ(form->Navigator().FileName(), path);
    EXPECT_EQ(List()->SelectedRow(), 0);
    EXPECT_EQ(ListedOffsets()[2], formtest::HexOffset(frame));
    EXPECT_TRUE(TreeText().contains(FieldLine("copyright", 0)));
    SelectRow(2);
    EXPECT_TRUE(TreeText().contains(FieldLine("copyright", 1)));
    EXPECT_TRUE(TreeText().contains(FieldLine("original / home", 1)));
    SelectRow(3);
    EXPECT_TRUE(TreeText().contains(FieldLine("copyright", 0)));
}

TEST_F(HexEditCommandTest, NoToTheConfirmationWritesNothingButTheReloadIsStillOffered) {
    LoadFrames();
    SelectRow(2);
    driver.WhenShown([](THexEditForm& dialog) {
        TypeIntoHeaderByte3(dialog, QStringLiteral("0C"));
        dialog.SaveButton()->click();
    });
    hexAsker.answers = {false, false};
    Run();
    EXPECT_THAT(hexAsker.boxes,
                ElementsAre(Box{Kind::Confirmation, kSaveQuestion}, Box{Kind::Confirmation, kReloadQuestion}));
    EXPECT_EQ(FileBytes(), original);
    EXPECT_EQ(List()->SelectedRow(), 2);  // not reloaded
}

TEST_F(HexEditCommandTest, NoChangesStillOffersTheReload) {
    LoadFrames();
    SelectRow(1);
    driver.WhenShown([](THexEditForm& dialog) { dialog.SaveButton()->click(); });
    hexAsker.answers = {true};
    Run();
    EXPECT_THAT(hexAsker.boxes, ElementsAre(Box{Kind::Message, QStringLiteral("No changes to be saved.")},
                                            Box{Kind::Confirmation, kReloadQuestion}));
    EXPECT_EQ(FileBytes(), original);
    EXPECT_EQ(List()->SelectedRow(), 0);  // reloaded
}

TEST_F(HexEditCommandTest, CancelAsksNothingAndWritesNothing) {
    LoadFrames();
    SelectRow(1);
    driver.WhenShown([](THexEditForm& dialog) {
        TypeIntoHeaderByte3(dialog, QStringLiteral("0C"));
        dialog.CancelButton()->click();
    });
    Run();
    EXPECT_EQ(driver.Shown(), 1);
    EXPECT_THAT(hexAsker.boxes, IsEmpty());
    EXPECT_EQ(FileBytes(), original);
    EXPECT_EQ(List()->SelectedRow(), 1);
}

TEST_F(HexEditCommandTest, AWriteFailingHalfWayKeepsTheEarlierBytes) {
    LoadFrames();
    SelectRow(1);
    failingWrite = 1;
    driver.WhenShown([](THexEditForm& dialog) {
        TypeIntoHeaderByte3(dialog, QStringLiteral("0C"));
        hexedittest::PressKey(dialog, Qt::Key_Return);
        TypeText(dialog, QStringLiteral("55"));  // frame byte 4
        dialog.SaveButton()->click();
    });
    hexAsker.answers = {true, false};
    platform::DebugLineCapture capture;
    Run();
    EXPECT_THAT(capture.Lines(), ElementsAre("dbg: Error in THexEditForm.SaveChanges call..."));
    EXPECT_EQ(FileBytes(), Patched({{kFrameBytes + 3, 0x0C}}));
}

TEST_F(HexEditCommandTest, FramesBeyondFourGibibytesOpenAndSave) {
    // Frames at the start (the file is accepted on them) and again past 4 GiB.
    testsupport::MpaStreamBuilder head;
    head.Frames(testsupport::MpaFrameSpec{}, 40);
    Load(head.Data());
    const std::int64_t far = (std::int64_t{5} << 30) + 0x1A;
    {
        testsupport::MpaStreamBuilder tail;
        tail.Frames(testsupport::MpaFrameSpec{}, 20);
        std::fstream out(path, std::ios::binary | std::ios::in | std::ios::out);
        out.seekp(far);
        out.write(reinterpret_cast<const char*>(tail.Data().data()), static_cast<std::streamsize>(tail.Size()));
        ASSERT_TRUE(out.good());
    }
    const auto size = static_cast<std::int64_t>(std::filesystem::file_size(path));
    ASSERT_TRUE(form->LoadFile(QString::fromStdString(path), false));
    formtest::TypeKey(List(), Qt::Key_End);
    const int row = List()->SelectedRow();
    ASSERT_GE(row, 0);
    const std::int64_t offset = form->Navigator().Frame(row).Offset;
    ASSERT_GT(offset, far);
    ASSERT_EQ((offset - far) % kFrameBytes, 0);

    driver.WhenShown([&](THexEditForm& dialog) {
        EXPECT_EQ(dialog.windowTitle(),
                  QStringLiteral("Hex Edit [MPA Frame @ %1]").arg(QString::fromStdString(formtest::HexOffset(offset))));
        EXPECT_EQ(SeenText(dialog, {0, 1}), QString::fromStdString(formtest::HexOffset(offset & ~15)));
        EXPECT_EQ(dialog.CurrentCell(), (THexEditCell{static_cast<int>(offset % 16) + 1, 1}));
        TypeIntoHeaderByte3(dialog, QStringLiteral("0C"));
        dialog.SaveButton()->click();
    });
    hexAsker.answers = {true, false};
    Run();
    EXPECT_EQ(driver.Shown(), 1);
    EXPECT_EQ(static_cast<std::int64_t>(std::filesystem::file_size(path)), size);
    std::ifstream in(path, std::ios::binary);
    in.seekg(offset);
    char header[5] = {};
    in.read(header, 5);
    ASSERT_TRUE(in.good());
    EXPECT_EQ(static_cast<std::uint8_t>(header[0]), 0xFF);
    EXPECT_EQ(static_cast<std::uint8_t>(header[3]), 0x0C);
    EXPECT_EQ(static_cast<std::uint8_t>(header[4]), 0x00);
}

}  // namespace
