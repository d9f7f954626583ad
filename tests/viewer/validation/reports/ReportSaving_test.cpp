// Choosing the report format by extension, and saving a list of items.

#include <gtest/gtest.h>

#include "platform/debug_output.h"
#include "tests/support/temp_dir.h"
#include "tests/viewer/validation/reports/report_test_support.h"
#include "viewer/validation/ReportSaving.h"

namespace {

using validation::ReportFormat;
using validation::ReportFormatForFileName;

TEST(ReportFormatChoice, ByExtensionIgnoringCase) {
    EXPECT_EQ(ReportFormatForFileName("/r/report.HTM"), ReportFormat::HTML);
    EXPECT_EQ(ReportFormatForFileName("report.html"), ReportFormat::HTML);
    EXPECT_EQ(ReportFormatForFileName("report.Csv"), ReportFormat::CSV);
    EXPECT_EQ(ReportFormatForFileName("report.XML"), ReportFormat::XML);
    EXPECT_EQ(ReportFormatForFileName("report.pdf"), ReportFormat::PDF);
    EXPECT_EQ(ReportFormatForFileName("report.log"), ReportFormat::TXT);
    EXPECT_EQ(ReportFormatForFileName("report"), ReportFormat::TXT);
    EXPECT_EQ(ReportFormatForFileName("/folder.csv/report"), ReportFormat::TXT);
    EXPECT_STREQ(validation::ReportFormatName(ReportFormat::HTML), "HTML");
    EXPECT_STREQ(validation::ReportFormatName(ReportFormat::TXT), "TXT");
}

TEST(SaveReportItems, WritesEveryItemInOrder) {
    testsupport::TempDir temp;
    for (const auto& [format, extension] : {std::pair{ReportFormat::CSV, "csv"}, std::pair{ReportFormat::TXT, "txt"}}) {
        const std::string path = temp.File(std::string("saved.") + extension);
        EXPECT_EQ(validation::SaveReportItems(format, reporttest::kMediaFile, path, reporttest::SampleItems()),
                  validation::kOk);
        EXPECT_EQ(reporttest::ReadText(path), reporttest::ThreeItemsGolden(extension));
    }
    const std::string pdf = temp.File("saved.pdf");
    EXPECT_EQ(validation::SaveReportItems(ReportFormat::PDF, reporttest::kMediaFile, pdf, reporttest::SampleItems()),
              validation::kOk);
    EXPECT_EQ(reporttest::ReadText(pdf).substr(0, 4), "%PDF");
}

TEST(SaveReportItems, ExistingReportFileFailsAndStaysUntouched) {
    testsupport::TempDir temp;
    const std::vector<std::uint8_t> bytes = {'o', 'l', 'd'};
    const std::string path = temp.Write("saved.xml", bytes);
    platform::DebugLineCapture capture;
    EXPECT_EQ(validation::SaveReportItems(ReportFormat::XML, reporttest::kMediaFile, path, reporttest::SampleItems()),
              validation::kFail);
    EXPECT_EQ(testsupport::ReadFileBytes(path), bytes);
    EXPECT_EQ(capture.Lines(),
              std::vector<std::string>{"dbg: Error in TQlReportExportXML.OpenReportExport - XML file already exists."});
}

}  // namespace
