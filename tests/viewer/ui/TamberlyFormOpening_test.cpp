// How files reach the main window: the acceptance test, the opening sequence
// with its question, extraction, drops, the command line, files that change
// under the viewer, and the settings read at show and written at close.

#include "viewer/ui/TamberlyForm.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QSettings>
#include <QStyle>
#include <QTextEdit>
#include <QTreeWidget>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/debug_output.h"
#include "tests/support/mpa_builder.h"
#include "tests/viewer/ui/form_fixture.h"
#include "viewer/ui/FrameListView.h"

namespace {

using formtest::HexOffset;
using formtest::kSample;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

const QString kQuestion = QStringLiteral("This is not a valid MPEG audio stream.\r\nDo you want to open it anyway?");
const QString kDropQuestion = QStringLiteral("This is not a valid MPEG Audio stream.\r\nDo you want to open it anyway?");

std::vector<std::uint8_t> TextBytes() {
    const std::string text = "Not a stream at all, just a few lines of text.\nSecond line.\n";
    return {text.begin(), text.end()};
}

class OpeningTest : public formtest::FormTest {
protected:
    QString Caption(const QString& name) const { return QStringLiteral("Tamberly(") + name + QStringLiteral(")"); }
    std::unique_ptr<QSettings> Store() const {
        return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                           QStringLiteral("Orvanne Media Solutions"), QStringLiteral("tamberly"));
    }
};

// ---------------------------------------------------------------- acceptance test

TEST_F(OpeningTest, AudioStreamIsRecognisedByContentNotByName) {
    ShowForm();
    const QString disguised = CopyFixture(kSample, "looks_like.ts");
    EXPECT_TRUE(form->LoadFile(disguised, false));
    EXPECT_EQ(form->windowTitle(), Caption(disguised));
    EXPECT_EQ(form->Navigator().Layer(), 2);
    EXPECT_EQ(form->Navigator().Frequency(), 0);
}

TEST_F(OpeningTest, TextFileIsRejectedAndAnsweringNoOpensNothing) {
    ShowForm();
    const QString sample = CopyFixture(kSample);
    ASSERT_TRUE(form->LoadFile(sample, false));
    asker.fileToOpen = WriteFile("notes.txt", TextBytes());
    asker.answers = {false};
    form->menuBar()->actions()[0]->menu()->actions()[0]->trigger();  // "&Open"

    EXPECT_EQ(asker.openDialogs, 1);
    ASSERT_THAT(asker.questions, ElementsAre(kQuestion));
    EXPECT_EQ(form->windowTitle(), Caption(sample));  // the open file stays
    EXPECT_TRUE(QApplication::overrideCursor() == nullptr);
    ASSERT_EQ(asker.lastFilters.size(), 6);
    EXPECT_EQ(asker.lastFilters[1], QStringLiteral("MPEG Audio ES Files (*.mpa; *.mp3) (*.mpa *.mp3)"));
}

TEST_F(OpeningTest, TextFileAnsweredYesOpensWithoutTestAndShowsNoFrames) {
    ShowForm();
    const QString text = WriteFile("notes.txt", TextBytes());
    asker.fileToOpen = text;
    asker.answers = {true};
    form->Open1Click();
    EXPECT_THAT(asker.questions, ElementsAre(kQuestion));
    EXPECT_EQ(form->windowTitle(), Caption(text));
    EXPECT_EQ(List()->model()->rowCount(), 0);
    EXPECT_EQ(form->Navigator().Layer(), -1);  // what the failed vote left
    EXPECT_TRUE(HexText()->toPlainText().startsWith(QStringLiteral("0x0000000000000000   4E 6F 74")));
}

TEST_F(OpeningTest, OpenDialogIgnoresCancelAndMissingFiles) {
    ShowForm();
    form->Open1Click();
    asker.fileToOpen = QString::fromStdString(dir.File("missing.mp2"));
    form->Open1Click();
    asker.fileToOpen = QString::fromStdString(dir.Path().string());  // a folder
    form->Open1Click();
    EXPECT_EQ(asker.openDialogs, 3);
    EXPECT_THAT(asker.questions, IsEmpty());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Tamberly"));
}

// ---------------------------------------------------------------- extraction

TEST_F(OpeningTest, ContainerWithoutDemultiplexerEndsInQuestion) {
    ShowForm();
    const QString ts = CopyFixture("tone_l2.ts");
    EXPECT_FALSE(form->LoadFile(ts, false));
    bool cancelled = true;
    EXPECT_FALSE(form->TryDemuxFile(ts, cancelled));
    EXPECT_FALSE(cancelled);
    asker.fileToOpen = ts;
    form->Open1Click();
    EXPECT_THAT(asker.questions, ElementsAre(kQuestion));
}

TEST_F(OpeningTest, CancelledExtractionAsksNothing) {
    formtest::ScriptedExtractor extractor;
    extractor.cancel = true;
    ShowForm();
    form->SetStreamExtractor(&extractor);
    const QString ts = CopyFixture("tone_l2.ts");
    asker.fileToOpen = ts;
    form->Open1Click();
    EXPECT_THAT(extractor.calls, ElementsAre(ts.toStdString()));
    EXPECT_EQ(extractor.lastCategory, 1021);
    EXPECT_EQ(QString::fromStdString(extractor.folderSeen), form->SaveFolder());
    EXPECT_THAT(asker.questions, IsEmpty());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Tamberly"));
}

TEST_F(OpeningTest, ExtractedStreamIsTestedAndOpened) {
    formtest::ScriptedExtractor extractor;
    extractor.succeed = true;
    extractor.extractedFile = CopyFixture(kSample, "tone_l2_0001.mpa").toStdString();
    extractor.newFolder = dir.Path().string() + "/";
    ShowForm();
    form->SetStreamExtractor(&extractor);
    const QString ts = CopyFixture("tone_l2.ts");
    EXPECT_TRUE(form->OpenFileInteractive(ts, kQuestion));
    EXPECT_EQ(form->windowTitle(), Caption(QString::fromStdString(extractor.extractedFile)));
    EXPECT_EQ(form->SaveFolder(), QString::fromStdString(extractor.newFolder));
    EXPECT_GT(List()->model()->rowCount(), 0);

    // An extraction that claims success for a file that is not there fails.
    extractor.extractedFile = dir.File("vanished.mpa");
    bool cancelled = true;
    EXPECT_FALSE(form->TryDemuxFile(ts, cancelled));
    EXPECT_FALSE(cancelled);
}

// ---------------------------------------------------------------- drops and command line

TEST_F(OpeningTest, DroppedFilesOpenInTurnAndLastLoadedStays) {
    ShowForm();
    const QString first = CopyFixture(kSample, "first.mp2");
    const QString second = WriteFile("second.txt", TextBytes());
    const QString third = CopyFixture("tone_l2_48k_192k_crc.mp2", "third.mp2");
    const QString missing = QString::fromStdString(dir.File("missing.mp2"));
    std::vector<QString> captionsAtQuestion;
    asker.onQuestion = [&] { captionsAtQuestion.push_back(form->windowTitle()); };

    formtest::DropFiles(List()->viewport(), {first, second, missing, third});
    ProcessEvents();

    EXPECT_THAT(asker.questions, ElementsAre(kDropQuestion));
    // The first file was closed before the second was tried.
    EXPECT_THAT(captionsAtQuestion, ElementsAre(QStringLiteral("Tamberly")));
    EXPECT_EQ(form->windowTitle(), Caption(third));
    EXPECT_EQ(form->Navigator().Frequency(), 1);  // 48 kHz
}

TEST_F(OpeningTest, DropOfNothingButMissingFilesChangesNothing) {
    ShowForm();
    const QString sample = CopyFixture(kSample);
    ASSERT_TRUE(form->LoadFile(sample, false));
    form->WMDROPFILES({QString::fromStdString(dir.File("gone.mp2"))});
    EXPECT_EQ(form->windowTitle(), Caption(sample));
    EXPECT_THAT(asker.questions, IsEmpty());
}

TEST_F(OpeningTest, CommandLineFileOpensOnFirstShow) {
    const QString sample = CopyFixture(kSample);
    ShowForm(sample);
    EXPECT_EQ(form->windowTitle(), Caption(sample));
    EXPECT_EQ(List()->SelectedRow(), 0);
    EXPECT_EQ(TTamberlyForm::CommandLineFile({"tamberly", "/x/y.mp2", "more"}), QStringLiteral("/x/y.mp2"));
    EXPECT_TRUE(TTamberlyForm::CommandLineFile({"tamberly"}).isEmpty());
}

// ---------------------------------------------------------------- files that change

TEST_F(OpeningTest, DeletedFileMakesLoadFailWithItsDebugLine) {
    ShowForm();
    const QString sample = CopyFixture(kSample);
    ASSERT_TRUE(form->LoadFile(sample, false));
    const QString doomed = CopyFixture(kSample, "doomed.mp2");
    std::filesystem::remove(doomed.toStdString());

    platform::DebugLineCapture capture;
    EXPECT_FALSE(form->LoadFile(doomed, false));
    EXPECT_FALSE(form->LoadFile(doomed, true));
    EXPECT_THAT(capture.Lines(), ElementsAre("dbg: Error in TForm1.LoadFile call...",
                                             "dbg: Error in TForm1.LoadFile call..."));
    // Nothing half-open stays behind.
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Tamberly"));
    EXPECT_FALSE(form->Navigator().IsFileOpen());
    EXPECT_EQ(List()->model()->rowCount(), 0);
}

TEST_F(OpeningTest, TruncatedFileMakesNextMovesFindNothing) {
    ShowForm();
    const QString sample = CopyFixture(kSample);
    ASSERT_TRUE(form->LoadFile(sample, false));
    const int rows = List()->model()->rowCount();
    formtest::ClickAt(List()->viewport(), List()->visualRect(List()->model()->index(rows - 1, 0)).center());
    const QString treeBefore = TreeText();
    const auto pageBefore = ListedOffsets();
    std::filesystem::resize_file(sample.toStdString(), 300);

    formtest::TypeKey(List(), Qt::Key_Down);  // searches past the new end: nothing moves
    EXPECT_EQ(ListedOffsets(), pageBefore);
    EXPECT_EQ(TreeText(), treeBefore);  // the frame cannot be read again: the tree keeps it
    form->resize(form->width(), form->height() + 40);
    EXPECT_EQ(List()->model()->rowCount(), 0);
    EXPECT_TRUE(QApplication::overrideCursor() == nullptr);
}

TEST_F(OpeningTest, OffsetsBeyondFourGibibytesInSparseFile) {
    const std::int64_t base = (std::int64_t{5} << 30) + 17;
    const std::string path = dir.File("sparse.mpa");
    {
        std::ofstream out(path, std::ios::binary);
        out.seekp(base);
        const auto frames = testsupport::MpaStreamBuilder().Frames(testsupport::MpaFrameSpec{}, 40).Data();
        out.write(reinterpret_cast<const char*>(frames.data()), static_cast<std::streamsize>(frames.size()));
        ASSERT_TRUE(out.good());
    }
    ShowForm();
    asker.fileToOpen = QString::fromStdString(path);
    asker.answers = {true};  // the first MiB holds no frames: open it anyway
    form->Open1Click();
    ASSERT_EQ(form->windowTitle(), Caption(asker.fileToOpen));
    EXPECT_EQ(ListScrollBar()->maximum(), static_cast<int>((base + 40 * 384) / 100 - 1));

    ListScrollBar()->setValue(static_cast<int>(base / 100));  // the thumb dragged there
    formtest::ClickScrollBarPart(ListScrollBar(), QStyle::SC_ScrollBarSlider);
    const int value = ListScrollBar()->value();
    ASSERT_FALSE(ListedOffsets().empty());
    const std::int64_t first = base + ((std::int64_t{value} * 100 - base + 383) / 384) * 384;
    EXPECT_EQ(ListedOffsets()[0], HexOffset(std::max(first, base)));

    formtest::ClickAt(List()->viewport(), List()->visualRect(List()->model()->index(1, 0)).center());
    const std::int64_t second = std::max(first, base) + 384;
    EXPECT_TRUE(TreeText().contains(QStringLiteral("syncword").leftJustified(20) + QStringLiteral(" : 0x0FFF (12 bits)")));
    EXPECT_TRUE(HexText()->toPlainText().startsWith(QString::fromStdString(HexOffset(second & ~15))));
}

// ---------------------------------------------------------------- settings at show and close

TEST_F(OpeningTest, MissingSettingsGiveDesignLayoutTempFolderAndAllModules) {
    ShowForm();
    EXPECT_EQ(form->SaveFolder(), QDir::toNativeSeparators(QDir::tempPath()) + QDir::separator());
    EXPECT_EQ(form->LastUsedModules(), 0xFFFFFFFFu);
    EXPECT_TRUE(form->CheckForUpdates());
    EXPECT_EQ(form->centralWidget()->size(), QSize(1124, 486));
    EXPECT_FALSE(QFile::exists(settings.StoreFile()));
}

TEST_F(OpeningTest, SavedSettingsAreAppliedAtShowAndWrittenAtClose) {
    {
        const auto store = Store();
        store->setValue("FormLeft", 20);
        store->setValue("FormTop", 30);
        store->setValue("FormWidth", 1000);
        store->setValue("FormHeight", 450);
        store->setValue("OffsetColWidth", 140);
        store->setValue("ModeColWidth", 95);
        store->setValue("Panel2Width", 600);
        store->setValue("CheckForUpdates", false);
        store->setValue("DemuxFolder", dir.Path().string().c_str());
        store->setValue("LastUsedModules", 5);
    }
    ShowForm();
    EXPECT_EQ(form->geometry().topLeft(), QPoint(20, 30));
    EXPECT_EQ(form->centralWidget()->size(), QSize(1000, 450));
    EXPECT_EQ(List()->horizontalHeader()->sectionSize(0), 140);
    EXPECT_EQ(List()->horizontalHeader()->sectionSize(1), 70);
    EXPECT_EQ(List()->horizontalHeader()->sectionSize(6), 95);
    EXPECT_EQ(form->findChild<QWidget*>(QStringLiteral("ListPanel"))->width(), 600);
    EXPECT_FALSE(form->CheckForUpdates());
    EXPECT_FALSE(form->menuBar()->actions()[3]->menu()->actions()[0]->isChecked());
    EXPECT_EQ(form->SaveFolder(), QString::fromStdString(dir.Path().string()) + QStringLiteral("/"));
    EXPECT_EQ(form->LastUsedModules(), 5u);

    List()->horizontalHeader()->resizeSection(2, 77);
    form->CheckForUpdates1Click();
    const QString sample = CopyFixture(kSample);
    ASSERT_TRUE(form->LoadFile(sample, false));
    form->menuBar()->actions()[0]->menu()->actions()[4]->trigger();  // "E&xit"
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->Navigator().IsFileOpen());

    const auto store = Store();
    EXPECT_EQ(store->value("FormLeft").toInt(), 20);
    EXPECT_EQ(store->value("FormTop").toInt(), 30);
    EXPECT_EQ(store->value("FormWidth").toInt(), 1000);
    EXPECT_EQ(store->value("FormHeight").toInt(), 450);
    EXPECT_EQ(store->value("OffsetColWidth").toInt(), 140);
    EXPECT_EQ(store->value("FrameTimeColWidth").toInt(), 77);
    EXPECT_EQ(store->value("Panel2Width").toInt(), 600);
    EXPECT_EQ(store->value("WindowState").toInt(), 0);
    EXPECT_EQ(store->value("CheckForUpdates").toString(), QStringLiteral("true"));
    EXPECT_EQ(store->value("DemuxFolder").toString(), form->SaveFolder());
    EXPECT_EQ(store->value("LastUsedModules").toLongLong(), 5);
}

TEST_F(OpeningTest, MaximisedStateIsRestoredAndSaved) {
    Store()->setValue("WindowState", 2);
    ShowForm();
    EXPECT_TRUE(form->isMaximized());
    form->close();
    EXPECT_EQ(Store()->value("WindowState").toInt(), 2);
    EXPECT_EQ(Store()->value("FormWidth").toInt(), 1124);
}

}  // namespace
