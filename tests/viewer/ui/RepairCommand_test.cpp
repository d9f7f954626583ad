// "Save Repaired Copy": the dialog writes the clean stream with its options
// and shows the report, a failure writes nothing and says why, and the main
// window's command runs over the open file and opens the repaired copy.

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/mpa_builder.h"
#include "tests/viewer/ui/HexEditFixture_test.h"
#include "tests/viewer/ui/form_fixture.h"
#include "viewer/ui/RepairDialog.h"

namespace {

using hexedittest::ScriptedHexEditAsker;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

struct Streams {
    testsupport::Bytes clean;
    testsupport::Bytes damaged;  // the clean frames with junk between them
};

Streams MakeStreams() {
    testsupport::MpaStreamBuilder clean, damaged;
    const testsupport::MpaFrameSpec frameShape;
    clean.Frames(frameShape, 30, 0x22);
    damaged.Frames(frameShape, 10, 0x22).Junk(77, 0x33).Frames(frameShape, 20, 0x22);
    return {clean.Data(), damaged.Data()};
}

class RepairCommandTest : public formtest::FormTest {
protected:
    // Starts the repair and waits for its end; true when it succeeded.
    static bool RunRepair(TRepairDialog& dialog) {
        QSignalSpy finished(&dialog, &TRepairDialog::RepairFinished);
        dialog.RepairButton()->click();
        if (!finished.wait(20000)) return false;
        return finished.front().front().toBool();
    }
    QAction* SaveRepairedItem() const { return form->menuBar()->actions()[0]->menu()->actions().value(2); }

    Streams streams = MakeStreams();
};

TEST_F(RepairCommandTest, TheDialogWritesTheCleanStreamAndShowsTheReport) {
    const QString input = WriteFile("take.mp2", streams.damaged);
    TRepairDialog dialog(input);
    EXPECT_EQ(dialog.OutputEdit()->text(), QString::fromStdString(dir.File("take-repaired.mp2")));
    EXPECT_TRUE(dialog.UpdateVbrBox()->isChecked());
    EXPECT_FALSE(dialog.OpenButton()->isEnabled());
    ASSERT_TRUE(RunRepair(dialog)) << dialog.ReportView()->toPlainText().toStdString();
    EXPECT_EQ(testsupport::ReadFileBytes(dir.File("take-repaired.mp2")), streams.clean);
    EXPECT_EQ(testsupport::ReadFileBytes(input.toStdString()), streams.damaged);
    const std::string report = dialog.ReportView()->toPlainText().toStdString();
    EXPECT_THAT(report, HasSubstr("junk-dropped at input 3840 (77 bytes), output 3840"));
    EXPECT_THAT(report, HasSubstr("re-check of take-repaired.mp2: 30 audio frames, no problem found"));
    EXPECT_EQ(dialog.Progress()->value(), dialog.Progress()->maximum());
    ASSERT_TRUE(dialog.OpenButton()->isEnabled());
    dialog.OpenButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.FileToOpen(), dialog.OutputEdit()->text());
}

TEST_F(RepairCommandTest, TheCheckboxesAreTheOptions) {
    const QString input = WriteFile("take.mp2", streams.damaged);
    TRepairDialog dialog(input);
    dialog.KeepJunkBox()->setChecked(true);
    dialog.OutputEdit()->setText(QString::fromStdString(dir.File("kept.mp2")));
    ASSERT_TRUE(RunRepair(dialog));
    EXPECT_EQ(testsupport::ReadFileBytes(dir.File("kept.mp2")), streams.damaged);
    EXPECT_THAT(dialog.ReportView()->toPlainText().toStdString(), HasSubstr("junk-kept at input 3840"));
}

TEST_F(RepairCommandTest, AFailureWritesNothingAndSaysWhy) {
    const QString input = WriteFile("take.mp2", streams.damaged);
    const QString existing = WriteFile("taken.mp2", {1, 2, 3});
    for (const QString& output : {input, existing}) {
        TRepairDialog dialog(input);
        dialog.OutputEdit()->setText(output);
        EXPECT_FALSE(RunRepair(dialog));
        EXPECT_FALSE(dialog.OpenButton()->isEnabled());
        EXPECT_FALSE(dialog.ReportView()->toPlainText().isEmpty());
    }
    EXPECT_EQ(testsupport::ReadFileBytes(input.toStdString()), streams.damaged);
    EXPECT_EQ(testsupport::ReadFileBytes(existing.toStdString()), (testsupport::Bytes{1, 2, 3}));
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path())) ++entries;
    EXPECT_EQ(entries, 2u);
}

TEST_F(RepairCommandTest, TheMenuItemRepairsTheOpenFileAndOpensTheCopy) {
    ShowForm();
    ScriptedHexEditAsker hexAsker;
    form->SetHexEditAsker(&hexAsker);
    std::vector<QString> asked;
    form->SetRepairRunner([&](QWidget*, const QString& fileName) {
        asked.push_back(fileName);
        TRepairDialog dialog(fileName);
        return RunRepair(dialog) ? dialog.OutputEdit()->text() : QString();
    });
    QAction* item = SaveRepairedItem();
    ASSERT_NE(item, nullptr);
    item->trigger();
    EXPECT_THAT(hexAsker.boxes, ElementsAre(ScriptedHexEditAsker::Box{ScriptedHexEditAsker::Kind::Error,
                                                                      QStringLiteral("There is no file loaded.")}));
    EXPECT_TRUE(asked.empty());

    const QString input = WriteFile("take.mp2", streams.damaged);
    ASSERT_TRUE(form->LoadFile(input, false));
    item->trigger();
    ASSERT_THAT(asked, ElementsAre(input));
    EXPECT_EQ(form->Navigator().FileName(), dir.File("take-repaired.mp2"));
}

}  // namespace
