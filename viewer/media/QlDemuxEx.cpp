#include "viewer/media/QlDemuxEx.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>

#include "platform/debug_output.h"

namespace {

using std::chrono::milliseconds;

constexpr milliseconds kExitPoll{1};
constexpr milliseconds kFifoPoll{10};
constexpr milliseconds kStopPoll{100};
constexpr std::int32_t kAbortTimeOutMS = 1000;
constexpr int kStopPollsPerAbort = 10;

void Log(const char* line) { platform::OutputDebugLine(line); }

// The plugins the reader knows, in the order they are tried: base names of
// the two plugin files and of the core each needs (empty: none).
struct TPluginBaseNames {
    const char* first;
    const char* second;
    const char* coreOfFirst;
    const char* coreOfSecond;
};

constexpr std::array<TPluginBaseNames, 7> kPlugins{{
    {"ql_demux_mp4", "demo_ql_demux_mp4", "zr_demux_mp4", "demo_demux_mp4"},
    {"ql_demux_prores", "demo_ql_demux_prores", "", ""},
    {"ql_demux_mxf", "demo_ql_demux_mxf", "zr_demux_mxf", "demo_demux_mxf"},
    {"ql_demux_wav", "demo_ql_demux_wav", "", ""},
    {"ql_demux_avi", "demo_ql_demux_avi", "", ""},
    {"ql_demux_asf", "demo_ql_demux_asf", "zr_demux_asf", "demo_demux_asf"},
    {"ql_demux_mp2", "demo_ql_demux_mp2", "zr_demux_mp2", "demo_demux_mp2"},
}};

std::string LibraryName(const char* baseName) {
    return *baseName == '\0' ? std::string() : platform::SharedLibraryFileName(baseName);
}

TQlDemuxNames NamesOf(const TPluginBaseNames& plugin) {
    return {LibraryName(plugin.first), LibraryName(plugin.second), LibraryName(plugin.coreOfFirst),
            LibraryName(plugin.coreOfSecond)};
}

}  // namespace

TQlDemuxEx::TQlDemuxEx(std::string libraryPath, milliseconds stopTimeOut)
    : FLibraryPath(std::move(libraryPath)), FStopTimeOut(stopTimeOut) {
    StartWorker();
}

void TQlDemuxEx::StartWorker() {
    FWorker = std::make_shared<TWorker>();
    FThread = std::thread([worker = FWorker] { worker->Execute(); });
}

// The extraction is stopped while the worker still runs, so that it hands
// the command back; only then is the worker told to leave. A plugin that
// does not stop leaves its worker behind, and the fresh one ends at once.
TQlDemuxEx::~TQlDemuxEx() {
    try {
        if (FThread.joinable()) {
            StopDemultiplexing();
            FWorker->FExitEvent.Set();
            FThread.join();
        }
        FWorker->FQlDemux.reset();
    } catch (...) {
        Log("dbg: Error in TQlDemuxEx.Destroy call...");
    }
}

// An abort that reaches the plugin just before its extraction has begun may
// be missed by an older plugin; asking again every second makes sure the
// extraction still ends. False when the worker is still busy after the stop
// time-out.
bool TQlDemuxEx::WaitUntilIdle() {
    const auto giveUp = std::chrono::steady_clock::now() + FStopTimeOut;
    for (int step = 1; FWorker->FCommand.load() != kIdle; ++step) {
        if (std::chrono::steady_clock::now() >= giveUp) return false;
        std::this_thread::sleep_for(std::min(kStopPoll, FStopTimeOut));
        if (step % kStopPollsPerAbort == 0 && FWorker->FQlDemux) FWorker->FQlDemux->AbortDemux(kAbortTimeOutMS);
    }
    return true;
}

// The worker stays inside the plugin: it keeps its own share of the state
// and of the plugin, and leaves its loop once the plugin returns. The reader
// goes on with a new worker and without a file.
void TQlDemuxEx::LeaveHungWorker() {
    Log("dbg: TQlDemuxEx - the plugin did not stop; it is left running.");
    FPluginHung = true;
    FWorker->FExitEvent.Set();
    FThread.detach();
    StartWorker();
}

// ---------------------------------------------------------------- worker

void TQlDemuxEx::TWorker::Execute() {
    try {
        while (!FExitEvent.WaitFor(kExitPoll)) {
            if (FCommand.load() != kIdle) RunExtraction();
        }
    } catch (...) {
        Log("dbg: Error in TQlDemuxEx.Execute call...");
    }
}

// A stop that arrives before the worker has seen the request skips the
// plugin call but still hands the command back, so the stopper never waits
// for a worker that will not answer.
void TQlDemuxEx::TWorker::RunExtraction() {
    if (FCommand.load() == kRun && FQlDemux)
        FExtractionFailed.store(!FQlDemux->DemuxStreamCallBack(FDemuxStreamIndex.load(), SendDataFunc, this));
    FEndOfStream.store(true);
    FCommand.store(kIdle);
}

std::int32_t TAMBERLY_STDCALL TQlDemuxEx::SendDataFunc(void* pOwner, const void* pData, std::int32_t nSize) {
    try {
        return static_cast<TWorker*>(pOwner)->Send(pData, nSize);
    } catch (...) {
        Log("dbg: Error in SendDataFunc call...");
        return -1;
    }
}

// A chunk is never split: the producer waits until the whole of it fits. A
// chunk larger than the FIFO itself could never fit, so an empty FIFO takes
// it by growing once; every other chunk waits as usual.
std::int32_t TQlDemuxEx::TWorker::Send(const void* data, std::int32_t size) {
    if (size <= 0) return 0;
    while (FCommand.load() >= 0) {
        {
            std::lock_guard lock(FCriticalSection);
            const bool oversized = size > FBuffer.Size() && FBuffer.GetLen() == 0;
            if (FBuffer.GetLeft() >= size || oversized) {
                FBuffer.AddData(data, size);
                return 0;
            }
        }
        std::this_thread::sleep_for(kFifoPoll);
    }
    return 0;  // stop requested: the chunk is dropped
}

// ---------------------------------------------------------------- file and streams

bool TQlDemuxEx::LoadFile(const std::string& fileName) {
    try {
        StopDemultiplexing();  // the plugin must not go while it extracts
        FWorker->FQlDemux.reset();
        for (const TPluginBaseNames& plugin : kPlugins) {
            auto demux = std::make_shared<TQlDemux>(NamesOf(plugin));
            if (demux->LoadQlDemuxLibrary(FLibraryPath) && demux->LoadFile(fileName)) {
                FWorker->FQlDemux = std::move(demux);
                return true;
            }
        }
        return false;
    } catch (...) {
        Log("dbg: Error in TQlDemuxEx.LoadFile call...");
        return false;
    }
}

bool TQlDemuxEx::UnloadFile() {
    try {
        StopDemultiplexing();
        return FWorker->FQlDemux && FWorker->FQlDemux->UnloadFile();
    } catch (...) {
        Log("dbg: Error in TQlDemuxEx.UnloadFile call...");
        return false;
    }
}

bool TQlDemuxEx::GetStreamsCount(std::int32_t* pCount) {
    try {
        return FWorker->FQlDemux && FWorker->FQlDemux->GetStreamsCount(pCount);
    } catch (...) {
        Log("dbg: Error in TQlDemuxEx.GetStreamsCount call...");
        return false;
    }
}

bool TQlDemuxEx::GetStreamMediaType(std::int32_t nIndex, std::int32_t* pProgramID, std::int32_t* pStreamID,
                                    std::int32_t* pStreamMediaType) {
    try {
        return FWorker->FQlDemux && FWorker->FQlDemux->GetStreamMediaType(nIndex, pProgramID, pStreamID, pStreamMediaType);
    } catch (...) {
        Log("dbg: Error in TQlDemuxEx.GetStreamMediaType call...");
        return false;
    }
}

// ---------------------------------------------------------------- extraction

bool TQlDemuxEx::DemuxStreamToFile(std::int32_t nIndex, const std::string& fileName) {
    try {
        return FWorker->FQlDemux && FWorker->FCommand.load() == kIdle &&
               FWorker->FQlDemux->DemuxStreamToFile(nIndex, fileName);
    } catch (...) {
        Log("dbg: Error in TQlDemuxEx.DemuxStreamToFile call...");
        return false;
    }
}

// A running extraction is stopped first, which also waits until the worker
// is idle: a request written while it was still finishing the last run would
// be overwritten by its idle mark and lost.
bool TQlDemuxEx::StartDemultiplexingStream(std::int32_t nIndex) {
    try {
        StopDemultiplexing();
        TWorker& worker = *FWorker;
        {
            std::lock_guard lock(worker.FCriticalSection);
            worker.FBuffer.Empty();
        }
        FPluginHung = false;
        worker.FDemuxStreamIndex.store(nIndex);
        worker.FExtractionFailed.store(false);
        worker.FEndOfStream.store(false);
        worker.FCommand.store(kRun);  // last: the worker sees a complete request
        return true;
    } catch (...) {
        Log("dbg: Error in TQlDemuxEx.StartDemultiplexingStream call...");
        return false;
    }
}

std::int32_t TQlDemuxEx::ReadData(void* data, std::int32_t size) {
    for (;;) {
        const std::int32_t n = ReadDataFor(data, size, std::chrono::hours(1));
        if (n != kNoDataYet) return n;
    }
}

// The end flag is read before the FIFO: a chunk added just before the end
// was marked is then still found.
std::int32_t TQlDemuxEx::ReadDataFor(void* data, std::int32_t size, milliseconds wait) {
    try {
        if (size <= 0) return 0;
        TWorker& worker = *FWorker;
        const auto giveUp = std::chrono::steady_clock::now() + wait;
        for (;;) {
            const bool ended = worker.FEndOfStream.load();
            {
                std::lock_guard lock(worker.FCriticalSection);
                const std::int64_t available = worker.FBuffer.GetLen();
                if (available > 0) {
                    const auto n = static_cast<std::int32_t>(std::min<std::int64_t>(available, size));
                    std::memcpy(data, worker.FBuffer.GetHead(), static_cast<std::size_t>(n));
                    worker.FBuffer.SetFirst(worker.FBuffer.First() + n);
                    worker.FBuffer.Compact();
                    return n;
                }
            }
            if (ended) return 0;
            if (std::chrono::steady_clock::now() >= giveUp) return kNoDataYet;
            std::this_thread::sleep_for(kFifoPoll);
        }
    } catch (...) {
        Log("dbg: Error in TQlDemuxEx.ReadData call...");
        return 0;
    }
}

std::int64_t TQlDemuxEx::BufferedBytes() {
    std::lock_guard lock(FWorker->FCriticalSection);
    return FWorker->FBuffer.GetLen();
}

bool TQlDemuxEx::StopDemultiplexing() {
    try {
        std::int32_t running = kRun;
        if (!FWorker->FCommand.compare_exchange_strong(running, kStop)) return true;  // idle already
        const bool aborted = FWorker->FQlDemux && FWorker->FQlDemux->AbortDemux(kAbortTimeOutMS);
        if (!WaitUntilIdle()) {
            LeaveHungWorker();
            return false;
        }
        return aborted;
    } catch (...) {
        Log("dbg: Error in TQlDemuxEx.StopDemultiplexing call...");
        return false;
    }
}
