#include "viewer/validation/ValidationModule.h"

#include <new>

#include "platform/debug_output.h"
#include "platform/file_exists.h"
#include "platform/utf16_text.h"
#include "viewer/validation/ValidationCatalogue.h"

namespace validation {

namespace {

constexpr const char* kLoadError = "Error in TValidationModule.LoadValidationModule - ";

void LoadFailure(const char* what) {
    platform::OutputDebugLine(std::string(kLoadError) + what);
}

template <typename Interface>
void ReleaseInterface(Interface*& object) {
    if (object == nullptr) return;
    Interface* held = object;
    object = nullptr;
    held->Release();
}

}  // namespace

// ---------------------------------------------------------------- create, destroy

TValidationModule::TValidationModule(IQuillonReport* report) {
    try {
        FQuillonReport = report;
        if (FQuillonReport != nullptr) FQuillonReport->AddRef();
    } catch (...) {
        platform::OutputDebugLine("Error in TValidationModule.Create call...");
    }
}

TValidationModule::~TValidationModule() {
    try {
        if (!UnloadValidationModule())
            platform::OutputDebugLine(
                "Error in TValidationModule.Destroy - error calling UnloadValidationModule().");
    } catch (...) {
        platform::OutputDebugLine("Error in TValidationModule.Destroy call...");
    }
}

// ---------------------------------------------------------------- load

bool TValidationModule::LoadValidationModule(const std::string& fileName) {
    try {
        if (!platform::IsExistingFile(fileName)) return false;
        FValidationModuleFileName = fileName;
        const platform::ScopedQuietErrorMode quietErrors;

        if (!FValidationModuleHandle.Load(fileName)) {
            LoadFailure("error loading validation module library.");
            return false;
        }
        auto* getControl =
            reinterpret_cast<GetQuillonControlFunction>(FValidationModuleHandle.Symbol("GetQuillonControl"));
        if (getControl == nullptr) {
            FValidationModuleHandle.Unload();
            LoadFailure("error retrieving GetQuillonControl function.");
            return false;
        }
        IQuillonControl* control = nullptr;
        if (getControl(&control) != kOk || control == nullptr) {
            FValidationModuleHandle.Unload();
            LoadFailure("error retrieving QuillonControl interface.");
            return false;
        }
        FQuillonControl = control;
        return BindControl();
    } catch (...) {
        platform::OutputDebugLine("Error in TValidationModule.LoadValidationModule call...");
        return false;
    }
}

bool TValidationModule::BindControl() {
    const char16_t* name = nullptr;
    if (FQuillonControl->GetModuleName(&name) != kOk) {
        AbandonControl();
        LoadFailure("error retrieving Quillon module name.");
        return false;
    }
    FValidationModuleName = platform::Utf16ToUtf8(name);

    IQuillonReportSet* reportSet = nullptr;
    if (FQuillonControl->QueryInterface(IID_IQuillonReportSet, reinterpret_cast<void**>(&reportSet)) != kOk ||
        reportSet == nullptr) {
        AbandonControl();
        LoadFailure("error retrieving QuillonReportSet interface.");
        return false;
    }
    void* reset = nullptr;
    if (FQuillonControl->QueryInterface(IID_IQuillonReset, &reset) == kOk)
        FQuillonReset = static_cast<IQuillonReset*>(reset);

    if (reportSet->SetQuillonReport(FQuillonReport) != kOk) {
        // Every reference goes back before the library does.
        ReleaseInterface(reportSet);
        AbandonControl();
        LoadFailure("error calling QuillonReportSet.SetQuillonReport.");
        return false;
    }
    ReleaseInterface(reportSet);
    return true;
}

void TValidationModule::AbandonControl() {
    ReleaseInterface(FQuillonReset);
    ReleaseInterface(FQuillonControl);
    FValidationModuleName.clear();
    FValidationModuleHandle.Unload();
}

// ---------------------------------------------------------------- unload

bool TValidationModule::UnloadValidationModule() {
    try {
        FValidationModuleFileName.clear();
        FValidationModuleName.clear();
        ReleaseInterface(FQuillonReset);
        ReleaseInterface(FQuillonReport);
        ReleaseInterface(FQuillonControl);
        FValidationModuleHandle.Unload();
        return true;
    } catch (...) {
        platform::OutputDebugLine("Error in TValidationModule.UnloadValidationModule call...");
        return false;
    }
}

// ---------------------------------------------------------------- a window's modules

TValidationModuleList LoadValidationModules(const std::string& modulesFolder, std::uint32_t moduleSet,
                                            IQuillonReport* report) {
    TValidationModuleList modules;
    // An unknown program folder loads nothing: a bare module name would be
    // looked for along the system's library path.
    if (modulesFolder.empty()) return modules;
    for (const std::uint32_t moduleType : kModuleLoadOrder) {
        if ((moduleSet & moduleType) == 0) continue;
        const std::string path = modulesFolder + ModuleFileName(moduleType);
        std::unique_ptr<TValidationModule> module;
        try {
            module = std::make_unique<TValidationModule>(report);
        } catch (const std::bad_alloc&) {
            platform::OutputDebugLine(
                "Error in TValidationWindow.LoadValidationModule - cannot create validation module - out of "
                "memory.");
            continue;
        }
        if (module->LoadValidationModule(path)) modules.emplace_back(path, std::move(module));
    }
    return modules;
}

}  // namespace validation
