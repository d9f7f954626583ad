// The real "MPEGAudioValidator.qll" through its one export and its
// interfaces, as the validation window drives it.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <memory>

#include "modules/mpeg_audio_validator/EventMessages.h"
#include "platform/utf16_text.h"
#include "tests/modules/module_test_support.h"
#include "tests/support/temp_dir.h"
#include "viewer/validation/ValidationCatalogue.h"

namespace moduletest {
namespace {

using testsupport::TempDir;
using validation::IQuillonControl;
using validation::kFail;
using validation::kOk;

struct ReleaseControl {
    void operator()(IQuillonControl* control) const { control->Release(); }
};
using ControlPtr = std::unique_ptr<IQuillonControl, ReleaseControl>;

class ModuleTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(module_.Loaded()) << module_.Library().LastError();
        control_.reset(module_.Create());
        ASSERT_NE(control_, nullptr);
        validation::IQuillonReportSet* reportSet = nullptr;
        ASSERT_EQ(control_->QueryInterface(validation::IID_IQuillonReportSet, reinterpret_cast<void**>(&reportSet)),
                  kOk);
        ASSERT_EQ(reportSet->SetQuillonReport(&sink_), kOk);
        reportSet->Release();
    }

    validation::HResult Load(const std::string& path) {
        return control_->LoadMediaFile(platform::Utf8ToUtf16(path).c_str());
    }

    LoadedModule module_;
    RecordingReport sink_;  // outlives the module object
    ControlPtr control_;
};

TEST(ModuleFile, ExportsOnlyGetQuillonControl) {
    const std::string command =
        "nm -D --defined-only '" + testsupport::BinPath("MPEGAudioValidator.qll") + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string symbols;
    char line[512];
    while (std::fgets(line, sizeof line, pipe) != nullptr) symbols += line;
    if (pclose(pipe) != 0) GTEST_SKIP() << "nm is not available";
    EXPECT_NE(symbols.find(" T GetQuillonControl\n"), std::string::npos) << symbols;
    EXPECT_EQ(std::count(symbols.begin(), symbols.end(), '\n'), 1) << symbols;
}

TEST_F(ModuleTest, NameTypeAndInterfaces) {
    const char16_t* name = nullptr;
    ASSERT_EQ(control_->GetModuleName(&name), kOk);
    EXPECT_EQ(platform::Utf16ToUtf8(name), "MPEG Audio Validator");
    std::uint32_t type = 0;
    ASSERT_EQ(control_->GetModuleType(&type), kOk);
    EXPECT_EQ(type, validation::kMpegAudioValidatorType);

    for (const validation::TGuid& iid : {validation::IID_IUnknown, validation::IID_IQuillonControl,
                                         validation::IID_IQuillonReportSet, validation::IID_IQuillonReset}) {
        validation::IQuillonUnknown* unknown = nullptr;
        ASSERT_EQ(control_->QueryInterface(iid, reinterpret_cast<void**>(&unknown)), kOk);
        ASSERT_NE(unknown, nullptr);
        EXPECT_EQ(unknown->Release(), 1u);  // the reference QueryInterface added
    }
    void* none = &type;
    EXPECT_EQ(control_->QueryInterface(validation::IID_IQuillonReport, &none), validation::kNoInterface);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(control_->AddRef(), 2u);
    EXPECT_EQ(control_->Release(), 1u);
    // The sink is held once by the module, released when the module goes.
    EXPECT_EQ(sink_.References(), 2u);
    control_.reset();
    EXPECT_EQ(sink_.References(), 1u);
}

TEST_F(ModuleTest, ARunReportsFromItsOwnThreadWhatValidateFileReports) {
    const std::string path = FaultyFixture();
    ASSERT_EQ(Load(path), kOk);
    ASSERT_EQ(control_->StartFileValidation(), kOk);
    std::vector<double> progress;
    ASSERT_TRUE(WaitForCompletion(*control_, &progress));
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    std::int32_t running = 1;
    ASSERT_EQ(control_->IsValidationRunning(&running), kOk);
    EXPECT_EQ(running, 0);
    EXPECT_EQ(control_->StopFileValidation(), kOk);
    EXPECT_EQ(control_->UnloadMediaFile(), kOk);

    EXPECT_EQ(sink_.AsItems(), Validate(path).items);
    for (const ReportedItem& item : sink_.Reported()) {
        EXPECT_EQ(item.module, 0x40000);
        EXPECT_EQ(item.streamId, -1);
        EXPECT_NE(item.thread, std::this_thread::get_id());
    }
}

TEST_F(ModuleTest, ARunThatEndsOnAnErrorStillReaches100) {
    TempDir dir;
    ASSERT_EQ(Load(dir.Write("empty.mp2", {})), kOk);
    ASSERT_EQ(control_->StartFileValidation(), kOk);
    ASSERT_TRUE(WaitForCompletion(*control_));
    EXPECT_EQ(sink_.AsItems(), (Items{{3, mpeg_audio_validation::kNotMpegAudioMessage}}));
    // Reset clears the finished run's progress.
    validation::IQuillonReset* reset = nullptr;
    ASSERT_EQ(control_->QueryInterface(validation::IID_IQuillonReset, reinterpret_cast<void**>(&reset)), kOk);
    EXPECT_EQ(reset->Reset(), kOk);
    reset->Release();
    double percent = -1.0;
    control_->GetProgress(&percent);
    EXPECT_EQ(percent, 0.0);
}

TEST_F(ModuleTest, AStopMidRunEndsItBeforeTheEnd) {
    TempDir dir;
    ASSERT_EQ(Load(dir.Write("long.mp2", RepeatFixture("tone_l2_44k_128k.mp2", 8 << 20))), kOk);
    ASSERT_EQ(control_->StartFileValidation(), kOk);
    EXPECT_EQ(control_->StartFileValidation(), kFail);  // one run at a time
    EXPECT_EQ(Load(testsupport::FixturePath("tone_l2_44k_128k.mp2")), kFail);
    double percent = 0.0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (percent == 0.0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        control_->GetProgress(&percent);
    }
    ASSERT_GT(percent, 0.0);  // the first chunk is done
    EXPECT_EQ(control_->StopFileValidation(), kOk);
    EXPECT_EQ(control_->StopFileValidation(), kOk);
    control_->GetProgress(&percent);
    EXPECT_LT(percent, 100.0);
    std::int32_t running = 1;
    control_->IsValidationRunning(&running);
    EXPECT_EQ(running, 0);
    for (const ValidationItem& item : sink_.AsItems()) EXPECT_EQ(item.message.find("Stream:"), std::string::npos);
}

TEST_F(ModuleTest, StartNeedsALoadedFileThatCanBeOpened) {
    EXPECT_EQ(control_->StopFileValidation(), kOk);  // nothing started
    EXPECT_EQ(control_->StartFileValidation(), kFail);
    TempDir dir;
    EXPECT_LT(Load(dir.File("missing.mp2")), 0);
    EXPECT_EQ(control_->StartFileValidation(), kFail);
    EXPECT_EQ(control_->LoadMediaFile(nullptr), validation::kInvalidPointer);
    ASSERT_EQ(Load(testsupport::FixturePath("tone_l2_44k_128k.mp2")), kOk);
    EXPECT_EQ(control_->UnloadMediaFile(), kOk);
    EXPECT_EQ(control_->StartFileValidation(), kFail);
    EXPECT_TRUE(sink_.Reported().empty());
}

TEST_F(ModuleTest, DestroyingARunningModuleStopsItsRun) {
    TempDir dir;
    ASSERT_EQ(Load(dir.Write("long.mp2", RepeatFixture("tone_l2_44k_128k.mp2", 8 << 20))), kOk);
    ASSERT_EQ(control_->StartFileValidation(), kOk);
    control_.reset();
    EXPECT_EQ(sink_.References(), 1u);
    const std::size_t reported = sink_.Reported().size();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(sink_.Reported().size(), reported);  // no thread left to report
}

TEST_F(ModuleTest, SettingsWithoutAnApplicationFail) { EXPECT_EQ(control_->ShowSettings(0), kFail); }

}  // namespace
}  // namespace moduletest
