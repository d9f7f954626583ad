// The C view of the validation module interfaces reaches the same slots as
// the C++ classes: a C caller drives C++ objects and each slot answers with a
// value of its own, so a slot out of place shows as a wrong value.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "abi/QuillonControlInterface.h"
#include "tests/abi/quillon_c_caller.h"

namespace {

using validation::HResult;
using validation::TGuid;

class SlotAnsweringControl final : public validation::IQuillonControl, public validation::IQuillonReportSet {
public:
    std::vector<std::string> calls;
    std::u16string loaded;
    std::int32_t settings_parent = 0;

    HResult TAMBERLY_STDCALL QueryInterface(const TGuid& iid, void** object) override {
        calls.push_back("QueryInterface");
        if (validation::SameGuid(iid, validation::IID_IQuillonControl)) {
            *object = static_cast<validation::IQuillonControl*>(this);
            return validation::kOk;
        }
        *object = nullptr;
        return validation::kNoInterface;
    }
    std::uint32_t TAMBERLY_STDCALL AddRef() override { return note("AddRef", 11u); }
    std::uint32_t TAMBERLY_STDCALL Release() override { return note("Release", 12u); }
    HResult TAMBERLY_STDCALL GetModuleName(const char16_t** name) override {
        *name = u"MPEG Audio Validator";
        return note("GetModuleName", validation::kOk);
    }
    HResult TAMBERLY_STDCALL LoadMediaFile(const char16_t* fileName) override {
        loaded = fileName;
        return note("LoadMediaFile", 101);
    }
    HResult TAMBERLY_STDCALL UnloadMediaFile() override { return note("UnloadMediaFile", 102); }
    HResult TAMBERLY_STDCALL GetModuleType(std::uint32_t* moduleType) override {
        *moduleType = validation::kMpegAudioValidatorType;
        return note("GetModuleType", validation::kOk);
    }
    HResult TAMBERLY_STDCALL IsValidationRunning(std::int32_t* running) override {
        *running = 1;
        return note("IsValidationRunning", validation::kOk);
    }
    HResult TAMBERLY_STDCALL StartFileValidation() override { return note("StartFileValidation", 103); }
    HResult TAMBERLY_STDCALL StopFileValidation() override { return note("StopFileValidation", 104); }
    HResult TAMBERLY_STDCALL GetProgress(double* percent) override {
        *percent = 42.5;
        return note("GetProgress", validation::kOk);
    }
    HResult TAMBERLY_STDCALL ShowSettings(std::int32_t parent) override {
        settings_parent = parent;
        return note("ShowSettings", 105);
    }
    HResult TAMBERLY_STDCALL SetQuillonReport(validation::IQuillonReport*) override { return validation::kOk; }

private:
    template <typename T>
    T note(const char* slot, T value) {
        calls.emplace_back(slot);
        return value;
    }
};

class RecordingReport final : public validation::IQuillonReport {
public:
    std::int32_t module = 0, type = 0, stream = 0;
    std::u16string message;

    HResult TAMBERLY_STDCALL QueryInterface(const TGuid&, void**) override { return validation::kNoInterface; }
    std::uint32_t TAMBERLY_STDCALL AddRef() override { return 1; }
    std::uint32_t TAMBERLY_STDCALL Release() override { return 1; }
    HResult TAMBERLY_STDCALL Report(std::int32_t Module, std::int32_t ReportType, const char16_t* ReportMessage,
                                    std::int32_t StreamID) override {
        module = Module;
        type = ReportType;
        message = ReportMessage;
        stream = StreamID;
        return 77;
    }
};

TEST(QuillonCView, ReachesEveryControlSlotOfACppModule) {
    SlotAnsweringControl control;
    const QuillonCallerResult result = CallControlFromC(static_cast<validation::IQuillonControl*>(&control));

    EXPECT_EQ(result.query_control, validation::kOk);
    EXPECT_EQ(result.query_report_set, validation::kNoInterface);
    EXPECT_EQ(result.add_ref, 11u);
    EXPECT_EQ(result.release, 12u);
    EXPECT_EQ(result.first_name_unit, u'M');
    EXPECT_EQ(control.loaded, u"MPEG Audio Validator");
    EXPECT_EQ(result.load, 101);
    EXPECT_EQ(result.module_type, QL_MODULE_MPEG_AUDIO_VALIDATOR);
    EXPECT_EQ(result.running, 1);
    EXPECT_EQ(result.start, 103);
    EXPECT_DOUBLE_EQ(result.progress, 42.5);
    EXPECT_EQ(result.stop, 104);
    EXPECT_EQ(result.settings, 105);
    EXPECT_EQ(control.settings_parent, 7);
    EXPECT_EQ(result.unload, 102);
    const std::vector<std::string> order = {
        "QueryInterface",     "QueryInterface",      "AddRef",      "GetModuleName",      "LoadMediaFile",
        "GetModuleType",      "IsValidationRunning", "StartFileValidation", "GetProgress",
        "StopFileValidation", "ShowSettings",        "UnloadMediaFile",     "Release"};
    EXPECT_EQ(control.calls, order);
}

TEST(QuillonCView, ReportsAnItemThroughTheHostsReportSink) {
    RecordingReport report;
    const std::u16string text = u"Frame 5: junk";
    const auto* units = reinterpret_cast<const std::uint16_t*>(text.c_str());
    EXPECT_EQ(ReportFromC(static_cast<validation::IQuillonReport*>(&report), QL_MODULE_MPEG_AUDIO_VALIDATOR,
                          QL_REPORT_WARNING, units, -1),
              77);
    EXPECT_EQ(report.module, static_cast<std::int32_t>(validation::kMpegAudioValidatorType));
    EXPECT_EQ(report.type, validation::kReportWarning);
    EXPECT_EQ(report.message, text);
    EXPECT_EQ(report.stream, -1);
}

}  // namespace
