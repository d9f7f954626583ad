#pragma once
// TQlDemux: the viewer's handle on one demultiplexer plugin library. It finds
// the plugin beside the program (under one of two names, each only when its
// core library sits beside it), binds the seven exports by name and wraps
// each in a method that logs its failure and answers true exactly when the
// export returned 0.
//
// One thread at a time, except AbortDemux, which may be called while another
// thread is inside DemuxStreamCallBack: it only reads the bound export.

#include <cstdint>
#include <string>

#include "platform/dynamic_library.h"
#include "abi/ql_demux_api.h"

using TLoadFileFunc = ql_demux_load_file_fn;
using TUnloadFileFunc = ql_demux_unload_file_fn;
using TGetStreamsCountFunc = ql_demux_get_streams_count_fn;
using TGetStreamMediaTypeFunc = ql_demux_get_stream_media_type_fn;
using TDemuxStreamToFileFunc = ql_demux_stream_to_file_fn;
using TDemuxStreamCallBackFunc = ql_demux_stream_callback_fn;
using TAbortDemuxFunc = ql_demux_abort_fn;
using TSendDataFunc = ql_demux_send_data_fn;

// The four file names of one plugin: the plugin tried first and second, and
// the core library that must sit beside each (empty: no requirement).
struct TQlDemuxNames {
    std::string QlDemuxLibraryName;
    std::string QlDemoDemuxLibraryName;
    std::string ZrDemuxLibraryName;
    std::string ZrDemoDemuxLibraryName;
};

// The MPEG-2 program and transport stream plugin.
[[nodiscard]] TQlDemuxNames MPEG2DemuxNames();

class TQlDemux {
public:
    explicit TQlDemux(TQlDemuxNames names);
    // Destroy: unloads the file, then the library.
    ~TQlDemux();
    TQlDemux(const TQlDemux&) = delete;
    TQlDemux& operator=(const TQlDemux&) = delete;

    // Finds, loads and binds the plugin in libraryPath (empty: the program's
    // folder). False without a line when neither plugin name is usable.
    bool LoadQlDemuxLibrary(const std::string& libraryPath);
    // True also when nothing was loaded.
    bool UnloadQlDemuxLibrary();

    // fileName is in the file system's 8-bit encoding, as the plugin takes it.
    bool LoadFile(const std::string& fileName);
    bool UnloadFile();
    bool GetStreamsCount(std::int32_t* pCount);
    bool GetStreamMediaType(std::int32_t nIndex, std::int32_t* pProgramID, std::int32_t* pStreamID,
                            std::int32_t* pStreamMediaType);
    bool DemuxStreamToFile(std::int32_t nIndex, const std::string& fileName);
    bool DemuxStreamCallBack(std::int32_t nIndex, TSendDataFunc pfnSendData, void* pSendCallbackOwner);
    bool AbortDemux(std::int32_t nTimeOutMS);

    [[nodiscard]] bool IsLibraryLoaded() const { return FHandle.IsLoaded(); }

private:
    bool LoadFirstUsable(const std::string& folder);
    bool BindExports();
    void ForgetExports();

    platform::DynamicLibrary FHandle;
    TLoadFileFunc FLoadFileFunc = nullptr;
    TUnloadFileFunc FUnloadFileFunc = nullptr;
    TGetStreamsCountFunc FGetStreamsCountFunc = nullptr;
    TGetStreamMediaTypeFunc FGetStreamMediaTypeFunc = nullptr;
    TDemuxStreamToFileFunc FDemuxStreamToFileFunc = nullptr;
    TDemuxStreamCallBackFunc FDemuxStreamCallBackFunc = nullptr;
    TAbortDemuxFunc FAbortDemuxFunc = nullptr;
    TQlDemuxNames FNames;
};

// Whether the MPEG-2 plugin can be loaded from libraryPath (empty: the
// program's folder).
bool CheckMPEG2Libraries(const std::string& libraryPath = {});

// What the MPEG-2 plugin makes of fileName: true exactly when it sees one
// stream; mediaType then holds that stream's type code.
bool GetFirstESMediaType(const std::string& fileName, std::int32_t& mediaType, const std::string& libraryPath = {});
