#include "viewer/validation/ValidationReports.h"

#include <exception>

#include "platform/debug_output.h"
#include "platform/utf16_text.h"

namespace validation {

HResult TValidationReports::QueryInterface(const TGuid& iid, void** object) {
    if (object == nullptr) return kInvalidPointer;
    if (SameGuid(iid, IID_IUnknown) || SameGuid(iid, IID_IQuillonReport)) {
        *object = static_cast<IQuillonReport*>(this);
        AddRef();
        return kOk;
    }
    *object = nullptr;
    return kNoInterface;
}

std::uint32_t TValidationReports::AddRef() { return ++references_; }

std::uint32_t TValidationReports::Release() { return --references_; }

HResult TValidationReports::Report(std::int32_t Module, std::int32_t ReportType, const char16_t* ReportMessage,
                                   std::int32_t StreamID) {
    try {
        TCustomReport item{Module, ReportType, platform::Utf16ToUtf8(ReportMessage), StreamID};
        const std::lock_guard lock(FReportsCriticalSection);
        FReports.push_back(std::move(item));
        return kOk;
    } catch (const std::exception&) {
        platform::OutputDebugLine("Error in TValidationWindow.Report call...");
        return kFail;
    }
}

std::size_t TValidationReports::Count() const {
    const std::lock_guard lock(FReportsCriticalSection);
    return FReports.size();
}

TCustomReport TValidationReports::At(std::size_t index) const {
    const std::lock_guard lock(FReportsCriticalSection);
    return FReports.at(index);
}

std::vector<TCustomReport> TValidationReports::Snapshot() const {
    const std::lock_guard lock(FReportsCriticalSection);
    return FReports;
}

void TValidationReports::Clear() {
    const std::lock_guard lock(FReportsCriticalSection);
    FReports.clear();
}

}  // namespace validation
