#pragma once
// TValidationModule owns one loaded validation module: the library, its
// control interface, the report sink and the optional reset interface.
// Window-free.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/dynamic_library.h"
#include "abi/QuillonControlInterface.h"

namespace validation {

class TValidationModule {
public:
    // Create: records the report sink, taking a reference.
    explicit TValidationModule(IQuillonReport* report);
    // Destroy: unloads.
    ~TValidationModule();
    TValidationModule(const TValidationModule&) = delete;
    TValidationModule& operator=(const TValidationModule&) = delete;

    // Loads, binds and hands the report sink to the module in the file;
    // false (with the debug line of the failing step) otherwise.
    bool LoadValidationModule(const std::string& fileName);
    bool UnloadValidationModule();

    [[nodiscard]] const std::string& FileName() const { return FValidationModuleFileName; }
    [[nodiscard]] const std::string& Name() const { return FValidationModuleName; }
    [[nodiscard]] IQuillonControl* Control() const { return FQuillonControl; }
    [[nodiscard]] IQuillonReset* ResetInterface() const { return FQuillonReset; }
    [[nodiscard]] bool IsLoaded() const { return FValidationModuleHandle.IsLoaded(); }

private:
    // Steps after the control interface is in hand: name, report set, reset,
    // report sink.
    bool BindControl();
    // Releases what a failed load holds and unloads the library.
    void AbandonControl();

    std::string FValidationModuleFileName;
    std::string FValidationModuleName;
    platform::DynamicLibrary FValidationModuleHandle;
    IQuillonControl* FQuillonControl = nullptr;
    IQuillonReport* FQuillonReport = nullptr;
    IQuillonReset* FQuillonReset = nullptr;
};

// A window's modules in load order, each under its file path.
using TValidationModuleList = std::vector<std::pair<std::string, std::unique_ptr<TValidationModule>>>;

// Tries the module types of kModuleLoadOrder that are in moduleSet, each from
// folder + catalogue file name; keeps those that load.
[[nodiscard]] TValidationModuleList LoadValidationModules(const std::string& modulesFolder, std::uint32_t moduleSet,
                                                          IQuillonReport* report);

}  // namespace validation
