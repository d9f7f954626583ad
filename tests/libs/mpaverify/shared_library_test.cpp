// The shared library as a validation module loads it: twelve exports and
// nothing else, the same results as the code the other tests drive.

#include <dlfcn.h>

#include <gtest/gtest.h>

#include "libs/mpaverify/mpaverify.h"
#include "tests/libs/mpaverify/validator_driver.h"
#include "tests/support/temp_dir.h"

namespace mpaverify_test {
namespace {

class SharedLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        handle_ = dlopen(testsupport::BinPath("libmpaverify.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle_, nullptr) << dlerror();
    }
    void TearDown() override {
        if (handle_ != nullptr) dlclose(handle_);
    }
    template <typename Function>
    Function* Bind(const char* name) {
        return reinterpret_cast<Function*>(dlsym(handle_, name));
    }
    void* handle_ = nullptr;
};

TEST_F(SharedLibrary, ExportsTheTwelveFunctionsOnly) {
    for (const char* name : {"InitializeValidator", "UninitializeValidator", "AddData", "GetInitialParameters",
                             "GetDecodedFramesCount", "GetCorruptedFramesCount", "GetCorruptedFramesReport",
                             "ResetValidator", "GetValidationParameterState", "SetValidationParameterState",
                             "GetParsedFramesCount", "GetTotalFramesWithErrorsCount"})
        EXPECT_NE(dlsym(handle_, name), nullptr) << name;
    for (const char* name : {"_ZN9mpaverify24find_next_mpa_start_codeEPKhi", "_ZN8platform16OutputDebugLineAEPKc",
                             "open_MPEGin_Audio_stream_ex"}) {
        void* symbol = dlsym(handle_, name);
        // open_MPEGin_Audio_stream_ex resolves through the decoder library.
        if (std::string(name) == "open_MPEGin_Audio_stream_ex") continue;
        EXPECT_EQ(symbol, nullptr) << name;
    }
}

TEST_F(SharedLibrary, GivesTheSameResultsAsTheCore) {
    const Bytes data = testsupport::ReadFileBytes(testsupport::FixturePath("tone_l2_48k_192k_crc.mp2"));
    Bytes stream(7, 0x00);
    stream.insert(stream.end(), data.begin(), data.end());
    const Outcome expected = Validate(stream, 1000);

    auto initialize = Bind<decltype(InitializeValidator)>("InitializeValidator");
    auto uninitialize = Bind<decltype(UninitializeValidator)>("UninitializeValidator");
    auto add = Bind<decltype(AddData)>("AddData");
    auto count = Bind<decltype(GetCorruptedFramesCount)>("GetCorruptedFramesCount");
    auto report = Bind<decltype(GetCorruptedFramesReport)>("GetCorruptedFramesReport");
    auto decoded = Bind<decltype(GetDecodedFramesCount)>("GetDecodedFramesCount");
    ASSERT_TRUE(initialize && uninitialize && add && count && report && decoded);
    ASSERT_EQ(initialize(), 0);
    ASSERT_EQ(add(stream.data(), static_cast<int32_t>(stream.size()), 0), 0);
    ASSERT_EQ(add(nullptr, 0, 1), 0);
    Outcome got;
    int32_t n = 0;
    ASSERT_EQ(count(&n), 0);
    for (int32_t i = 0; i < n; ++i) {
        Event e;
        double unused = 1;
        ASSERT_EQ(report(static_cast<uint32_t>(i), &e.frame, &e.kind, &e.value, &unused, &e.offset), 0);
        got.events.push_back(e);
    }
    ASSERT_EQ(decoded(&got.decoded), 0);
    EXPECT_EQ(got.events, expected.events);
    EXPECT_EQ(got.decoded, expected.decoded);
    EXPECT_EQ(uninitialize(), 0);
    EXPECT_EQ(add(stream.data(), 1, 0), -2);
}

}  // namespace
}  // namespace mpaverify_test
