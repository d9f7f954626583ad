// The page report engine: the page counter text, rows filling pages, a row
// taller than a page split, bookmarks on their page, header texts at both
// margins on one row.

#include <gtest/gtest.h>

#include <QBuffer>

#include <regex>

#include "tests/support/temp_dir.h"
#include "tests/viewer/validation/reports/report_test_support.h"
#include "viewer/validation/PageReport.h"
#include "viewer/validation/PageReportModel.h"

namespace {

using validation::TPageReport;
using validation::pagereport::PageCounterText;

TEST(PageCounter, FillsPageNumberThenPageCount) {
    EXPECT_EQ(PageCounterText(QStringLiteral("Page %d/%d"), 3, 12), QStringLiteral("Page 3/12"));
    EXPECT_EQ(PageCounterText(QStringLiteral("%d of %d %d"), 1, 2), QStringLiteral("1 of 2 %d"));
    EXPECT_EQ(PageCounterText(QStringLiteral("%s %x"), 1, 2), QStringLiteral("%s %x"));
}

class PageReportLayout : public ::testing::Test {
protected:
    void SetUp() override {
        report_.BeginDoc();
        report_.SetFontSize(10);
        report_.AddHeaderText(QStringLiteral("Left"));
        report_.AddHeaderText(QStringLiteral("Right"), TPageReport::TMarginPosition::Right);
        report_.AddHeaderSingleLine();
        report_.AddFooterPageCounter(QStringLiteral("Page %d/%d"), TPageReport::TMarginPosition::Right);
        report_.SetColumns({{10, TPageReport::TTextAlign::Left}, {60, TPageReport::TTextAlign::Left}});
        report_.SetColumnHeaders({QStringLiteral("No"), QStringLiteral("Text")}, true, QColor(Qt::gray));
    }

    TPageReport report_;
};

TEST_F(PageReportLayout, RowsFillPagesAndBookmarksKeepTheirPage) {
    report_.AddBookMark(QStringLiteral("start"));
    for (int i = 0; i < 300; ++i) report_.DrawTextAcrossCols({QString::number(i), QStringLiteral("row text")});
    report_.AddBookMark(QStringLiteral("end"));
    report_.EndDoc();
    const int pages = report_.PageCount();
    EXPECT_GT(pages, 2);
    const auto bookMarks = report_.BookMarks();
    ASSERT_EQ(bookMarks.size(), 2u);
    EXPECT_EQ(bookMarks[0].name, QStringLiteral("start"));
    EXPECT_EQ(bookMarks[0].page, 1);
    EXPECT_EQ(bookMarks[1].page, pages);
}

TEST_F(PageReportLayout, RowTallerThanAPageIsSplitAcrossPages) {
    QString longText;
    for (int i = 0; i < 3000; ++i) longText += QStringLiteral("lengthy%1 ").arg(i);
    report_.DrawTextAcrossCols({QStringLiteral("1"), longText});
    report_.EndDoc();
    EXPECT_GT(report_.PageCount(), 1);

    QBuffer buffer;
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
    ASSERT_TRUE(report_.ExportToPDF(buffer));
    EXPECT_TRUE(buffer.data().startsWith("%PDF"));
}

TEST_F(PageReportLayout, ExportToAFileNameWritesThePdf) {
    if (!reporttest::PdfToTextAvailable()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    testsupport::TempDir temp;
    report_.SetTextAlign(TPageReport::TTextAlign::Right);
    report_.DrawText(QStringLiteral("flush right"));
    report_.DrawTextAcrossCols({QStringLiteral("7"), QStringLiteral("seventh row")});
    const std::string path = temp.File("engine.pdf");
    ASSERT_TRUE(report_.ExportToPDF(QString::fromStdString(path)));
    const std::string text = reporttest::PdfText(path);
    // Texts at the two margin positions share one header row.
    EXPECT_TRUE(std::regex_search(text, std::regex("Left +Right"))) << text;
    EXPECT_NE(text.find("flush right"), std::string::npos) << text;
    EXPECT_NE(text.find("seventh row"), std::string::npos);
    EXPECT_NE(text.find("Page 1/1"), std::string::npos);
}

}  // namespace
