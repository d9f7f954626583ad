// Refusals and failures of all five exporters: the exact debug lines, false,
// and existing files left untouched.

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/debug_output.h"
#include "tests/support/temp_dir.h"
#include "tests/viewer/validation/reports/report_test_support.h"

namespace {

using reporttest::MakeExporter;

std::string Line(const std::string& prefix, const std::string& format, const std::string& rest) {
    return prefix + "Error in TQlReportExport" + format + "." + rest;
}

class ExporterRefusal : public ::testing::TestWithParam<std::string> {
protected:
    testsupport::TempDir temp_;
};

TEST_P(ExporterRefusal, OpeningTwiceIsRefused) {
    const auto exporter = MakeExporter(GetParam());
    ASSERT_TRUE(exporter->OpenReportExport(reporttest::kMediaFile, temp_.File("first")));
    platform::DebugLineCapture capture;
    EXPECT_FALSE(exporter->OpenReportExport(reporttest::kMediaFile, temp_.File("second")));
    EXPECT_EQ(capture.Lines(), std::vector<std::string>{Line("dbg: ", GetParam(),
                                                             "OpenReportExport - report already opened.")});
    EXPECT_FALSE(std::filesystem::exists(temp_.File("second")));
    EXPECT_TRUE(exporter->IsOpen());
    EXPECT_TRUE(exporter->CloseReportExport());
}

TEST_P(ExporterRefusal, AddingAndClosingWithoutAnOpenReportAreRefused) {
    const auto exporter = MakeExporter(GetParam());
    platform::DebugLineCapture capture;
    EXPECT_FALSE(exporter->AddReport(0x40000, 1, "message", 0));
    EXPECT_FALSE(exporter->CloseReportExport());
    // Only the PDF exporter's close refusal goes without the "dbg: " prefix.
    const std::string closePrefix = GetParam() == "PDF" ? "" : "dbg: ";
    EXPECT_EQ(capture.Lines(),
              (std::vector<std::string>{Line("dbg: ", GetParam(), "AddReport - report not opened."),
                                        Line(closePrefix, GetParam(), "CloseReportExport - report not opened.")}));
}

TEST_P(ExporterRefusal, AnExistingFileIsRefusedAndLeftUntouched) {
    const std::vector<std::uint8_t> bytes = {'k', 'e', 'e', 'p', '\r', '\n', 0, 0xFF};
    const std::string path = temp_.Write("existing.report", bytes);
    const auto exporter = MakeExporter(GetParam());
    platform::DebugLineCapture capture;
    EXPECT_FALSE(exporter->OpenReportExport(reporttest::kMediaFile, path));
    EXPECT_FALSE(exporter->IsOpen());
    EXPECT_EQ(capture.Lines(), std::vector<std::string>{Line("dbg: ", GetParam(), "OpenReportExport - " +
                                                                                       GetParam() +
                                                                                       " file already exists.")});
    EXPECT_EQ(testsupport::ReadFileBytes(path), bytes);
}

TEST_P(ExporterRefusal, AFileThatCannotBeCreatedIsAnUnexpectedFailure) {
    const auto exporter = MakeExporter(GetParam());
    platform::DebugLineCapture capture;
    EXPECT_FALSE(exporter->OpenReportExport(reporttest::kMediaFile, temp_.File("missing/folder/report")));
    EXPECT_FALSE(exporter->IsOpen());
    // The plain text exporter answers this with false alone.
    const std::vector<std::string> expected =
        GetParam() == "TXT" ? std::vector<std::string>{}
                            : std::vector<std::string>{Line("", GetParam(), "OpenReportExport call...")};
    EXPECT_EQ(capture.Lines(), expected);
}

// The process may write no more than a few bytes to any file while it lives;
// writes past that fail (EFBIG) instead of raising SIGXFSZ.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limited = previous_;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
};

TEST_P(ExporterRefusal, AFullDiskIsNotReportedAsSuccess) {
    const auto exporter = MakeExporter(GetParam());
    bool allAdded = true;
    bool closed = true;
    {
        const FileSizeLimit limit(64);
        ASSERT_TRUE(exporter->OpenReportExport(reporttest::kMediaFile, temp_.File("full")));
        platform::DebugLineCapture capture;
        for (int i = 0; i < 400; ++i) allAdded = exporter->AddReport(0x40000, 1, std::string(100, 'x'), i) && allAdded;
        closed = exporter->CloseReportExport();
        EXPECT_TRUE(capture.Contains(Line("", GetParam(), "CloseReportExport call...")));
        // Text formats notice the failure as soon as a buffer cannot be written.
        if (GetParam() != "PDF") {
            EXPECT_FALSE(allAdded);
            EXPECT_TRUE(capture.Contains(Line("", GetParam(), "AddReport call...")));
        }
    }
    EXPECT_FALSE(closed);
    EXPECT_FALSE(exporter->IsOpen());
    EXPECT_EQ(exporter->ReportIndex(), 0);
}

// With replacing allowed, the old report goes only when the new one is
// complete: a full disk leaves it as it was, and nothing else behind.
TEST_P(ExporterRefusal, AnExistingReportIsReplacedOnlyByACompleteOne) {
    const std::string path = temp_.Write("report", {'o', 'l', 'd'});
    const auto exporter = MakeExporter(GetParam());
    exporter->SetReplaceExisting(true);
    {
        const FileSizeLimit limit(64);
        ASSERT_TRUE(exporter->OpenReportExport(reporttest::kMediaFile, path));
        for (int i = 0; i < 400; ++i) (void)exporter->AddReport(0x40000, 1, std::string(100, 'x'), i);
        EXPECT_FALSE(exporter->CloseReportExport());
    }
    EXPECT_EQ(testsupport::ReadFileBytes(path), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp_.Path()), {}), 1);

    ASSERT_TRUE(exporter->OpenReportExport(reporttest::kMediaFile, path));
    ASSERT_TRUE(exporter->AddReport(0x40000, 1, "complete", 0));
    ASSERT_TRUE(exporter->CloseReportExport());
    const std::string text = reporttest::ReadText(path);
    EXPECT_NE(GetParam() == "PDF" ? text.find("%PDF") : text.find("complete"), std::string::npos);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp_.Path()), {}), 1);
}

INSTANTIATE_TEST_SUITE_P(Formats, ExporterRefusal, ::testing::Values("XML", "CSV", "TXT", "HTML", "PDF"));

}  // namespace
