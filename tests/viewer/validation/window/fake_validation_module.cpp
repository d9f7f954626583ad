// A validation module for the host and window tests. It validates nothing:
// on its own thread it reports a fixed set of items while its progress runs
// to 100. Compile-time switches make it break one step of the contract each:
//   FAKE_NO_EXPORT, FAKE_EXPORT_FAILS, FAKE_NO_NAME, FAKE_NO_REPORT_SET,
//   FAKE_SET_REPORT_FAILS, FAKE_NO_RESET, FAKE_START_FAILS, FAKE_NEVER_DONE (progress stays at
//   50 until stopped), FAKE_ITEMS_AFTER_DONE (one more item after 100, before
//   StopFileValidation returns).
// Every call the host makes is appended to the file named by the environment
// variable TAMBERLY_FAKE_MODULE_LOG as "<module name>: <call>".

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

#include "abi/calling_convention.h"
#include "platform/utf16_text.h"
#include "abi/QuillonControlInterface.h"

#ifndef FAKE_MODULE_TYPE
#define FAKE_MODULE_TYPE 0x40000
#endif
#ifndef FAKE_MODULE_NAME
#define FAKE_MODULE_NAME u"MPEG Audio Validator"
#endif

namespace {

using namespace validation;

void Log(const std::string& call) {
    static std::mutex mutex;
    const char* path = std::getenv("TAMBERLY_FAKE_MODULE_LOG");
    if (path == nullptr) return;
    const std::lock_guard lock(mutex);
    if (FILE* file = std::fopen(path, "a")) {
        std::fprintf(file, "%s: %s\n", platform::Utf16ToUtf8(FAKE_MODULE_NAME).c_str(), call.c_str());
        std::fclose(file);
    }
}

class FakeModule final : public IQuillonControl, public IQuillonReset, public IQuillonReportSet {
public:
    ~FakeModule() { JoinWorker(); }

    HResult TAMBERLY_STDCALL QueryInterface(const TGuid& iid, void** object) override {
        *object = nullptr;
        if (SameGuid(iid, IID_IUnknown) || SameGuid(iid, IID_IQuillonControl))
            *object = static_cast<IQuillonControl*>(this);
#ifndef FAKE_NO_RESET
        else if (SameGuid(iid, IID_IQuillonReset))
            *object = static_cast<IQuillonReset*>(this);
#endif
#ifndef FAKE_NO_REPORT_SET
        else if (SameGuid(iid, IID_IQuillonReportSet))
            *object = static_cast<IQuillonReportSet*>(this);
#endif
        if (*object == nullptr) return kNoInterface;
        AddRef();
        return kOk;
    }
    std::uint32_t TAMBERLY_STDCALL AddRef() override { return ++references_; }
    std::uint32_t TAMBERLY_STDCALL Release() override {
        const std::uint32_t left = --references_;
        if (left == 0) {
            Log("released");
            JoinWorker();
            if (report_ != nullptr) report_->Release();
            report_ = nullptr;
        }
        return left;
    }

    // IQuillonControl
    HResult TAMBERLY_STDCALL GetModuleName(const char16_t** name) override {
#ifdef FAKE_NO_NAME
        (void)name;
        return kFail;
#else
        *name = FAKE_MODULE_NAME;
        return kOk;
#endif
    }
    HResult TAMBERLY_STDCALL LoadMediaFile(const char16_t* fileName) override {
        const std::string name = platform::Utf16ToUtf8(fileName);
        Log("LoadMediaFile " + name);
        FILE* file = std::fopen(name.c_str(), "rb");
        if (file == nullptr) return kFail;
        std::fclose(file);
        return kOk;
    }
    HResult TAMBERLY_STDCALL UnloadMediaFile() override {
        Log("UnloadMediaFile");
        return kOk;
    }
    HResult TAMBERLY_STDCALL GetModuleType(std::uint32_t* moduleType) override {
        *moduleType = FAKE_MODULE_TYPE;
        return kOk;
    }
    HResult TAMBERLY_STDCALL IsValidationRunning(std::int32_t* running) override {
        *running = worker_.joinable() ? 1 : 0;
        return kOk;
    }
    HResult TAMBERLY_STDCALL StartFileValidation() override {
        Log("StartFileValidation");
#ifdef FAKE_START_FAILS
        return kFail;
#endif
        JoinWorker();
        stop_ = false;
        progress_ = 0.0;
        worker_ = std::thread([this] { Validate(); });
        return kOk;
    }
    HResult TAMBERLY_STDCALL StopFileValidation() override {
        Log("StopFileValidation");
        JoinWorker();
        return kOk;
    }
    HResult TAMBERLY_STDCALL GetProgress(double* percent) override {
        *percent = progress_;
        return kOk;
    }
    HResult TAMBERLY_STDCALL ShowSettings(std::int32_t parent) override {
        Log("ShowSettings " + std::to_string(parent));
        return kOk;
    }

    // IQuillonReset
    HResult TAMBERLY_STDCALL Reset() override {
        Log("Reset");
        return kOk;
    }

    // IQuillonReportSet
    HResult TAMBERLY_STDCALL SetQuillonReport(IQuillonReport* report) override {
#ifdef FAKE_SET_REPORT_FAILS
        (void)report;
        return kFail;
#else
        if (report != nullptr) report->AddRef();
        if (report_ != nullptr) report_->Release();
        report_ = report;
        return kOk;
#endif
    }

private:
    void Send(std::int32_t type, const char16_t* message, std::int32_t stream) {
        if (report_ != nullptr) report_->Report(FAKE_MODULE_TYPE, type, message, stream);
    }

    bool WaitForStop(std::chrono::milliseconds time) {
        std::unique_lock lock(mutex_);
        return stopped_.wait_for(lock, time, [this] { return stop_.load(); });
    }

    void Validate() {
        Send(1, u"Validation started.", -1);
#ifdef FAKE_NEVER_DONE
        progress_ = 50.0;
        while (!WaitForStop(std::chrono::milliseconds(5))) {
        }
#else
        constexpr int kSteps = 20;
        for (int step = 1; step < kSteps; ++step) {
            if (WaitForStop(std::chrono::milliseconds(1))) return;
            if (step == 5) Send(2, u"Padding bit set needlessly.", 0);
            if (step == 10) Send(3, u"Frame 3 cannot be decoded.", 1);
            progress_ = 100.0 * step / kSteps;
        }
        Send(1, u"Validation finished.", -1);
        progress_ = 100.0;
#ifdef FAKE_ITEMS_AFTER_DONE
        WaitForStop(std::chrono::hours(1));
        Send(2, u"Reported after the end.", 2);
#endif
#endif
    }

    void JoinWorker() {
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        stopped_.notify_all();
        if (worker_.joinable()) worker_.join();
    }

    std::atomic<std::uint32_t> references_{0};
    std::atomic<double> progress_{0.0};
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::condition_variable stopped_;
    std::thread worker_;
    IQuillonReport* report_ = nullptr;
};

FakeModule module;

}  // namespace

#ifndef FAKE_NO_EXPORT
extern "C" TAMBERLY_EXPORT HResult TAMBERLY_STDCALL GetQuillonControl(IQuillonControl** control) {
    Log("GetQuillonControl");
#ifdef FAKE_EXPORT_FAILS
    *control = nullptr;
    return kFail;
#else
    return module.QueryInterface(IID_IQuillonControl, reinterpret_cast<void**>(control));
#endif
}
#else
extern "C" TAMBERLY_EXPORT int SomethingElse() { return 0; }
#endif
