// TValidationModule and a window's module list over the fake modules: every
// step of binding a module, what a failure leaves behind, and the call order
// of a run.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/debug_output.h"
#include "platform/utf16_text.h"
#include "tests/support/temp_dir.h"
#include "tests/viewer/validation/window/fake_module_test_support.h"
#include "viewer/validation/ValidationCatalogue.h"
#include "viewer/validation/ValidationModule.h"
#include "viewer/validation/ValidationReports.h"

namespace {

using namespace validation;
using validationtest::FakeModuleLog;
using validationtest::FakeModulesFolder;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kMpa = "MPEG Audio Validator";
constexpr const char* kTs = "MPEG-2 Transport Stream Validator";

std::string ModulePath(std::string_view variant) { return FakeModulesFolder(variant) + "MPEGAudioValidator.qll"; }

struct FailingModule {
    const char* variant;
    const char* line;
    std::vector<std::string> calls;  // what the module saw: any control handed out comes back
};

const std::vector<std::string> kNoCall;
const std::vector<std::string> kRefused = {"GetQuillonControl"};
const std::vector<std::string> kReleased = {"GetQuillonControl", "released"};

class FailingModuleTest : public ::testing::TestWithParam<FailingModule> {};

TEST_P(FailingModuleTest, IsRefusedWithItsLineAndLeftOut) {
    const FailingModule& param = GetParam();
    FakeModuleLog log;
    TValidationReports reports;
    platform::DebugLineCapture capture;
    {
        TValidationModule module(&reports);
        EXPECT_FALSE(module.LoadValidationModule(ModulePath(param.variant)));
        EXPECT_FALSE(module.IsLoaded());
        EXPECT_EQ(module.Control(), nullptr);
        EXPECT_EQ(module.ResetInterface(), nullptr);
        EXPECT_THAT(capture.Lines(), ElementsAre(param.line));
        EXPECT_EQ(log.CallsOf(kMpa), param.calls);
    }
    capture.Clear();
    EXPECT_THAT(LoadValidationModules(FakeModulesFolder(param.variant), kMpegAudioValidatorType, &reports),
                IsEmpty());
    EXPECT_THAT(capture.Lines(), ElementsAre(param.line));
}

INSTANTIATE_TEST_SUITE_P(
    EachBrokenStep, FailingModuleTest,
    ::testing::Values(
        FailingModule{"no_export", "Error in TValidationModule.LoadValidationModule - error retrieving GetQuillonControl function.", kNoCall},
        FailingModule{"export_fails", "Error in TValidationModule.LoadValidationModule - error retrieving QuillonControl interface.", kRefused},
        FailingModule{"no_name", "Error in TValidationModule.LoadValidationModule - error retrieving Quillon module name.", kReleased},
        FailingModule{"no_report_set", "Error in TValidationModule.LoadValidationModule - error retrieving QuillonReportSet interface.", kReleased},
        FailingModule{"set_report_fails", "Error in TValidationModule.LoadValidationModule - error calling QuillonReportSet.SetQuillonReport.", kReleased}),
    [](const auto& info) { return std::string(info.param.variant); });

TEST(ValidationModule, AFileThatIsNoLibraryIsRefused) {
    testsupport::TempDir dir;
    const std::string path = dir.Write("MPEGAudioValidator.qll", {'n', 'o', 't', ' ', 'E', 'L', 'F'});
    TValidationReports reports;
    platform::DebugLineCapture capture;
    TValidationModule module(&reports);
    EXPECT_FALSE(module.LoadValidationModule(path));
    EXPECT_THAT(capture.Lines(),
                ElementsAre("Error in TValidationModule.LoadValidationModule - error loading validation module library."));
}

TEST(ValidationModule, AMissingFileIsRefusedSilently) {
    testsupport::TempDir dir;
    TValidationReports reports;
    platform::DebugLineCapture capture;
    TValidationModule module(&reports);
    EXPECT_FALSE(module.LoadValidationModule(dir.File("MPEGAudioValidator.qll")));
    EXPECT_THAT(LoadValidationModules(dir.Path().string() + "/", 0xFFFFFFFF, &reports), IsEmpty());
    EXPECT_THAT(capture.Lines(), IsEmpty());
}

TEST(ValidationModule, LoadsBindsAndUnloadsAGoodModule) {
    FakeModuleLog log;
    TValidationReports reports;
    platform::DebugLineCapture capture;
    TValidationModule module(&reports);
    ASSERT_TRUE(module.LoadValidationModule(ModulePath("good")));
    EXPECT_TRUE(module.IsLoaded());
    EXPECT_EQ(module.Name(), kMpa);
    EXPECT_EQ(module.FileName(), ModulePath("good"));
    ASSERT_NE(module.Control(), nullptr);
    EXPECT_NE(module.ResetInterface(), nullptr);

    EXPECT_TRUE(module.UnloadValidationModule());
    EXPECT_FALSE(module.IsLoaded());
    EXPECT_TRUE(module.Name().empty());
    EXPECT_TRUE(module.FileName().empty());
    EXPECT_EQ(module.Control(), nullptr);
    EXPECT_EQ(module.ResetInterface(), nullptr);
    // Every reference the host took came back before the library went.
    EXPECT_THAT(log.CallsOf(kMpa), ElementsAre("GetQuillonControl", "released"));
    EXPECT_THAT(capture.Lines(), IsEmpty());
}

TEST(ValidationModule, AModuleWithoutResetLoadsAndRuns) {
    FakeModuleLog log;
    testsupport::TempDir dir;
    const std::string media = dir.Write("a.mp2", {0xFF, 0xFD});
    TValidationReports reports;
    TValidationModule module(&reports);
    ASSERT_TRUE(module.LoadValidationModule(ModulePath("no_reset")));
    EXPECT_EQ(module.ResetInterface(), nullptr);

    IQuillonControl* control = module.Control();
    const std::u16string name = platform::Utf8ToUtf16(media);
    ASSERT_EQ(control->LoadMediaFile(name.c_str()), kOk);
    ASSERT_EQ(control->StartFileValidation(), kOk);
    double progress = 0.0;
    for (int turn = 0; turn < 5000 && progress < 100.0; ++turn) {
        control->GetProgress(&progress);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(progress, 100.0);
    EXPECT_EQ(control->StopFileValidation(), kOk);
    EXPECT_EQ(control->UnloadMediaFile(), kOk);
    ASSERT_EQ(reports.Count(), 4u);
    EXPECT_EQ(reports.At(0).ReportMessage, "Validation started.");
    EXPECT_EQ(reports.At(2).ReportType, kReportError);
    EXPECT_EQ(reports.At(2).StreamID, 1);
    EXPECT_EQ(reports.At(3).Module, static_cast<std::int32_t>(kMpegAudioValidatorType));
}

TEST(ValidationModuleList, FollowsTheCatalogueOrderWithinTheSet) {
    FakeModuleLog log;
    TValidationReports reports;
    const std::string folder = FakeModulesFolder("pair");
    const TValidationModuleList both = LoadValidationModules(folder, 0x1 | kMpegAudioValidatorType, &reports);
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0].first, folder + "TransportStreamValidator.qll");
    EXPECT_EQ(both[0].second->Name(), kTs);
    EXPECT_EQ(both[1].first, folder + "MPEGAudioValidator.qll");
    EXPECT_EQ(both[1].second->Name(), kMpa);

    const TValidationModuleList one = LoadValidationModules(folder, kMpegAudioValidatorType, &reports);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].second->Name(), kMpa);
    EXPECT_THAT(LoadValidationModules(folder, 0x2 | 0x4, &reports), IsEmpty());
    EXPECT_THAT(log.Calls(), Contains("MPEG Audio Validator: GetQuillonControl").Times(2));
}

}  // namespace
