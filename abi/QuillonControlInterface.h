/* The contract between the viewer and its validation modules: shared
 * libraries (".qll") that export GetQuillonControl and talk through
 * interfaces laid out like the platform's component object model
 * (QueryInterface, AddRef and Release first, callee-cleans methods, 32-bit
 * status codes, zero-terminated UTF-16 strings). The slot order of every
 * interface is part of the ABI.
 *
 * C++ sees the interfaces as abstract classes in namespace validation; C sees
 * the same slots as a table of function pointers behind lpVtbl. The report
 * type codes and the module types a module announces are here too. */
#ifndef TAMBERLY_ABI_QUILLON_CONTROL_INTERFACE_H
#define TAMBERLY_ABI_QUILLON_CONTROL_INTERFACE_H

#include <stddef.h>
#include <stdint.h>

#include "abi/calling_convention.h"

/* ---- status codes, report types, module types ---- */

typedef int32_t QlHResult;
#define QL_S_OK ((QlHResult)0)
#define QL_E_FAIL ((QlHResult)0x80004005u)
#define QL_E_NOINTERFACE ((QlHResult)0x80004002u)
#define QL_E_POINTER ((QlHResult)0x80004003u)
#define QL_E_NOTIMPL ((QlHResult)0x80004001u)

/* The ReportType of a report item. */
enum ql_report_type { QL_REPORT_NONE = 0, QL_REPORT_INFO = 1, QL_REPORT_WARNING = 2, QL_REPORT_ERROR = 3 };

/* The module type the MPEG Audio Validator announces (GetModuleType) and
 * reports under. */
#define QL_MODULE_MPEG_AUDIO_VALIDATOR 0x40000u

/* ---- interface identifiers ---- */

/* A 16-byte interface identifier in the platform's GUID layout. */
typedef struct TGuid {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
} TGuid;

TAMBERLY_ABI_ASSERT(sizeof(TGuid) == 16, "an interface identifier is 16 bytes");
TAMBERLY_ABI_ASSERT(offsetof(TGuid, Data2) == 4, "GUID Data2 offset");
TAMBERLY_ABI_ASSERT(offsetof(TGuid, Data3) == 6, "GUID Data3 offset");
TAMBERLY_ABI_ASSERT(offsetof(TGuid, Data4) == 8, "GUID Data4 offset");

/* {00000000-0000-0000-C000-000000000046} */
#define QL_IID_IUNKNOWN_VALUE {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}}
/* {ED6DC234-32CA-42F2-A86A-DDBBB8E9595D} */
#define QL_IID_IQUILLONCONTROL_VALUE {0xED6DC234, 0x32CA, 0x42F2, {0xA8, 0x6A, 0xDD, 0xBB, 0xB8, 0xE9, 0x59, 0x5D}}
/* {A02ED748-341A-4D36-BFC4-DA8A5A262860} */
#define QL_IID_IQUILLONREPORT_VALUE {0xA02ED748, 0x341A, 0x4D36, {0xBF, 0xC4, 0xDA, 0x8A, 0x5A, 0x26, 0x28, 0x60}}
/* {36F3C770-1711-4A72-8085-049A3B8B2E8F} */
#define QL_IID_IQUILLONRESET_VALUE {0x36F3C770, 0x1711, 0x4A72, {0x80, 0x85, 0x04, 0x9A, 0x3B, 0x8B, 0x2E, 0x8F}}
/* {890065C3-2750-4DC2-B475-78C51D550276} */
#define QL_IID_IQUILLONREPORTSET_VALUE {0x890065C3, 0x2750, 0x4DC2, {0xB4, 0x75, 0x78, 0xC5, 0x1D, 0x55, 0x02, 0x76}}

#ifdef __cplusplus

/* ---- the interfaces as C++ sees them ---- */

#include <cstdint>

namespace validation {

using HResult = QlHResult;
inline constexpr HResult kOk = QL_S_OK;
inline constexpr HResult kFail = QL_E_FAIL;
inline constexpr HResult kNoInterface = QL_E_NOINTERFACE;
inline constexpr HResult kInvalidPointer = QL_E_POINTER;
inline constexpr HResult kNotImplemented = QL_E_NOTIMPL;

enum ReportTypeCode : std::int32_t {
    kReportNone = QL_REPORT_NONE,
    kReportInfo = QL_REPORT_INFO,
    kReportWarning = QL_REPORT_WARNING,
    kReportError = QL_REPORT_ERROR,
};

inline constexpr std::uint32_t kMpegAudioValidatorType = QL_MODULE_MPEG_AUDIO_VALIDATOR;

using TGuid = ::TGuid;

[[nodiscard]] constexpr bool SameGuid(const TGuid& a, const TGuid& b) {
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i]) return false;
    return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3;
}

inline constexpr TGuid IID_IUnknown = QL_IID_IUNKNOWN_VALUE;
inline constexpr TGuid IID_IQuillonControl = QL_IID_IQUILLONCONTROL_VALUE;
inline constexpr TGuid IID_IQuillonReport = QL_IID_IQUILLONREPORT_VALUE;
inline constexpr TGuid IID_IQuillonReset = QL_IID_IQUILLONRESET_VALUE;
inline constexpr TGuid IID_IQuillonReportSet = QL_IID_IQUILLONREPORTSET_VALUE;

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

#else /* C */

/* ---- the same slots as C sees them ---- */

/* The identifiers are the QL_IID_..._VALUE initialisers above. */

typedef struct IQuillonReport IQuillonReport;
typedef struct IQuillonControl IQuillonControl;
typedef struct IQuillonReset IQuillonReset;
typedef struct IQuillonReportSet IQuillonReportSet;

/* QueryInterface, AddRef and Release of an interface of type T. */
#define QL_UNKNOWN_SLOTS(T)                                                               \
    QlHResult(TAMBERLY_STDCALL* QueryInterface)(T * self, const TGuid* iid, void** object); \
    uint32_t(TAMBERLY_STDCALL* AddRef)(T * self);                                         \
    uint32_t(TAMBERLY_STDCALL* Release)(T * self)

typedef struct IQuillonReportVtbl {
    QL_UNKNOWN_SLOTS(IQuillonReport);
    QlHResult(TAMBERLY_STDCALL* Report)(IQuillonReport* self, int32_t Module, int32_t ReportType,
                                        const uint16_t* ReportMessage, int32_t StreamID);
} IQuillonReportVtbl;

typedef struct IQuillonControlVtbl {
    QL_UNKNOWN_SLOTS(IQuillonControl);
    QlHResult(TAMBERLY_STDCALL* GetModuleName)(IQuillonControl* self, const uint16_t** name);
    QlHResult(TAMBERLY_STDCALL* LoadMediaFile)(IQuillonControl* self, const uint16_t* fileName);
    QlHResult(TAMBERLY_STDCALL* UnloadMediaFile)(IQuillonControl* self);
    QlHResult(TAMBERLY_STDCALL* GetModuleType)(IQuillonControl* self, uint32_t* moduleType);
    QlHResult(TAMBERLY_STDCALL* IsValidationRunning)(IQuillonControl* self, int32_t* running);
    QlHResult(TAMBERLY_STDCALL* StartFileValidation)(IQuillonControl* self);
    QlHResult(TAMBERLY_STDCALL* StopFileValidation)(IQuillonControl* self);
    QlHResult(TAMBERLY_STDCALL* GetProgress)(IQuillonControl* self, double* percent);
    QlHResult(TAMBERLY_STDCALL* ShowSettings)(IQuillonControl* self, int32_t parent);
} IQuillonControlVtbl;

typedef struct IQuillonResetVtbl {
    QL_UNKNOWN_SLOTS(IQuillonReset);
    QlHResult(TAMBERLY_STDCALL* Reset)(IQuillonReset* self);
} IQuillonResetVtbl;

typedef struct IQuillonReportSetVtbl {
    QL_UNKNOWN_SLOTS(IQuillonReportSet);
    QlHResult(TAMBERLY_STDCALL* SetQuillonReport)(IQuillonReportSet* self, IQuillonReport* report);
} IQuillonReportSetVtbl;

struct IQuillonReport { const IQuillonReportVtbl* lpVtbl; };
struct IQuillonControl { const IQuillonControlVtbl* lpVtbl; };
struct IQuillonReset { const IQuillonResetVtbl* lpVtbl; };
struct IQuillonReportSet { const IQuillonReportSetVtbl* lpVtbl; };

/* Slot positions: three unknown slots, then the interface's own. */
TAMBERLY_ABI_ASSERT(offsetof(IQuillonReportVtbl, Report) == 3 * sizeof(void*), "Report is slot 3");
TAMBERLY_ABI_ASSERT(offsetof(IQuillonControlVtbl, GetModuleName) == 3 * sizeof(void*), "GetModuleName slot 3");
TAMBERLY_ABI_ASSERT(offsetof(IQuillonControlVtbl, ShowSettings) == 11 * sizeof(void*), "ShowSettings slot 11");
TAMBERLY_ABI_ASSERT(offsetof(IQuillonResetVtbl, Reset) == 3 * sizeof(void*), "Reset is slot 3");
TAMBERLY_ABI_ASSERT(offsetof(IQuillonReportSetVtbl, SetQuillonReport) == 3 * sizeof(void*), "SetQuillonReport slot 3");

typedef QlHResult(TAMBERLY_STDCALL* GetQuillonControlFunction)(IQuillonControl** control);

#endif

#endif
