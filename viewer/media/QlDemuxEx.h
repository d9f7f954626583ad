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
// Every wait on the plugin is bounded. A plugin that does not stop within
// the stop time-out after its abort is left running on its worker, which
// keeps the plugin loaded and the state it writes alive until the plugin
// returns; the reader goes on with a fresh worker and no file loaded.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/auto_reset_event.h"
#include "viewer/media/Buffer.h"
#include "viewer/media/QlDemux.h"

class TQlDemuxEx {
public:
    static constexpr std::int64_t kBufferSize = 10 * 1024 * 1024;
    // FCommand values.
    static constexpr std::int32_t kIdle = 0;
    static constexpr std::int32_t kRun = 1;
    static constexpr std::int32_t kStop = -1;
    // ReadDataFor: nothing arrived within the wait, the stream goes on.
    static constexpr std::int32_t kNoDataYet = -1;
    // How long a stop waits for the worker after the plugin's abort.
    static constexpr std::chrono::milliseconds kDefaultStopTimeOut{2000};

    // Starts the worker. The plugins are looked for in libraryPath (empty:
    // the program's folder).
    explicit TQlDemuxEx(std::string libraryPath = {},
                        std::chrono::milliseconds stopTimeOut = kDefaultStopTimeOut);
    // Destroy: stops a running extraction, waits for the worker, then
    // unloads the file and the plugin.
    ~TQlDemuxEx();
    TQlDemuxEx(const TQlDemuxEx&) = delete;
    TQlDemuxEx& operator=(const TQlDemuxEx&) = delete;

    // Stops a running extraction, then tries the known plugins in their
    // fixed order; the first that accepts the file stays loaded. Plugins that
    // refuse it are unloaded again.
    bool LoadFile(const std::string& fileName);
    bool UnloadFile();
    bool GetStreamsCount(std::int32_t* pCount);
    bool GetStreamMediaType(std::int32_t nIndex, std::int32_t* pProgramID, std::int32_t* pStreamID,
                            std::int32_t* pStreamMediaType);

    // The plugin's own extraction of stream nIndex into fileName on the
    // calling thread (the PCM kinds its WAV sink takes become WAVE files);
    // false without a plugin, during a callback extraction or when the
    // plugin answers a failure.
    bool DemuxStreamToFile(std::int32_t nIndex, const std::string& fileName);

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
    // Whether the stop of the last extraction gave up on a plugin that did
    // not return.
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
        std::atomic<std::int32_t> FCommand{kIdle};
        // No extraction is running at first, so a read finds the end at once.
        std::atomic<bool> FEndOfStream{true};
        std::atomic<bool> FExtractionFailed{false};

        void Execute();
        void RunExtraction();
        std::int32_t Send(const void* data, std::int32_t size);
    };

    void StartWorker();
    bool WaitUntilIdle();
    void LeaveHungWorker();

    std::string FLibraryPath;
    std::chrono::milliseconds FStopTimeOut;
    std::shared_ptr<TWorker> FWorker;
    std::thread FThread;
    bool FPluginHung = false;
};
