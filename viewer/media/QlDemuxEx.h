#pragma once
// TQlDemuxEx: a pull-style reader over a plugin's push-style extraction. A
// worker thread runs the plugin's DemuxStreamCallBack; the send function
// copies each chunk into a 10 MiB FIFO; ReadData takes the bytes out on the
// user-interface thread.
//
// Threads: LoadFile, StartDemultiplexingStream, ReadData, StopDemultiplexing
// and the destructor belong to one (user-interface) thread; the plugin's
// extraction and the send function run on the worker. The FIFO is touched
// only under FCriticalSection, which is never held while sleeping; FCommand
// and FEndOfStream are the handshake words.
//
// Every wait on the plugin is bounded (TPluginTimeOuts). Loading, unloading,
// the stream queries and the abort run on threads of their own, both
// extractions on the worker; the caller gives up after the bound. A plugin
// given up on is marked hung (PluginHung), left running and kept loaded for
// good; the reader goes on with a fresh worker and no file loaded.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/auto_reset_event.h"
#include "viewer/media/Buffer.h"
#include "viewer/media/PluginCall.h"
#include "viewer/media/QlDemux.h"

// How long the reader waits for a plugin before it gives up on it.
struct TPluginTimeOuts {
    // A stop: the abort to return and the extraction to end after it.
    static constexpr std::chrono::milliseconds kDefaultStopTimeOut{2000};
    // Loading a file (with the plugin library), unloading it, a stream query.
    static constexpr std::chrono::milliseconds kDefaultCallTimeOut{30000};
    // An extraction to a file that neither writes nor ends for this long is
    // stopped; long enough for a plugin to search a large container for the
    // stream's first packet.
    static constexpr std::chrono::milliseconds kDefaultStallTimeOut{60000};

    std::chrono::milliseconds Stop = kDefaultStopTimeOut;
    std::chrono::milliseconds Call = kDefaultCallTimeOut;
    std::chrono::milliseconds Stall = kDefaultStallTimeOut;
};

class TQlDemuxEx {
public:
    static constexpr std::int64_t kBufferSize = 10 * 1024 * 1024;
    // FCommand values.
    static constexpr std::int32_t kIdle = 0;
    static constexpr std::int32_t kRun = 1;
    static constexpr std::int32_t kStop = -1;
    static constexpr std::int32_t kRunToFile = 2;
    // ReadDataFor: nothing arrived within the wait, the stream goes on.
    static constexpr std::int32_t kNoDataYet = -1;
    // How long a stop waits for the plugin's abort and then the worker.
    static constexpr std::chrono::milliseconds kDefaultStopTimeOut = TPluginTimeOuts::kDefaultStopTimeOut;

    // Starts the worker. The plugins are looked for in libraryPath (empty:
    // the program's folder).
    explicit TQlDemuxEx(std::string libraryPath = {},
                        std::chrono::milliseconds stopTimeOut = kDefaultStopTimeOut);
    TQlDemuxEx(std::string libraryPath, TPluginTimeOuts timeOuts);
    // Destroy: stops a running extraction, waits for the worker, then
    // unloads the file and the plugin, each within its time-out.
    ~TQlDemuxEx();
    TQlDemuxEx(const TQlDemuxEx&) = delete;
    TQlDemuxEx& operator=(const TQlDemuxEx&) = delete;

    // Stops a running extraction, then tries the known plugins in their
    // fixed order; the first that accepts the file stays loaded. Plugins that
    // refuse it are unloaded again. False, with PluginHung, when a plugin
    // did not answer within the call time-out; the later ones are not tried.
    bool LoadFile(const std::string& fileName);
    bool UnloadFile();
    // The stream queries answer false while an extraction runs (the plugin
    // takes one call at a time besides its abort).
    bool GetStreamsCount(std::int32_t* pCount);
    bool GetStreamMediaType(std::int32_t nIndex, std::int32_t* pProgramID, std::int32_t* pStreamID,
                            std::int32_t* pStreamMediaType);

    // Called about every hundredth of a second with the output's size so
    // far while a file extraction runs; false stops it.
    using TFileProgress = std::function<bool(std::int64_t size)>;
    // The plugin's own extraction of stream nIndex into fileName, on the
    // worker (the PCM kinds its WAV sink takes become WAVE files); false
    // without a plugin, during a callback extraction, when the plugin answers
    // a failure, when progress stops it, and when the output has not grown
    // for the stall time-out (the extraction is then stopped; PluginHung
    // when that stop gives up).
    bool DemuxStreamToFile(std::int32_t nIndex, const std::string& fileName, const TFileProgress& progress = {});

    // Stops a running extraction and waits for the worker, then starts one.
    bool StartDemultiplexingStream(std::int32_t nIndex);
    // Copies up to size bytes, waiting while the FIFO is empty and the
    // stream goes on. 0 = end of stream.
    std::int32_t ReadData(void* data, std::int32_t size);
    // As ReadData, but waits at most wait: kNoDataYet when nothing arrived
    // by then and the stream goes on.
    std::int32_t ReadDataFor(void* data, std::int32_t size, std::chrono::milliseconds wait);
    // Requests the stop, aborts the plugin and returns once the worker is
    // idle; the abort's result. True at once when nothing runs. False when
    // the plugin has not returned within the stop time-out: it is then left
    // running (PluginHung) and the file is unloaded.
    bool StopDemultiplexing();
    // Whether the last load, stop, extraction or query gave up on a plugin
    // that did not return.
    [[nodiscard]] bool PluginHung() const { return FPluginHung; }
    // Whether the plugin's last extraction call answered a failure (nonzero):
    // the stream read so far is then incomplete. Valid once ReadData has
    // reported the end or StopDemultiplexing has returned.
    [[nodiscard]] bool ExtractionFailed() const { return FWorker->FExtractionFailed.load(); }
    // Bytes waiting in the FIFO.
    [[nodiscard]] std::int64_t BufferedBytes();

    // The send function handed to the plugin.
    static std::int32_t TAMBERLY_STDCALL SendDataFunc(void* pOwner, const void* pData, std::int32_t nSize);

private:
    // What the worker shares with the reader; it lives while either holds
    // it. FQlDemux changes only while the worker is idle.
    struct TWorker {
        platform::AutoResetEvent FExitEvent;
        std::mutex FCriticalSection;
        std::shared_ptr<TQlDemux> FQlDemux;
        TBuffer FBuffer{kBufferSize, 0};
        std::atomic<std::int32_t> FDemuxStreamIndex{0};
        std::string FOutputFileName;  // of kRunToFile; set while idle
        std::atomic<std::int32_t> FCommand{kIdle};
        // No extraction is running at first, so a read finds the end at once.
        std::atomic<bool> FEndOfStream{true};
        std::atomic<bool> FExtractionFailed{false};

        void Execute();
        void RunExtraction();
        std::int32_t Send(const void* data, std::int32_t size);
    };

    using TDeadline = std::chrono::steady_clock::time_point;

    void StartWorker();
    bool StopRunning();
    TPluginCallResult<bool> AbortWithin(TDeadline deadline);
    bool WaitUntilIdle(TDeadline deadline);
    bool WaitForFileExtraction(const std::string& fileName, const TFileProgress& progress);
    void LeaveHungWorker();
    void GiveUpOnPlugin(std::shared_ptr<TQlDemux> demux);
    void ReleasePlugin();
    template <class Result, class Call>
    TPluginCallResult<Result> CallLoadedPlugin(Call call);

    std::string FLibraryPath;
    TPluginTimeOuts FTimeOuts;
    std::shared_ptr<TWorker> FWorker;
    std::thread FThread;
    bool FPluginHung = false;
};
