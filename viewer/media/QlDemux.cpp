#include "viewer/media/QlDemux.h"

#include <memory>
#include <utility>

#include "platform/debug_output.h"
#include "platform/file_exists.h"

namespace {

void Log(const char* line) { platform::OutputDebugLine(line); }

// A plugin name is usable when it exists and its core, if one is named, sits
// beside it.
bool IsUsable(const std::string& folder, const std::string& plugin, const std::string& core) {
    return platform::IsExistingFile(folder + plugin) && (core.empty() || platform::IsExistingFile(folder + core));
}

std::string WithTrailingDelimiter(std::string folder) {
    if (folder.empty() || (folder.back() != '/' && folder.back() != '\\')) folder += '/';
    return folder;
}

// Binds one export into its field; false (and the field's line) when absent.
template <typename Func>
bool Bind(const platform::DynamicLibrary& library, const char* name, Func& field, const char* missingLine) {
    field = reinterpret_cast<Func>(library.Symbol(name));
    if (field != nullptr) return true;
    Log(missingLine);
    return false;
}

}  // namespace

TQlDemuxNames MPEG2DemuxNames() {
    using platform::SharedLibraryFileName;
    return {SharedLibraryFileName("ql_demux_mp2"), SharedLibraryFileName("demo_ql_demux_mp2"),
            SharedLibraryFileName("zr_demux_mp2"), SharedLibraryFileName("demo_demux_mp2")};
}

TQlDemux::TQlDemux(TQlDemuxNames names) : FNames(std::move(names)) {}

TQlDemux::~TQlDemux() {
    try {
        if (!UnloadFile()) Log("Error in TQlDemux.Destroy - UnloadFile call...\r\n");
        if (!UnloadQlDemuxLibrary()) Log("Error in TQlDemux.Destroy - UnloadQlDemuxLibrary call...\r\n");
    } catch (...) {
        Log("Error in TQlDemux.Destroy call...\r\n");
    }
}

// ---------------------------------------------------------------- library

bool TQlDemux::LoadQlDemuxLibrary(const std::string& libraryPath) {
    try {
        if (FHandle.IsLoaded()) {
            Log("Error in TQlDemux.LoadQlDemuxLibrary - library already loaded.\r\n");
            return false;
        }
        const std::string given = libraryPath.empty() ? platform::ProgramFolder() : libraryPath;
        // Without a known folder nothing is loaded: a plugin is never looked
        // for in "/" or along the system's library path.
        if (given.empty()) return false;
        const std::string folder = WithTrailingDelimiter(given);
        platform::SetQuietErrorMode();
        if (!LoadFirstUsable(folder)) return false;
        return BindExports();
    } catch (...) {
        Log("Error in TQlDemux.LoadQlDemuxLibrary call...\r\n");
        return false;
    }
}

bool TQlDemux::LoadFirstUsable(const std::string& folder) {
    std::string plugin;
    if (IsUsable(folder, FNames.QlDemuxLibraryName, FNames.ZrDemuxLibraryName)) {
        plugin = FNames.QlDemuxLibraryName;
    } else if (IsUsable(folder, FNames.QlDemoDemuxLibraryName, FNames.ZrDemoDemuxLibraryName)) {
        plugin = FNames.QlDemoDemuxLibraryName;
    } else {
        return false;
    }
    if (FHandle.Load(folder + plugin)) return true;
    Log("Error in TQlDemux.LoadQlDemuxLibrary - error calling LoadLib().\r\n");
    return false;
}

// In the exports' order; the ones bound before a missing one stay bound.
bool TQlDemux::BindExports() {
    return Bind(FHandle, "LoadFile", FLoadFileFunc,
                "Error in TQlDemux.LoadQlDemuxLibrary - FLoadFileFunc call...\r\n") &&
           Bind(FHandle, "UnloadFile", FUnloadFileFunc,
                "Error in TQlDemux.LoadQlDemuxLibrary - FUnloadFileFunc call...\r\n") &&
           Bind(FHandle, "GetStreamsCount", FGetStreamsCountFunc,
                "Error in TQlDemux.LoadQlDemuxLibrary - FGetStreamsCountFunc call...\r\n") &&
           Bind(FHandle, "GetStreamMediaType", FGetStreamMediaTypeFunc,
                "Error in TQlDemux.LoadQlDemuxLibrary - FGetStreamMediaTypeFunc call...\r\n") &&
           Bind(FHandle, "DemuxStreamToFile", FDemuxStreamToFileFunc,
                "Error in TQlDemux.LoadQlDemuxLibrary - FDemuxStreamToFileFunc call...\r\n") &&
           Bind(FHandle, "DemuxStreamCallBack", FDemuxStreamCallBackFunc,
                "Error in TQlDemux.LoadQlDemuxLibrary - FDemuxStreamCallBackFunc call...\r\n") &&
           Bind(FHandle, "AbortDemux", FAbortDemuxFunc,
                "Error in TQlDemux.LoadQlDemuxLibrary - FAbortDemuxFunc call...\r\n");
}

void TQlDemux::ForgetExports() {
    FLoadFileFunc = nullptr;
    FUnloadFileFunc = nullptr;
    FGetStreamsCountFunc = nullptr;
    FGetStreamMediaTypeFunc = nullptr;
    FDemuxStreamToFileFunc = nullptr;
    FDemuxStreamCallBackFunc = nullptr;
    FAbortDemuxFunc = nullptr;
}

bool TQlDemux::UnloadQlDemuxLibrary() {
    try {
        ForgetExports();
        FHandle.Unload();
        return true;
    } catch (...) {
        Log("Error in TQlDemux.UnloadQlDemuxLibrary call...\r\n");
        return false;
    }
}

// ---------------------------------------------------------------- export wrappers

bool TQlDemux::LoadFile(const std::string& fileName) {
    try {
        if (FLoadFileFunc == nullptr) {
            Log("Error in TQlDemux.LoadFile - FLoadFileFunc not initialized.");
            return false;
        }
        return FLoadFileFunc(fileName.c_str()) == 0;
    } catch (...) {
        Log("Error in TQlDemux.LoadFile call...\r\n");
        return false;
    }
}

bool TQlDemux::UnloadFile() {
    try {
        if (FUnloadFileFunc == nullptr) return true;
        if (FUnloadFileFunc() == 0) return true;
        Log("Error in TQlDemux.UnloadFile - FUnloadFileFunc call...");
        return false;
    } catch (...) {
        Log("Error in TQlDemux.UnloadFile call...\r\n");
        return false;
    }
}

bool TQlDemux::GetStreamsCount(std::int32_t* pCount) {
    try {
        if (FGetStreamsCountFunc == nullptr) {
            Log("Error in TQlDemux.GetStreamsCount - FGetStreamsCountFunc not initialized.");
            return false;
        }
        if (FGetStreamsCountFunc(pCount) == 0) return true;
        Log("Error in TQlDemux.GetStreamsCount - FGetStreamsCountFunc call...");
        return false;
    } catch (...) {
        Log("Error in TQlDemux.GetStreamsCount call...\r\n");
        return false;
    }
}

bool TQlDemux::GetStreamMediaType(std::int32_t nIndex, std::int32_t* pProgramID, std::int32_t* pStreamID,
                                  std::int32_t* pStreamMediaType) {
    try {
        if (FGetStreamMediaTypeFunc == nullptr) {
            Log("Error in TQlDemux.GetStreamMediaType - FGetStreamMediaTypeFunc not initialized.");
            return false;
        }
        if (FGetStreamMediaTypeFunc(nIndex, pProgramID, pStreamID, pStreamMediaType) == 0) return true;
        Log("Error in TQlDemux.GetStreamMediaType - FGetStreamMediaTypeFunc call...");
        return false;
    } catch (...) {
        Log("Error in TQlDemux.GetStreamMediaType call...\r\n");
        return false;
    }
}

bool TQlDemux::DemuxStreamToFile(std::int32_t nIndex, const std::string& fileName) {
    try {
        if (FDemuxStreamToFileFunc == nullptr) {
            Log("Error in TQlDemux.DemuxStreamToFile - FDemuxStreamToFileFunc not initialized.");
            return false;
        }
        if (FDemuxStreamToFileFunc(nIndex, fileName.c_str()) == 0) return true;
        Log("Error in TQlDemux.DemuxStreamToFile - FDemuxStreamToFileFunc call...");
        return false;
    } catch (...) {
        Log("Error in TQlDemux.DemuxStreamToFile call...\r\n");
        return false;
    }
}

bool TQlDemux::DemuxStreamCallBack(std::int32_t nIndex, TSendDataFunc pfnSendData, void* pSendCallbackOwner) {
    try {
        if (FDemuxStreamCallBackFunc == nullptr) {
            Log("Error in TQlDemux.DemuxStreamCallBack - FDemuxStreamCallBackFunc not initialized.");
            return false;
        }
        if (FDemuxStreamCallBackFunc(nIndex, pfnSendData, pSendCallbackOwner) == 0) return true;
        Log("Error in TQlDemux.DemuxStreamCallBack - FDemuxStreamCallBackFunc call...");
        return false;
    } catch (...) {
        Log("Error in TQlDemux.DemuxStreamCallBack call...\r\n");
        return false;
    }
}

bool TQlDemux::AbortDemux(std::int32_t nTimeOutMS) {
    try {
        if (FAbortDemuxFunc == nullptr) {
            Log("Error in TQlDemux.AbortDemux - FAbortDemuxFunc not initialized.");
            return false;
        }
        if (FAbortDemuxFunc(nTimeOutMS) == 0) return true;
        Log("Error in TQlDemux.AbortDemux - FAbortDemuxFunc call...");
        return false;
    } catch (...) {
        Log("Error in TQlDemux.AbortDemux call...\r\n");
        return false;
    }
}

// ---------------------------------------------------------------- questions before opening

bool CheckMPEG2Libraries(const std::string& libraryPath) {
    try {
        std::unique_ptr<TQlDemux> demux;
        try {
            demux = std::make_unique<TQlDemux>(MPEG2DemuxNames());
        } catch (...) {
            Log("vld: Error in CheckMPEG2Libraries - cannot create QlDemux object.");
            return false;
        }
        if (!demux->LoadQlDemuxLibrary(libraryPath)) {
            Log("vld: Error in CheckMPEG2Libraries - cannot load QlDemux library.");
            return false;
        }
        if (!demux->UnloadQlDemuxLibrary()) Log("vld: Error in CheckMPEG2Libraries - cannot unload QlDemux library.");
        return true;
    } catch (...) {
        Log("vld: Error in CheckMPEG2Libraries call...");
        return false;
    }
}

// Every step runs even after a failure; an unbound export fails harmlessly
// inside its wrapper.
bool GetFirstESMediaType(const std::string& fileName, std::int32_t& mediaType, const std::string& libraryPath) {
    try {
        std::unique_ptr<TQlDemux> demux;
        try {
            demux = std::make_unique<TQlDemux>(MPEG2DemuxNames());
        } catch (...) {
            Log("vld: Error in GetFirstESMediaType - cannot create QlDemux object.");
            return false;
        }
        if (!demux->LoadQlDemuxLibrary(libraryPath))
            Log("vld: Error in GetFirstESMediaType - cannot load QlDemux library.");
        if (!demux->LoadFile(fileName))
            Log("vld: Error in GetFirstESMediaType - cannot load file calling QlDemux.LoadFile.");
        std::int32_t count = 0;
        if (!demux->GetStreamsCount(&count) || count <= 0)
            Log("vld: Error in GetFirstESMediaType - no streams found with QlDemux.GetStreamsCount.");
        std::int32_t programID = 0;
        std::int32_t streamID = 0;
        if (!demux->GetStreamMediaType(0, &programID, &streamID, &mediaType))
            Log("vld: Error in GetFirstESMediaType - cannot get stream media type with QlDemux.GetStreamMediaType.");
        return count == 1;
    } catch (...) {
        Log("vld: Error in GetFirstESMediaType call...");
        return false;
    }
}
