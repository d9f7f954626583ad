#pragma once
// The report list of a validation run: the host's IQuillonReport. Modules
// append from any thread; the window reads and clears it. Window-free.

#include <atomic>
#include <cstddef>
#include <mutex>
#include <vector>

#include "viewer/validation/CustomReport.h"
#include "abi/QuillonControlInterface.h"

namespace validation {

class TValidationReports final : public IQuillonReport {
public:
    // IQuillonUnknown: answers IUnknown and IQuillonReport. The list is owned
    // by its creator; the reference count only tracks holders.
    HResult TAMBERLY_STDCALL QueryInterface(const TGuid& iid, void** object) override;
    std::uint32_t TAMBERLY_STDCALL AddRef() override;
    std::uint32_t TAMBERLY_STDCALL Release() override;

    // Appends a TCustomReport under the lock; kOk, or kFail with
    // "Error in TValidationWindow.Report call..." when that fails.
    HResult TAMBERLY_STDCALL Report(std::int32_t Module, std::int32_t ReportType, const char16_t* ReportMessage,
                                    std::int32_t StreamID) override;

    [[nodiscard]] std::size_t Count() const;
    [[nodiscard]] TCustomReport At(std::size_t index) const;
    [[nodiscard]] std::vector<TCustomReport> Snapshot() const;
    void Clear();

private:
    mutable std::mutex FReportsCriticalSection;
    std::vector<TCustomReport> FReports;
    std::atomic<std::uint32_t> references_{1};
};

}  // namespace validation
