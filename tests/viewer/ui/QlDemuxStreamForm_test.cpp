// The extraction dialog and the processing window against fake plugins.

#include "viewer/ui/QlDemuxStreamForm.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>

#include "platform/debug_output.h"
#include "platform/dynamic_library.h"
#include "tests/fakes/fake_plugin_folder.h"
#include "viewer/media/QlDemuxEx.h"
#include "viewer/ui/ProcessingForm.h"

namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ScriptedSaveAsker : public TQlDemuxStreamAsker {
public:
    QString pick;
    bool confirm = false;
    std::vector<QString> questions;
    std::vector<QString> errors;

    QString AskSaveFileName(QWidget*, const QString&, const QString&) override { return pick; }
    bool AskConfirmation(QWidget*, const QString& text) override {
        questions.push_back(text);
        return confirm;
    }
    void ShowError(QWidget*, const QString& text) override { errors.push_back(text); }
};

// Runs action on the extraction dialog once it is shown modally, while the
// returned watcher lives.
std::unique_ptr<QTimer> WhenDialogShown(const std::function<void(TQlDemuxStreamForm*)>& action) {
    auto timer = std::make_unique<QTimer>();
    QTimer* watcher = timer.get();
    QObject::connect(watcher, &QTimer::timeout, [watcher, action] {
        auto* dialog = qobject_cast<TQlDemuxStreamForm*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        watcher->stop();
        action(dialog);
    });
    watcher->start(10);
    return timer;
}

class ExtractionDialog : public ::testing::Test {
protected:
    ExtractionDialog() {
        plugins.InstallPlugin("demo_ql_demux_mp2", "demo_demux_mp2");
        saveFolder = out.Path().string() + "/";
    }

    QString Cell(TQlDemuxStreamForm& form, int row, int column) const {
        return form.findChild<QTableWidget*>(QStringLiteral("ListViewStreamInfo"))->item(row, column)->text();
    }
    static QTableWidget* List(TQlDemuxStreamForm& form) {
        return form.findChild<QTableWidget*>(QStringLiteral("ListViewStreamInfo"));
    }
    static QString OutputText(TQlDemuxStreamForm& form) {
        return form.findChild<QLineEdit*>(QStringLiteral("leOutputFileName"))->text();
    }
    static QPushButton* DemuxButton(TQlDemuxStreamForm& form) {
        return form.findChild<QPushButton*>(QStringLiteral("btnDemuxAndLoad"));
    }

    fakes::FakePluginFolder plugins;
    testsupport::TempDir out;
    std::string saveFolder;
    ScriptedSaveAsker asker;
};

// ---------------------------------------------------------------- list and proposals

TEST_F(ExtractionDialog, RowsProposeNamesAndEnableOnlyTheWantedCategory) {
    TQlDemuxEx reader(plugins.Folder());
    ASSERT_TRUE(reader.LoadFile(plugins.WriteContainer("movie.ts", {"stream 0 0 3", "stream 0 1 131"})));
    TQlDemuxStreamForm form(nullptr, &reader, plugins.File("movie.ts"), kMediaCategoryMPEGAudio, saveFolder, &asker);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Extract Elementary Stream"));
    EXPECT_TRUE(form.size().expandedTo(QSize(341, 230)) == form.size());  // the designed size at least
    EXPECT_EQ(OutputText(form), QStringLiteral("C:\\Temp\\"));
    EXPECT_FALSE(DemuxButton(form)->isEnabled());
    form.show();

    ASSERT_EQ(List(form)->rowCount(), 2);
    EXPECT_EQ(List(form)->horizontalHeaderItem(2)->text(), QStringLiteral("Stream Type"));
    EXPECT_EQ(Cell(form, 0, 2), QStringLiteral("MPEG-2 video"));
    EXPECT_EQ(Cell(form, 1, 1), QStringLiteral("1"));
    EXPECT_EQ(Cell(form, 1, 2), QStringLiteral("MPEG audio"));
    // The first row is selected when the dialog shows.
    EXPECT_EQ(OutputText(form), QString::fromStdString(saveFolder + "movie_0000.m2v"));
    EXPECT_FALSE(DemuxButton(form)->isEnabled());
    form.ListViewStreamInfoDblClick();  // a video row: nothing happens
    EXPECT_TRUE(form.isVisible());

    List(form)->selectRow(1);
    EXPECT_EQ(OutputText(form), QString::fromStdString(saveFolder + "movie_0000.mpa"));
    EXPECT_EQ(form.FileNameOut(), saveFolder + "movie_0000.mpa");
    EXPECT_TRUE(DemuxButton(form)->isEnabled());
    List(form)->clearSelection();
    EXPECT_FALSE(DemuxButton(form)->isEnabled());
}

TEST_F(ExtractionDialog, ProposalSkipsExistingNumbers) {
    out.Write("movie_0000.mpa", {1});
    out.Write("movie_0001.mpa", {1});
    TQlDemuxEx reader(plugins.Folder());
    ASSERT_TRUE(reader.LoadFile(plugins.WriteContainer("movie.ts", {"stream 0 0 132"})));
    TQlDemuxStreamForm form(nullptr, &reader, plugins.File("movie.ts"), kMediaCategoryMPEGAudio, saveFolder, &asker);
    form.show();
    EXPECT_EQ(form.FileNameOut(), saveFolder + "movie_0002.mpa");
}

// ---------------------------------------------------------------- choosing the output file

TEST_F(ExtractionDialog, ReplaceQuestionGuardsAnExistingFile) {
    TQlDemuxEx reader(plugins.Folder());
    ASSERT_TRUE(reader.LoadFile(plugins.WriteContainer("movie.ts", {"stream 0 0 131"})));
    TQlDemuxStreamForm form(nullptr, &reader, plugins.File("movie.ts"), kMediaCategoryMPEGAudio, saveFolder, &asker);
    form.show();
    const std::string proposal = form.FileNameOut();
    const std::string existing = out.Write("kept.mpa", {1, 2, 3});
    asker.pick = QString::fromStdString(existing);

    form.btnSaveFileClick();  // Cancel
    ASSERT_THAT(asker.questions, ElementsAre(QStringLiteral("The file ") + asker.pick +
                                             QStringLiteral(" already exists. Do you want to replace it?")));
    EXPECT_EQ(form.FileNameOut(), proposal);
    EXPECT_EQ(OutputText(form), QString::fromStdString(proposal));
    EXPECT_TRUE(std::filesystem::exists(existing));

    asker.confirm = true;  // OK: the name is taken; the file stays until an extraction replaces it
    form.btnSaveFileClick();
    EXPECT_TRUE(testsupport::ReadFileBytes(existing) == (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(form.FileNameOut(), existing);
    EXPECT_EQ(OutputText(form), asker.pick);

    // Something that cannot be deleted: a folder with a file in it.
    std::filesystem::create_directory(out.File("busy"));
    out.Write("busy/inside", {1});
    asker.pick = QString::fromStdString(out.File("busy"));
    form.btnSaveFileClick();
    EXPECT_THAT(asker.errors, ElementsAre(QStringLiteral("Cannot delete ") + asker.pick + QStringLiteral(" file.")));
    EXPECT_EQ(form.FileNameOut(), existing);
}

// ---------------------------------------------------------------- the whole exchange

TEST_F(ExtractionDialog, ContainerWithoutStreamsAnswersFalseWithoutDialog) {
    platform::DebugLineCapture lines;
    bool dialogSeen = false;
    const auto watcher = WhenDialogShown([&](TQlDemuxStreamForm* dialog) {
        dialogSeen = true;
        dialog->reject();
    });
    std::string output = "unchanged";
    std::string folder = saveFolder;
    bool cancelled = true;
    EXPECT_FALSE(LoadFileForDemux(nullptr, plugins.WriteContainer("empty.ts", {}), kMediaCategoryMPEGAudio, output,
                                  cancelled, folder, plugins.Folder(), &asker));
    EXPECT_FALSE(cancelled);
    EXPECT_FALSE(LoadFileForDemux(nullptr, plugins.File("missing.ts"), kMediaCategoryMPEGAudio, output, cancelled,
                                  folder, plugins.Folder(), &asker));
    QApplication::processEvents();
    EXPECT_FALSE(dialogSeen);
    EXPECT_EQ(output, "unchanged");
    EXPECT_THAT(lines.Lines(),
                ElementsAre("vld: Error in LoadFileForDemux - no streams found with Demux.GetStreamsCount.",
                            "vld: Error in LoadFileForDemux - cannot load file calling Demux.LoadFile."));
}

// A plugin that never answers the load: the window's thread is back after
// the time-out, the user is told, and the plugin leaves once let out.
TEST_F(ExtractionDialog, APluginThatDoesNotAnswerTheLoadIsReportedWithoutDialog) {
    using namespace std::chrono_literals;
    const std::string blocking =
        plugins.WriteContainer("blocking.ts", {"stream 0 0 131", "block LoadFile", "log " + plugins.File("calls.log")});
    std::string output = "unchanged";
    std::string folder = saveFolder;
    bool cancelled = true;
    EXPECT_FALSE(LoadFileForDemux(nullptr, blocking, kMediaCategoryMPEGAudio, output, cancelled, folder,
                                  plugins.Folder(), &asker, TPluginTimeOuts{1s, 1s, 1s}));
    EXPECT_FALSE(cancelled);
    EXPECT_EQ(output, "unchanged");
    EXPECT_THAT(asker.errors, ElementsAre(QStringLiteral("The plugin did not answer and was left running; ") +
                                          QString::fromStdString(blocking) + QStringLiteral(" was not opened.")));
    ASSERT_TRUE(plugins.Release("demo_ql_demux_mp2"));
    EXPECT_TRUE(plugins.WaitForLog("LoadFile released"));
}

TEST_F(ExtractionDialog, DemultiplexAndLoadWritesTheStreamAndNamesTheFolder) {
    const std::string movie = plugins.WriteContainer("movie.ts", {"stream 0 0 3", "stream 0 1 131", "chunks 300000 7"});
    auto watcher = WhenDialogShown([](TQlDemuxStreamForm* dialog) {
        List(*dialog)->selectRow(1);
        DemuxButton(*dialog)->click();
    });
    std::string output;
    std::string folder = saveFolder;
    bool cancelled = true;
    ASSERT_TRUE(LoadFileForDemux(nullptr, movie, kMediaCategoryMPEGAudio, output, cancelled, folder,
                                 plugins.Folder(), &asker));
    EXPECT_FALSE(cancelled);
    EXPECT_EQ(output, saveFolder + "movie_0000.mpa");
    EXPECT_EQ(folder, saveFolder);
    EXPECT_TRUE(testsupport::ReadFileBytes(output) == fakes::ExpectedBytes(0, 2100000));
    EXPECT_EQ(ShownProcessingForm(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    watcher = WhenDialogShown(
        [](TQlDemuxStreamForm* dialog) { dialog->findChild<QPushButton*>(QStringLiteral("btnCancel"))->click(); });
    output.clear();
    ASSERT_TRUE(LoadFileForDemux(nullptr, movie, kMediaCategoryMPEGAudio, output, cancelled, folder,
                                 plugins.Folder(), &asker));
    EXPECT_TRUE(cancelled);
    EXPECT_TRUE(output.empty());
}

TEST_F(ExtractionDialog, CancelInTheProcessingWindowStopsALongExtraction) {
    // About 100 s of stream at full length.
    const std::string movie = plugins.WriteContainer("long.ts", {"stream 0 0 131", "chunks 65536 100000 1"});
    QString lastLine;
    QTimer cancel;
    QObject::connect(&cancel, &QTimer::timeout, [&cancel, &lastLine] {
        TProcessingForm* processing = ShownProcessingForm();
        // Cancel once the window has shown a size, however busy the machine.
        if (processing == nullptr || !processing->Memo()->toPlainText().contains(QStringLiteral("Size : "))) return;
        cancel.stop();
        EXPECT_EQ(processing->windowTitle(), QStringLiteral("Processing..."));
        lastLine = processing->Memo()->toPlainText();
        processing->CancelButton()->click();
    });
    const auto watcher = WhenDialogShown([&](TQlDemuxStreamForm* dialog) {
        cancel.start(50);
        DemuxButton(*dialog)->click();
    });
    std::string output;
    std::string folder = saveFolder;
    bool cancelled = true;
    ASSERT_TRUE(LoadFileForDemux(nullptr, movie, kMediaCategoryMPEGAudio, output, cancelled, folder,
                                 plugins.Folder(), &asker));
    EXPECT_FALSE(cancelled);  // the dialog itself closed with OK
    EXPECT_TRUE(lastLine.startsWith(QStringLiteral("Demultiplexing...\nSize : "))) << lastLine.toStdString();
    EXPECT_TRUE(lastLine.endsWith(QStringLiteral(" bytes")));
    const auto bytes = testsupport::ReadFileBytes(output);
    EXPECT_GT(bytes.size(), 0u);
    EXPECT_LT(bytes.size(), 65536u * 100000u);
    EXPECT_TRUE(bytes == fakes::ExpectedBytes(0, static_cast<std::int64_t>(bytes.size())));
}

// ---------------------------------------------------------------- safe outputs

class SafeExtraction : public ExtractionDialog {
protected:
    // Runs the exchange with action on the shown dialog; the output name.
    std::string Run(const std::string& container, const std::function<void(TQlDemuxStreamForm*)>& action) {
        const auto watcher = WhenDialogShown(action);
        std::string output;
        std::string folder = saveFolder;
        EXPECT_TRUE(LoadFileForDemux(nullptr, container, kMediaCategoryMPEGAudio, output, cancelled, folder,
                                     plugins.Folder(), &asker));
        return output;
    }
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(out.Path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    bool cancelled = false;
};

TEST_F(SafeExtraction, CancelAfterPickingAnExistingOutputKeepsTheOldFile) {
    const std::string movie = plugins.WriteContainer("movie.ts", {"stream 0 0 131", "chunks 1000 5"});
    const std::string existing = out.Write("kept.mpa", {1, 2, 3});
    asker.pick = QString::fromStdString(existing);
    asker.confirm = true;
    Run(movie, [](TQlDemuxStreamForm* dialog) {
        dialog->btnSaveFileClick();
        dialog->findChild<QPushButton*>(QStringLiteral("btnCancel"))->click();
    });
    EXPECT_TRUE(cancelled);
    EXPECT_TRUE(testsupport::ReadFileBytes(existing) == (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_THAT(Entries(), ElementsAre("kept.mpa"));

    // Extracting instead replaces it with the whole stream.
    const std::string output = Run(movie, [](TQlDemuxStreamForm* dialog) {
        dialog->btnSaveFileClick();
        DemuxButton(*dialog)->click();
    });
    EXPECT_FALSE(cancelled);
    EXPECT_EQ(output, existing);
    EXPECT_TRUE(testsupport::ReadFileBytes(existing) == fakes::ExpectedBytes(0, 5000));
    EXPECT_THAT(Entries(), ElementsAre("kept.mpa"));
}

TEST_F(SafeExtraction, PlantedLinksAreNeverWrittenThrough) {
    const std::string movie = plugins.WriteContainer("movie.ts", {"stream 0 0 131", "chunks 1000 5"});
    const std::string target = out.Write("target.bin", {9});
    // A dangling link takes the first number; a link planted after the
    // proposal was made sends the file to the next free number.
    std::filesystem::create_symlink(out.File("nowhere.bin"), out.File("movie_0000.mpa"));
    const std::string output = Run(movie, [this, target](TQlDemuxStreamForm* dialog) {
        EXPECT_EQ(dialog->FileNameOut(), saveFolder + "movie_0001.mpa");
        std::filesystem::create_symlink(target, out.File("movie_0001.mpa"));
        DemuxButton(*dialog)->click();
    });
    EXPECT_EQ(output, saveFolder + "movie_0002.mpa");
    EXPECT_TRUE(testsupport::ReadFileBytes(output) == fakes::ExpectedBytes(0, 5000));
    EXPECT_TRUE(testsupport::ReadFileBytes(target) == (std::vector<std::uint8_t>{9}));
    EXPECT_FALSE(std::filesystem::exists(out.File("nowhere.bin")));
    EXPECT_THAT(Entries(), ElementsAre("movie_0000.mpa", "movie_0001.mpa", "movie_0002.mpa", "target.bin"));
}

TEST_F(SafeExtraction, AFailedExtractionIsReportedAndOpensNothing) {
    const std::string movie =
        plugins.WriteContainer("movie.ts", {"stream 0 0 131", "chunks 100000 10", "fail 4"});
    const std::string output = Run(movie, [](TQlDemuxStreamForm* dialog) { DemuxButton(*dialog)->click(); });
    EXPECT_TRUE(cancelled);  // nothing for the viewer to open, nothing to ask
    EXPECT_TRUE(output.empty());
    EXPECT_THAT(asker.errors, ElementsAre(QStringLiteral("The extraction failed; ") +
                                          QString::fromStdString(saveFolder + "movie_0000.mpa") +
                                          QStringLiteral(" was not written.")));
    EXPECT_THAT(Entries(), IsEmpty());
    EXPECT_EQ(ShownProcessingForm(), nullptr);
}

// A plugin stuck in its extraction: Cancel is seen although no data
// arrives, the stop gives up after its time-out, the user is told, and the
// next container opens and extracts with a plugin that works.
TEST_F(SafeExtraction, APluginThatDoesNotStopIsReportedAndTheNextOpenWorks) {
    plugins.InstallPlugin("demo_ql_demux_wav");
    const std::string stuck = plugins.WriteContainer(
        "stuck.ts", {"accept " + platform::SharedLibraryFileName("demo_ql_demux_mp2"), "stream 0 0 131",
                     "chunks 1000 1", "hang"});
    QTimer cancel;
    QObject::connect(&cancel, &QTimer::timeout, [&cancel] {
        TProcessingForm* processing = ShownProcessingForm();
        if (processing == nullptr || !processing->Memo()->toPlainText().contains(QStringLiteral("1000 bytes"))) return;
        cancel.stop();
        processing->CancelButton()->click();
    });
    Run(stuck, [&cancel](TQlDemuxStreamForm* dialog) {
        cancel.start(20);
        DemuxButton(*dialog)->click();
    });
    EXPECT_TRUE(cancelled);
    EXPECT_THAT(asker.errors, ElementsAre(QStringLiteral("The plugin did not stop when asked and was left running; ") +
                                          QString::fromStdString(saveFolder + "stuck_0000.mpa") +
                                          QStringLiteral(" was not written.")));
    EXPECT_THAT(Entries(), IsEmpty());
    EXPECT_EQ(ShownProcessingForm(), nullptr);

    const std::string next = plugins.WriteContainer(
        "next.ts", {"accept " + platform::SharedLibraryFileName("demo_ql_demux_wav"), "stream 0 0 131", "chunks 1000 5"});
    const std::string output = Run(next, [](TQlDemuxStreamForm* dialog) { DemuxButton(*dialog)->click(); });
    EXPECT_FALSE(cancelled);
    EXPECT_TRUE(testsupport::ReadFileBytes(output) == fakes::ExpectedBytes(0, 5000));
}

}  // namespace
