// Saving the report from the validation window: the format by extension, an
// existing file, and the failures the user is told about.

#include <QPushButton>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/viewer/validation/window/validation_window_fixture.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::StartsWith;

std::string FirstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

class ValidationSaveTest : public validationtest::ValidationWindowTest {
protected:
    void RunThenSaveAs(const std::string& name) {
        OpenVariant("good");
        Button("btnStartValidation")->click();
        ASSERT_EQ(window->Reports().Count(), 4u);
        target = dir.File(name);
        asker.saveAs = QString::fromStdString(target);
        Button("btnSaveReport")->click();
    }
    std::string target;
};

TEST_F(ValidationSaveTest, TheExtensionChoosesTheFormat) {
    RunThenSaveAs("report.HTM");
    EXPECT_EQ(FirstLine(target), "<HTML>");
    EXPECT_EQ(asker.proposed.toStdString(), dir.File("tone.html"));
    EXPECT_EQ(asker.filters, QStringList({"HTMLl File (*.html) (*.html)", "PDFl File (*.pdf) (*.pdf)",
                                          "XML File (*.xml) (*.xml)", "CSV File (*.csv) (*.csv)",
                                          "Text File (*.txt) (*.txt)", "All Files (*.*) (*.*)"}));
    EXPECT_EQ(asker.defaultSuffix, QStringLiteral("xml"));
    EXPECT_THAT(asker.opened, ElementsAre(QString::fromStdString(target)));
    EXPECT_THAT(asker.messages, IsEmpty());

    asker.saveAs = QString::fromStdString(dir.File("report.log"));
    Button("btnSaveReport")->click();
    EXPECT_THAT(FirstLine(dir.File("report.log")), StartsWith("//////////"));
    EXPECT_THAT(asker.questions, IsEmpty());
}

TEST_F(ValidationSaveTest, AnExistingFileIsReplacedOnlyOnYes) {
    const std::string existing = dir.Write("report.xml", {'o', 'l', 'd'});
    OpenVariant("good");
    Button("btnStartValidation")->click();
    asker.saveAs = QString::fromStdString(existing);
    asker.answers = {false};
    Button("btnSaveReport")->click();
    EXPECT_THAT(asker.questions, ElementsAre(QStringLiteral("Report not saved. Do you want to save it?")));
    EXPECT_EQ(FirstLine(existing), "old");
    EXPECT_THAT(asker.opened, IsEmpty());

    asker.answers = {true};
    Button("btnSaveReport")->click();
    EXPECT_EQ(asker.questions.size(), 2u);
    EXPECT_THAT(FirstLine(existing), StartsWith("<?xml"));
    EXPECT_THAT(asker.opened, ElementsAre(QString::fromStdString(existing)));
}

TEST_F(ValidationSaveTest, FailuresAreShown) {
    OpenVariant("good");
    window->btnSaveReportClick();  // before any run
    EXPECT_THAT(asker.messages, ElementsAre(QStringLiteral("Report list is empty.")));

    Button("btnStartValidation")->click();
    asker.messages.clear();
    asker.saveAs.clear();  // cancelled
    Button("btnSaveReport")->click();
    EXPECT_THAT(asker.messages, IsEmpty());

    // A folder in the way cannot be deleted.
    std::filesystem::create_directories(dir.Path() / "taken.csv" / "inside");
    asker.saveAs = QString::fromStdString(dir.File("taken.csv"));
    asker.answers = {true};
    Button("btnSaveReport")->click();
    EXPECT_THAT(asker.messages, ElementsAre(QStringLiteral("Cannot delete destination file.")));

    asker.messages.clear();
    asker.saveAs = QString::fromStdString(dir.File("missing/report.txt"));
    Button("btnSaveReport")->click();
    EXPECT_THAT(asker.messages, ElementsAre(QStringLiteral("Error saving report.")));
    EXPECT_THAT(asker.opened, IsEmpty());
}

}  // namespace
