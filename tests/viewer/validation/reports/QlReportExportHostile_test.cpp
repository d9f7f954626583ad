// Hostile file names and messages through every report format, each read
// back the way its consumer reads it: the XML with a real parser, the CSV
// with an RFC 4180 reader, the HTML looked through for live tags.

#include <QString>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tests/viewer/validation/reports/report_test_support.h"
#include "viewer/validation/QlReportExportEscaping.h"
#include "viewer/validation/ReportSaving.h"

namespace {

using reporttest::ReadText;

// A markup tag, an ampersand, quotes and a byte that is not UTF-8.
const std::string kHostileFile = "/clips/<img src=x onerror=alert(1)>&'\"\xFF.mp2";
const std::string kHostileFileAsUtf8 = "/clips/<img src=x onerror=alert(1)>&'\"\xEF\xBF\xBD.mp2";

std::vector<validation::TCustomReport> HostileItems() {
    return {{0x40000, 2, "padded frame at 48000 Hz, where padding is never needed", 0},
            {0x40000, 3, "=HYPERLINK(\"http://example.invalid\",\"open\")", 1},
            {0x40000, 1, "<script>alert('x')</script> & \"quoted\"\r\nsecond line", -1},
            {0x40000, 1, "-1 dB, +2 dB @ start", 2}};
}

std::string Save(const testsupport::TempDir& temp, validation::ReportFormat format, const std::string& extension) {
    const std::string path = temp.File("hostile." + extension);
    EXPECT_EQ(validation::SaveReportItems(format, kHostileFile, path, HostileItems()), validation::kOk);
    return ReadText(path);
}

// Records of an RFC 4180 text: fields split at commas outside quotes, records
// at CR LF outside quotes, doubled quotes inside quotes standing for one.
std::vector<std::vector<std::string>> ReadCsv(const std::string& text) {
    std::vector<std::vector<std::string>> records(1);
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            records.back().push_back(field);
            field.clear();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            records.back().push_back(field);
            field.clear();
            records.emplace_back();
            ++i;
        } else {
            field += c;
        }
    }
    if (records.back().empty() && field.empty()) records.pop_back();
    return records;
}

bool IsValidUtf8(const std::string& text) { return validation::ValidUtf8(text) == text; }

std::string WithoutCarriageReturns(std::string text) {
    std::erase(text, '\r');
    return text;
}

TEST(HostileReport, CsvReadsBackAsFiveColumnsWithFormulasNeutralised) {
    testsupport::TempDir temp;
    const auto records = ReadCsv(Save(temp, validation::ReportFormat::CSV, "csv"));
    const std::vector<validation::TCustomReport> items = HostileItems();
    ASSERT_EQ(records.size(), items.size() + 1);
    EXPECT_EQ(records[0], (std::vector<std::string>{"#", "Module", "Stream", "Type", "Message"}));
    for (std::size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(items[i].ReportMessage);
        ASSERT_EQ(records[i + 1].size(), 5u);
        EXPECT_EQ(records[i + 1][0], std::to_string(i + 1));
        EXPECT_EQ(records[i + 1][1], "MPEG Audio Validator");
    }
    EXPECT_EQ(records[1][4], items[0].ReportMessage);
    EXPECT_EQ(records[2][4], "'" + items[1].ReportMessage);
    EXPECT_EQ(records[3][4], items[2].ReportMessage);
    EXPECT_EQ(records[4][4], "'" + items[3].ReportMessage);
    EXPECT_EQ(records[3][2], "");
}

TEST(HostileReport, XmlIsWellFormedAndCarriesTheValues) {
    testsupport::TempDir temp;
    const std::string text = Save(temp, validation::ReportFormat::XML, "xml");
    ASSERT_TRUE(IsValidUtf8(text));
    QXmlStreamReader xml(QString::fromStdString(text));
    std::vector<std::string> fileNames;
    std::vector<std::string> messages;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == QStringLiteral("FILE_NAME")) fileNames.push_back(xml.readElementText().toStdString());
        if (xml.name() == QStringLiteral("REPORT_MESSAGE")) messages.push_back(xml.readElementText().toStdString());
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(fileNames, std::vector<std::string>{kHostileFileAsUtf8});
    ASSERT_EQ(messages.size(), HostileItems().size());
    for (std::size_t i = 0; i < messages.size(); ++i)
        EXPECT_EQ(WithoutCarriageReturns(messages[i]), WithoutCarriageReturns(HostileItems()[i].ReportMessage));
}

TEST(HostileReport, HtmlHoldsNoLiveTagFromTheValues) {
    testsupport::TempDir temp;
    const std::string text = Save(temp, validation::ReportFormat::HTML, "html");
    ASSERT_TRUE(IsValidUtf8(text));
    EXPECT_EQ(text.find("<img"), std::string::npos);
    EXPECT_EQ(text.find("<script"), std::string::npos);
    EXPECT_NE(text.find("File: /clips/&lt;img src=x onerror=alert(1)&gt;&amp;&#39;&quot;\xEF\xBF\xBD.mp2</span>"),
              std::string::npos);
    EXPECT_NE(text.find("<TD>&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt; &amp; &quot;quoted&quot;"),
              std::string::npos);
    // The page's own markup is untouched.
    // Banner, title, table head and footer rows beside the items.
    EXPECT_EQ(reporttest::Occurrences(text, "<TR"), static_cast<int>(HostileItems().size()) + 4);
}

TEST(HostileReport, TextAndPdfTakeTheNameAsValidUtf8) {
    testsupport::TempDir temp;
    const std::string text = Save(temp, validation::ReportFormat::TXT, "txt");
    EXPECT_TRUE(IsValidUtf8(text));
    EXPECT_NE(text.find("FileName: " + kHostileFileAsUtf8 + "\r\n"), std::string::npos);
    EXPECT_EQ(Save(temp, validation::ReportFormat::PDF, "pdf").substr(0, 4), "%PDF");
}

// Values without special characters pass unchanged, so ordinary reports
// keep their bytes.
TEST(ReportEscaping, OnlySpecialCharactersChange) {
    struct Case {
        std::string text;
        std::string markup;
        std::string csv;
    };
    const Case cases[] = {
        {"CRC mismatch in frame 42", "CRC mismatch in frame 42", "CRC mismatch in frame 42"},
        {"", "", ""},
        {"a&b<c>d\"e'f", "a&amp;b&lt;c&gt;d&quot;e&#39;f", "\"a&b<c>d\"\"e'f\""},
        {"x,y", "x,y", "\"x,y\""},
        {"=1+2", "=1+2", "'=1+2"},
        {"@SUM(A1)", "@SUM(A1)", "'@SUM(A1)"},
        {"-3,4", "-3,4", "\"'-3,4\""},
        {"a\r\nb", "a\r\nb", "\"a\r\nb\""},
        {"bell\x07", "bell\xEF\xBF\xBD", "bell\x07"},
        {"M\xC3\xBCller \xFF", "M\xC3\xBCller \xEF\xBF\xBD", "M\xC3\xBCller \xEF\xBF\xBD"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(validation::EscapedMarkup(c.text), c.markup);
        EXPECT_EQ(validation::CsvField(c.text), c.csv);
    }
}

}  // namespace
