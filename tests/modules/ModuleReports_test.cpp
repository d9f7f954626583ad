// End to end: the real "MPEGAudioValidator.qll" found in the program folder by
// the module host, run over the fixtures through its interfaces into the
// report list, and the report saved in all five formats.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tests/viewer/validation/reports/report_test_support.h"
#include "viewer/validation/ReportSaving.h"
#include "viewer/validation/ValidationCatalogue.h"
#include "viewer/validation/ValidationModule.h"
#include "viewer/validation/ValidationReports.h"

namespace {

using namespace validation;

std::string BinFolder() {
    const std::string module = testsupport::BinPath("MPEGAudioValidator.qll");
    return module.substr(0, module.size() - std::string("MPEGAudioValidator.qll").size());
}

// The window's call order on one module: reset, load, start, poll, stop, unload.
std::vector<TCustomReport> RunModule(const std::string& mediaFile) {
    TValidationReports reports;
    TValidationModuleList modules = LoadValidationModules(BinFolder(), kMpegAudioValidatorType, &reports);
    EXPECT_EQ(modules.size(), 1u);
    if (modules.size() != 1) return {};
    TValidationModule& module = *modules.front().second;
    EXPECT_EQ(module.Name(), "MPEG Audio Validator");
    IQuillonControl* control = module.Control();
    if (module.ResetInterface()) module.ResetInterface()->Reset();
    const std::u16string path(mediaFile.begin(), mediaFile.end());
    EXPECT_GE(control->LoadMediaFile(path.c_str()), 0);
    EXPECT_GE(control->StartFileValidation(), 0);
    double progress = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (progress < 100 - 0.01 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        control->GetProgress(&progress);
    }
    EXPECT_GE(progress, 100 - 0.01);
    EXPECT_GE(control->StopFileValidation(), 0);
    EXPECT_GE(control->UnloadMediaFile(), 0);
    return reports.Snapshot();
}

int CountOfType(const std::vector<TCustomReport>& items, std::int32_t type) {
    int count = 0;
    for (const TCustomReport& item : items) count += item.ReportType == type ? 1 : 0;
    return count;
}

TEST(ModuleReports, ACleanStreamGivesOnlyTheClosingSummary) {
    const std::vector<TCustomReport> items = RunModule(testsupport::FixturePath("tone_l2_44k_128k.mp2"));
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].Module, static_cast<std::int32_t>(kMpegAudioValidatorType));
    EXPECT_EQ(items[0].ReportType, kReportInfo);
    EXPECT_EQ(items[0].StreamID, -1);
    EXPECT_NE(items[0].ReportMessage.find("Layer II, 44100 Hz, 128 kbit/s"), std::string::npos)
        << items[0].ReportMessage;
}

TEST(ModuleReports, AFaultyStreamsItemsAreSavedInEveryFormat) {
    const std::string media = testsupport::FixturePath("validation/faulty_l2_48k.mp2");
    const std::vector<TCustomReport> items = RunModule(media);
    ASSERT_EQ(items.size(), 6u);
    EXPECT_EQ(CountOfType(items, kReportWarning), 4);  // junk twice, bitrate, frame size
    EXPECT_EQ(CountOfType(items, kReportInfo), 2);     // padding at 48 kHz, summary
    const std::string bitrate = "Frame 21 at offset 0x1F8A: bitrate changes to 256 kbit/s";
    EXPECT_EQ(items[1].ReportMessage, bitrate);

    testsupport::TempDir folder;
    for (const char* name : {"report.xml", "report.csv", "report.txt", "report.HTM", "report.pdf"}) {
        const std::string reportFile = folder.File(name);
        const ReportFormat format = ReportFormatForFileName(reportFile);
        ASSERT_EQ(SaveReportItems(format, media, reportFile, items), kOk) << name;
        const std::string text = format == ReportFormat::PDF ? reporttest::PdfText(reportFile)
                                                             : reporttest::ReadText(reportFile);
        if (format == ReportFormat::PDF && !reporttest::PdfToTextAvailable()) continue;
        EXPECT_NE(text.find("bitrate changes to 256 kbit/s"), std::string::npos) << name;
        EXPECT_NE(text.find("padded frame at 48000 Hz"), std::string::npos) << name;
        if (format != ReportFormat::CSV) {  // the CSV file has no heading
            EXPECT_NE(text.find(format == ReportFormat::PDF ? "faulty_l2_48k.mp2" : media), std::string::npos)
                << name;
        }
    }
    const std::string csv = reporttest::ReadText(folder.File("report.csv"));
    EXPECT_NE(csv.find("2,MPEG Audio Validator,,Warning," + bitrate + "\r\n"), std::string::npos);
    const std::string xml = reporttest::ReadText(folder.File("report.xml"));
    EXPECT_NE(xml.find("  <REPORT INDEX=\"5\">\r\n    <MODULE_ID>262144</MODULE_ID>"), std::string::npos);
    const std::string html = reporttest::ReadText(folder.File("report.HTM"));
    EXPECT_EQ(reporttest::Occurrences(html, "<TR id=\"box-table-c\">"), 4);
}

// When the program's folder is unknown nothing is loaded, though the module
// would be found by its bare name along this program's library path.
TEST(ModuleReports, AnUnknownProgramFolderLoadsNoModule) {
    TValidationReports reports;
    EXPECT_EQ(LoadValidationModules(BinFolder(), kMpegAudioValidatorType, &reports).size(), 1u);
    EXPECT_TRUE(LoadValidationModules("", kMpegAudioValidatorType, &reports).empty());
}

}  // namespace
