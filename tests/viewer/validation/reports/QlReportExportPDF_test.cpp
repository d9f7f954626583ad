// The PDF report read back with pdftotext: heading, rows, page counter on
// every page, wrapped messages.

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "tests/support/temp_dir.h"
#include "tests/viewer/validation/reports/report_test_support.h"

namespace {

using reporttest::Occurrences;

class PdfReport : public ::testing::Test {
protected:
    void SetUp() override {
        if (!reporttest::PdfToTextAvailable()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    }

    // Writes the items and answers the document's text.
    std::string Export(const std::vector<validation::TCustomReport>& items) {
        const auto exporter = reporttest::MakeExporter("PDF");
        EXPECT_TRUE(exporter->OpenReportExport(reporttest::kMediaFile, path_));
        for (const auto& item : items)
            EXPECT_TRUE(exporter->AddReport(item.Module, item.ReportType, item.ReportMessage, item.StreamID));
        EXPECT_TRUE(exporter->CloseReportExport());
        EXPECT_EQ(reporttest::ReadText(path_).substr(0, 4), "%PDF");
        return reporttest::PdfText(path_);
    }

    testsupport::TempDir temp_;
    const std::string path_ = temp_.File("report.pdf");
};

TEST_F(PdfReport, ShowsHeadingColumnsAndRows) {
    const std::string text = Export(reporttest::SampleItems());
    EXPECT_NE(text.find("Orvanne Media Solutions - Media Validation Report"), std::string::npos) << text;
    EXPECT_NE(text.find("https://www.orvanne-media.example"), std::string::npos);
    EXPECT_NE(text.find(std::string("File : ") + reporttest::kMediaFile), std::string::npos);
    EXPECT_TRUE(std::regex_search(text, std::regex(R"(\d\d:\d\d:\d\d \d\d\.\d\d\.\d{4})")));
    EXPECT_TRUE(std::regex_search(text, std::regex(R"(#\s+Module\s+Stream\s+Type\s+Message)")));
    EXPECT_TRUE(std::regex_search(text, std::regex(R"(1\s+MPEG Audio Validator\s+Info\s+Stream starts)")));
    EXPECT_TRUE(std::regex_search(text, std::regex(R"(3\s+MPEG Audio Validator\s+3\s+Error\s+CRC mismatch)")));
    EXPECT_NE(text.find("<b>markup</b>"), std::string::npos);
    EXPECT_NE(text.find("Page 1/1"), std::string::npos);
}

TEST_F(PdfReport, LongReportCountsEveryPageAndRepeatsTheColumnHeaders) {
    std::vector<validation::TCustomReport> items;
    for (int i = 0; i < 200; ++i) items.push_back({0x40000, 1 + i % 3, "Frame " + std::to_string(i) + " checked", 0});
    const std::string text = Export(items);

    std::smatch first;
    ASSERT_TRUE(std::regex_search(text, first, std::regex(R"(Page 1/(\d+))"))) << text;
    const int pages = std::stoi(first[1]);
    ASSERT_GT(pages, 1);
    for (int page = 1; page <= pages; ++page)
        EXPECT_EQ(Occurrences(text, "Page " + std::to_string(page) + "/" + std::to_string(pages)), 1) << page;
    EXPECT_EQ(Occurrences(text, "Page " + std::to_string(pages + 1) + "/"), 0);
    const std::regex columnHeaders(R"(#\s+Module\s+Stream)");
    EXPECT_EQ(std::distance(std::sregex_iterator(text.begin(), text.end(), columnHeaders), std::sregex_iterator()),
              pages);
    EXPECT_TRUE(std::regex_search(text, std::regex(R"(200\s+MPEG Audio Validator\s+0\s+Warning\s+Frame 199)")));
    for (int i = 0; i < 200; ++i) EXPECT_EQ(Occurrences(text, "Frame " + std::to_string(i) + " checked"), 1) << i;
}

TEST_F(PdfReport, LongMessageWrapsInsideItsColumn) {
    std::string message;
    for (int i = 0; i < 40; ++i) message += "word" + std::to_string(i) + " ";
    message += "finalword";
    const std::string text = Export({{0x40000, 3, message, 1}});
    EXPECT_NE(text.find("word0 "), std::string::npos) << text;
    EXPECT_NE(text.find("finalword"), std::string::npos) << text;
    // The first and the last word end up on different lines.
    const auto firstLine = text.substr(text.find("word0 "));
    EXPECT_NE(firstLine.find('\n'), std::string::npos);
    EXPECT_LT(firstLine.find('\n'), firstLine.find("finalword"));
}

TEST(PdfReportFile, EmptyReportIsACompletePdf) {
    testsupport::TempDir temp;
    const std::string path = temp.File("empty.pdf");
    const auto exporter = reporttest::MakeExporter("PDF");
    ASSERT_TRUE(exporter->OpenReportExport(reporttest::kMediaFile, path));
    ASSERT_TRUE(exporter->CloseReportExport());
    const std::string bytes = reporttest::ReadText(path);
    EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
    EXPECT_NE(bytes.find("%%EOF"), std::string::npos);
}

}  // namespace
