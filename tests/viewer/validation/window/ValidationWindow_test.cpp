// The validation window over the fake modules: showing, running, stopping,
// closing, the module ticks, and a run of the real module where it is built.

#include <QApplication>
#include <QHeaderView>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QIcon>
#include <QTableView>
#include <QTimer>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/debug_output.h"
#include "tests/support/hostile_stream.h"
#include "tests/support/temp_dir.h"
#include "tests/viewer/validation/window/validation_window_fixture.h"

namespace {

using validationtest::ValidationWindowTest;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

constexpr const char* kMpa = "MPEG Audio Validator";
constexpr const char* kTs = "MPEG-2 Transport Stream Validator";
constexpr std::uint32_t kBoth = 0x1 | 0x40000;

QStringList Line(const char* number, const char* module, const char* stream, const char* type, const char* message) {
    return {QString::fromLatin1(number), QString::fromLatin1(module), QString::fromLatin1(stream),
            QString::fromLatin1(type), QString::fromLatin1(message)};
}

TEST_F(ValidationWindowTest, ShowsTheLoadedModulesTickedByTheLastUsedMask) {
    OpenVariant("pair", kBoth, 0x40000);
    EXPECT_EQ(window->windowTitle().toStdString(),
              "Media Validation - " + media + " [" + kTs + ", " + kMpa + "]");
    ASSERT_EQ(ModuleList()->count(), 2);
    EXPECT_EQ(ModuleList()->item(0)->text(), QString::fromLatin1(kTs));
    EXPECT_EQ(ModuleList()->item(0)->checkState(), Qt::Unchecked);
    EXPECT_EQ(ModuleList()->item(1)->checkState(), Qt::Checked);
    EXPECT_EQ(ModuleList()->currentRow(), 0);
    EXPECT_EQ(ButtonStates(), "10011");  // Stop and Save wait for a run
    const QTableView* list = ReportList();
    EXPECT_EQ(list->model()->headerData(4, Qt::Horizontal).toString(), QStringLiteral("Message"));
    EXPECT_EQ(list->columnWidth(1), 160);
    EXPECT_EQ(list->columnWidth(3), 60);
    EXPECT_EQ(list->columnWidth(4), 460);
    EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);

    // Only the ticked module runs; the ticks go back to the caller on close.
    Button("btnStartValidation")->click();
    EXPECT_THAT(log.CallsOf(kTs), Not(Contains("StartFileValidation")));
    EXPECT_THAT(log.CallsOf(kMpa), Contains("StartFileValidation"));
    ModuleList()->item(0)->setCheckState(Qt::Checked);
    ModuleList()->item(1)->setCheckState(Qt::Unchecked);
    EXPECT_TRUE(window->close());
    EXPECT_EQ(window->LastUsedModulesMask(), 0x1u);
}

TEST_F(ValidationWindowTest, ARunShowsTheItemsColouredAndCounted) {
    OpenVariant("good");
    Button("btnStartValidation")->click();
    EXPECT_THAT(Lines(), ElementsAre(Line("1", kMpa, "", "Info", "Validation started."),
                                     Line("2", kMpa, "0", "Warning", "Padding bit set needlessly."),
                                     Line("3", kMpa, "1", "Error", "Frame 3 cannot be decoded."),
                                     Line("4", kMpa, "", "Info", "Validation finished.")));
    EXPECT_EQ(Counter("edInfos"), QStringLiteral("2"));
    EXPECT_EQ(Counter("edWarnings"), QStringLiteral("1"));
    EXPECT_EQ(Counter("edErrors"), QStringLiteral("1"));
    EXPECT_EQ(ProgressLabel(), QStringLiteral("Progress: 100.00%...Done."));
    EXPECT_EQ(ProgressBar()->value(), 100);
    EXPECT_EQ(ButtonStates(), "10111");
    EXPECT_THAT(log.CallsOf(kMpa), ElementsAre("GetQuillonControl", "Reset", "LoadMediaFile " + media,
                                               "StartFileValidation", "StopFileValidation", "UnloadMediaFile"));

    const QAbstractItemModel* list = ReportList()->model();
    const auto background = [list](int row, int column) {
        return list->index(row, column).data(Qt::BackgroundRole).value<QColor>();
    };
    EXPECT_EQ(background(0, 4), QColor(247, 247, 255));
    EXPECT_EQ(background(1, 0), QColor(255, 255, 204));
    EXPECT_EQ(background(2, 2), QColor(255, 204, 204));
    for (int row = 0; row < 3; ++row) EXPECT_FALSE(list->index(row, 0).data(Qt::DecorationRole).value<QIcon>().isNull());

    // A second run starts from an empty list.
    Button("btnStartValidation")->click();
    EXPECT_EQ(Lines().size(), 4u);
    EXPECT_EQ(Counter("edInfos"), QStringLiteral("2"));
}

TEST_F(ValidationWindowTest, LinesAreNumberedAcrossTheModulesOfARun) {
    OpenVariant("pair", kBoth);
    Button("btnStartValidation")->click();
    const std::vector<QStringList> lines = Lines();
    ASSERT_EQ(lines.size(), 8u);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i][0], QString::number(i + 1));
        EXPECT_EQ(lines[i][1], QString::fromLatin1(i < 4 ? kTs : kMpa));
    }
    EXPECT_EQ(Counter("edErrors"), QStringLiteral("2"));
}

TEST_F(ValidationWindowTest, StopEndsTheRunningModuleAndRunsNoOther) {
    OpenVariant("stop_pair", kBoth);
    bool sawRunning = false;
    During(80, [&] {
        sawRunning = ButtonStates() == "01000";
        EXPECT_FALSE(window->close());  // refused during a run
        EXPECT_TRUE(window->isVisible());
        Button("btnStopValidation")->click();
    });
    Button("btnStartValidation")->click();
    EXPECT_TRUE(sawRunning);
    // The first module never reaches 100 and ran until stopped.
    EXPECT_THAT(log.CallsOf(kTs), ElementsAre("GetQuillonControl", "Reset", "LoadMediaFile " + media,
                                              "StartFileValidation", "StopFileValidation", "UnloadMediaFile"));
    EXPECT_THAT(log.CallsOf(kMpa), ElementsAre("GetQuillonControl"));
    EXPECT_EQ(ProgressLabel(), QStringLiteral("Progress: 50.00%"));
    EXPECT_EQ(ProgressBar()->value(), 50);
    EXPECT_THAT(Lines(), ElementsAre(Line("1", kTs, "", "Info", "Validation started.")));
    EXPECT_EQ(ButtonStates(), "10111");
    EXPECT_TRUE(window->close());
}

TEST_F(ValidationWindowTest, ItemsAfterTheEndAreShown) {
    OpenVariant("items_after_done");
    Button("btnStartValidation")->click();
    ASSERT_EQ(Lines().size(), 5u);
    EXPECT_EQ(Lines().back(), Line("5", kMpa, "2", "Warning", "Reported after the end."));
    EXPECT_EQ(Counter("edWarnings"), QStringLiteral("2"));
    EXPECT_EQ(ProgressLabel(), QStringLiteral("Progress: 100.00%...Done."));
}

TEST_F(ValidationWindowTest, AModuleWithoutResetRuns) {
    OpenVariant("no_reset");
    Button("btnStartValidation")->click();
    EXPECT_EQ(Lines().size(), 4u);
    EXPECT_THAT(log.CallsOf(kMpa), Not(Contains("Reset")));
}

TEST_F(ValidationWindowTest, AModuleThatCannotStartGivesItsFileBack) {
    OpenVariant("start_fails");
    platform::DebugLineCapture capture;
    Button("btnStartValidation")->click();
    EXPECT_THAT(capture.Lines(),
                ElementsAre("Error in TValidationWindow.btnStartValidationClick - cannot start file validation."));
    EXPECT_THAT(log.CallsOf(kMpa), ElementsAre("GetQuillonControl", "Reset", "LoadMediaFile " + media,
                                               "StartFileValidation", "UnloadMediaFile"));
    EXPECT_TRUE(Lines().empty());
    EXPECT_EQ(ButtonStates(), "10111");
}

TEST_F(ValidationWindowTest, WithoutModulesOrFileNothingRuns) {
    testsupport::TempDir empty;
    platform::DebugLineCapture capture;
    Open(empty.Path().string() + "/", 0x40000, 0x40000);
    EXPECT_EQ(ModuleList()->count(), 0);
    EXPECT_EQ(window->windowTitle().toStdString(), "Media Validation - " + media + " []");
    Button("btnStartValidation")->click();
    EXPECT_THAT(asker.messages, ElementsAre(QStringLiteral("No validation modules selected.")));
    EXPECT_EQ(ButtonStates(), "10011");
    EXPECT_THAT(capture.Lines(), IsEmpty());
    // Nothing to tick: the caller's choice stays as it was.
    EXPECT_TRUE(window->close());
    EXPECT_EQ(window->LastUsedModulesMask(), 0x40000u);

    asker.messages.clear();
    std::filesystem::remove(media);
    OpenVariant("good");
    Button("btnStartValidation")->click();
    EXPECT_THAT(asker.messages, ElementsAre(QStringLiteral("No file loaded.")));
    EXPECT_THAT(log.CallsOf(kMpa), ElementsAre("GetQuillonControl"));
}

TEST_F(ValidationWindowTest, NoTickedModuleIsRefused) {
    OpenVariant("good", 0x40000, 0x1);
    ASSERT_EQ(ModuleList()->item(0)->checkState(), Qt::Unchecked);
    Button("btnStartValidation")->click();
    EXPECT_THAT(asker.messages, ElementsAre(QStringLiteral("No validation modules selected.")));
    EXPECT_TRUE(Lines().empty());
}

TEST_F(ValidationWindowTest, SettingsGoToTheSelectedModule) {
    OpenVariant("pair", kBoth);
    ModuleList()->setCurrentRow(1);
    Button("btnSettings")->click();
    EXPECT_THAT(log.CallsOf(kMpa), Contains("ShowSettings 0"));
    EXPECT_THAT(log.CallsOf(kTs), Not(Contains("ShowSettings 0")));
}

TEST_F(ValidationWindowTest, ClosingReleasesTheModules) {
    OpenVariant("good");
    Button("btnStartValidation")->click();
    Button("btnClose")->click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(window->Modules().empty());
    EXPECT_EQ(window->Reports().Count(), 0u);
    EXPECT_EQ(log.CallsOf(kMpa).back(), "released");
}

TEST_F(ValidationWindowTest, ShowValidationWindowHandsBackTheTicks) {
    std::uint32_t mask = 0x40000;
    QTimer::singleShot(0, [] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* shown = qobject_cast<TValidationWindow*>(top);
            if (shown == nullptr || !shown->isVisible()) continue;
            auto* modules = shown->findChild<QListWidget*>(QStringLiteral("clbValidationModules"));
            modules->item(0)->setCheckState(Qt::Checked);
            shown->close();
        }
    });
    EXPECT_TRUE(ShowValidationWindow(QString::fromStdString(validationtest::FakeModulesFolder("pair")),
                                     QString::fromStdString(media), kBoth, mask, &asker));
    EXPECT_EQ(mask, 0x40001u);
}

TEST_F(ValidationWindowTest, TheRealModuleValidatesAToneFile) {
    const std::string module = testsupport::BinPath("MPEGAudioValidator.qll");
    if (!std::filesystem::exists(module)) GTEST_SKIP() << "the MPEG Audio Validator module is not built";
    media = testsupport::FixturePath("tone_l2_44k_128k.mp2");
    Open(std::filesystem::path(module).parent_path().string() + "/");
    ASSERT_EQ(ModuleList()->count(), 1);
    Button("btnStartValidation")->click();
    ASSERT_FALSE(Lines().empty());
    EXPECT_EQ(Lines().back()[1], QString::fromLatin1(kMpa));
    EXPECT_EQ(Lines().back()[3], QStringLiteral("Info"));
    EXPECT_THAT(Lines().back()[4].toStdString(), HasSubstr("Frames: "));
    EXPECT_EQ(ProgressLabel(), QStringLiteral("Progress: 100.00%...Done."));
}

// About 6,700 changes of each of nine header fields: the list shows the
// module's first 5,000 of each and one line for the rest.
TEST_F(ValidationWindowTest, TheRealModuleShowsAHostileStreamWithinItsBound) {
    const std::string module = testsupport::BinPath("MPEGAudioValidator.qll");
    if (!std::filesystem::exists(module)) GTEST_SKIP() << "the MPEG Audio Validator module is not built";
    const testsupport::TempDir dir;
    media = dir.Write("hostile.mp2", testsupport::AlternatingHeaderStream(1024 * 1024));
    Open(std::filesystem::path(module).parent_path().string() + "/");
    Button("btnStartValidation")->click();
    const std::vector<QStringList> lines = Lines();
    EXPECT_LE(lines.size(), 9u * 5001u + 10u);
    const auto bitrateLines = std::count_if(lines.begin(), lines.end(), [](const QStringList& line) {
        return line[4].contains(QStringLiteral("bitrate changes to"));
    });
    EXPECT_EQ(bitrateLines, 5000);
    EXPECT_THAT(lines.back()[4].toStdString(), HasSubstr("Frames: "));
    const auto sum = std::find_if(lines.begin(), lines.end(), [](const QStringList& line) {
        return line[4].endsWith(QStringLiteral(" more bitrate changes"));
    });
    ASSERT_NE(sum, lines.end());
    EXPECT_EQ((*sum)[3], QStringLiteral("Warning"));
}

}  // namespace
