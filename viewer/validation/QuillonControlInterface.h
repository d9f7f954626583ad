#pragma once
// The contract between the viewer and its validation modules: shared libraries
// (".qll") that export GetQuillonControl and talk through interfaces laid out
// like the platform's component object model (QueryInterface, AddRef and
// Release first, callee-cleans methods, 32-bit status codes, zero-terminated
// UTF-16 strings). The slot order of every interface is part of the ABI.

#include <cstddef>
#include <cstdint>

#include "platform/calling_convention.h"

namespace validation {

using HResult = std::int32_t;
inline constexpr HResult kOk = 0;
inline constexpr HResult kFail = static_cast<HResult>(0x80004005u);
inline constexpr HResult kNoInterface = static_cast<HResult>(0x80004002u);
inline constexpr HResult kInvalidPointer = static_cast<HResult>(0x80004003u);
inline constexpr HResult kNotImplemented = static_cast<HResult>(0x80004001u);

// A 16-byte interface identifier in the platform's GUID layout.
struct TGuid {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];
};
static_assert(sizeof(TGuid) == 16, "an interface identifier is 16 bytes");
static_assert(offsetof(TGuid, Data2) == 4 && offsetof(TGuid, Data3) == 6 && offsetof(TGuid, Data4) == 8,
              "GUID field offsets");

[[nodiscard]] constexpr bool SameGuid(const TGuid& a, const TGuid& b) {
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i]) return false;
    return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3;
}

// {00000000-0000-0000-C000-000000000046}
inline constexpr TGuid IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
// {ED6DC234-32CA-42F2-A86A-DDBBB8E9595D}
inline constexpr TGuid IID_IQuillonControl = {
    0xED6DC234, 0x32CA, 0x42F2, {0xA8, 0x6A, 0xDD, 0xBB, 0xB8, 0xE9, 0x59, 0x5D}};
// {A02ED748-341A-4D36-BFC4-DA8A5A262860}
inline constexpr TGuid IID_IQuillonReport = {
    0xA02ED748, 0x341A, 0x4D36, {0xBF, 0xC4, 0xDA, 0x8A, 0x5A, 0x26, 0x28, 0x60}};
// {36F3C770-1711-4A72-8085-049A3B8B2E8F}
inline constexpr TGuid IID_IQuillonReset = {
    0x36F3C770, 0x1711, 0x4A72, {0x80, 0x85, 0x04, 0x9A, 0x3B, 0x8B, 0x2E, 0x8F}};
// {890065C3-2750-4DC2-B475-78C51D550276}
inline constexpr TGuid IID_IQuillonReportSet = {
    0x890065C3, 0x2750, 0x4DC2, {0xB4, 0x75, 0x78, 0xC5, 0x1D, 0x55, 0x02, 0x76}};

class IQuillonUnknown {
public:
    virtual HResult TAMBERLY_STDCALL QueryInterface(const TGuid& iid, void** object) = 0;
    virtual std::uint32_t TAMBERLY_STDCALL AddRef() = 0;
    virtual std::uint32_t TAMBERLY_STDCALL Release() = 0;

protected:
    ~IQuillonUnknown() = default;
};

// Implemented by the host: receives report items from any thread. The message
// is copied before Report returns.
class IQuillonReport : public IQuillonUnknown {
public:
    virtual HResult TAMBERLY_STDCALL Report(std::int32_t Module, std::int32_t ReportType,
                                            const char16_t* ReportMessage, std::int32_t StreamID) = 0;

protected:
    ~IQuillonReport() = default;
};

// Implemented by a module. Slots 4 and 5 are the module's own; the viewer
// never calls them.
class IQuillonControl : public IQuillonUnknown {
public:
    // The name stays owned by the module and valid while the module is loaded.
    virtual HResult TAMBERLY_STDCALL GetModuleName(const char16_t** name) = 0;
    virtual HResult TAMBERLY_STDCALL LoadMediaFile(const char16_t* fileName) = 0;
    virtual HResult TAMBERLY_STDCALL UnloadMediaFile() = 0;
    virtual HResult TAMBERLY_STDCALL GetModuleType(std::uint32_t* moduleType) = 0;
    virtual HResult TAMBERLY_STDCALL IsValidationRunning(std::int32_t* running) = 0;
    // Returns once validation is under way on the module's own thread.
    virtual HResult TAMBERLY_STDCALL StartFileValidation() = 0;
    virtual HResult TAMBERLY_STDCALL StopFileValidation() = 0;
    virtual HResult TAMBERLY_STDCALL GetProgress(double* percent) = 0;
    virtual HResult TAMBERLY_STDCALL ShowSettings(std::int32_t parent) = 0;

protected:
    ~IQuillonControl() = default;
};

// Optional for a module.
class IQuillonReset : public IQuillonUnknown {
public:
    virtual HResult TAMBERLY_STDCALL Reset() = 0;

protected:
    ~IQuillonReset() = default;
};

// Required of a module: hands it the host's report sink.
class IQuillonReportSet : public IQuillonUnknown {
public:
    virtual HResult TAMBERLY_STDCALL SetQuillonReport(IQuillonReport* report) = 0;

protected:
    ~IQuillonReportSet() = default;
};

}  // namespace validation

// The one export of a module file, bound by name.
extern "C" {
typedef validation::HResult(TAMBERLY_STDCALL* GetQuillonControlFunction)(validation::IQuillonControl** control);
}
