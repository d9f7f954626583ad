// The four line-by-line report formats against golden files, byte for byte
// (CR LF line ends included).

#include <gtest/gtest.h>

#include <string>

#include "tests/support/temp_dir.h"
#include "tests/viewer/validation/reports/report_test_support.h"
#include "viewer/validation/QlReportExport.h"

namespace {

using reporttest::Golden;
using reporttest::MakeExporter;
using reporttest::ReadText;

class TextReportFormat : public ::testing::TestWithParam<std::string> {
protected:
    [[nodiscard]] std::string Extension() const {
        std::string extension = GetParam();
        for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return extension;
    }

    testsupport::TempDir temp_;
};

TEST_P(TextReportFormat, ThreeItemsMatchTheGoldenFile) {
    const auto exporter = MakeExporter(GetParam());
    const std::string path = temp_.File("report." + Extension());
    ASSERT_TRUE(exporter->OpenReportExport(reporttest::kMediaFile, path));
    for (const auto& item : reporttest::SampleItems()) {
        EXPECT_TRUE(exporter->AddReport(item.Module, item.ReportType, item.ReportMessage, item.StreamID));
    }
    EXPECT_EQ(exporter->ReportIndex(), 3);
    ASSERT_TRUE(exporter->CloseReportExport());
    EXPECT_FALSE(exporter->IsOpen());
    EXPECT_EQ(exporter->ReportIndex(), 0);
    EXPECT_EQ(ReadText(path), reporttest::ThreeItemsGolden(Extension()));
}

TEST_P(TextReportFormat, EmptyReportHasHeadingAndTrailerOnly) {
    const auto exporter = MakeExporter(GetParam());
    const std::string path = temp_.File("empty." + Extension());
    ASSERT_TRUE(exporter->OpenReportExport(reporttest::kMediaFile, path));
    ASSERT_TRUE(exporter->CloseReportExport());
    EXPECT_EQ(ReadText(path), Golden("empty." + Extension()));
}

TEST_P(TextReportFormat, DestroyingAnOpenExporterClosesTheReport) {
    const std::string path = temp_.File("destroyed." + Extension());
    {
        const auto exporter = MakeExporter(GetParam());
        ASSERT_TRUE(exporter->OpenReportExport(reporttest::kMediaFile, path));
        for (const auto& item : reporttest::SampleItems())
            ASSERT_TRUE(exporter->AddReport(item.Module, item.ReportType, item.ReportMessage, item.StreamID));
    }
    EXPECT_EQ(ReadText(path), reporttest::ThreeItemsGolden(Extension()));
}

TEST_P(TextReportFormat, ReopensForASecondReportAfterClosing) {
    const auto exporter = MakeExporter(GetParam());
    ASSERT_TRUE(exporter->OpenReportExport("/first.mp2", temp_.File("first." + Extension())));
    ASSERT_TRUE(exporter->AddReport(0x40000, 1, "first", 0));
    ASSERT_TRUE(exporter->CloseReportExport());
    const std::string second = temp_.File("second." + Extension());
    ASSERT_TRUE(exporter->OpenReportExport(reporttest::kMediaFile, second));
    ASSERT_TRUE(exporter->CloseReportExport());
    EXPECT_EQ(ReadText(second), Golden("empty." + Extension()));
}

INSTANTIATE_TEST_SUITE_P(Formats, TextReportFormat, ::testing::Values("XML", "CSV", "TXT", "HTML"));

TEST(TextReportGolden, NonAsciiTextIsWrittenAsUtf8AndPaddedByCharacters) {
    testsupport::TempDir temp;
    const std::string path = temp.File("umlaut.txt");
    const auto exporter = MakeExporter("TXT");
    ASSERT_TRUE(exporter->OpenReportExport("/m\xC3\xBCsik.mp2", path));
    ASSERT_TRUE(exporter->AddReport(0x40000, 1, "Gr\xC3\xB6\xC3\x9F" "e", 12));
    ASSERT_TRUE(exporter->CloseReportExport());
    const std::string text = ReadText(path);
    EXPECT_NE(text.find("FileName: /m\xC3\xBCsik.mp2\r\n"), std::string::npos);
    // "Größe" is five characters: 45 blanks make the column 50 wide.
    EXPECT_NE(text.find("|Gr\xC3\xB6\xC3\x9F" "e" + std::string(45, ' ') + "\r\n"), std::string::npos);
}

}  // namespace
