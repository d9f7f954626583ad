#include "viewer/media/QlDemuxEx.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <utility>

#include "platform/debug_output.h"

namespace {

using std::chrono::milliseconds;

constexpr milliseconds kExitPoll{1};
constexpr milliseconds kFifoPoll{10};
constexpr milliseconds kStopPoll{100};
constexpr std::int32_t kAbortTimeOutMS = 1000;
constexpr int kStopPollsPerAbort = 10;

using platform::OutputDebugLine;

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
    : TQlDemuxEx(std::move(libraryPath), TPluginTimeOuts{stopTimeOut}) {}

TQlDemuxEx::TQlDemuxEx(std::string libraryPath, TPluginTimeOuts timeOuts)
    : FLibraryPath(std::move(libraryPath)), FTimeOuts(timeOuts) {
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
        ReleasePlugin();
    } catch (...) {
        OutputDebugLine("dbg: Error in TQlDemuxEx.Destroy call...");
    }
}

// The abort runs on a thread of its own, so that a plugin that never
// returns from it holds that thread instead of the caller.
TPluginCallResult<bool> TQlDemuxEx::AbortWithin(TDeadline deadline) {
    std::shared_ptr<TQlDemux> demux = FWorker->FQlDemux;
    if (!demux) return {true, false};
    const auto left = std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
    return CallPluginWithin<bool>(std::max(left, milliseconds{0}),
                                  [demux = std::move(demux)] { return demux->AbortDemux(kAbortTimeOutMS); });
}

// An abort that reaches the plugin just before its extraction has begun may
// be missed by an older plugin; asking again every second makes sure the
// extraction still ends. False when the worker is still busy at the
// deadline or a repeated abort has not returned by then.
bool TQlDemuxEx::WaitUntilIdle(TDeadline deadline) {
    for (int step = 1; FWorker->FCommand.load() != kIdle; ++step) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) return false;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(kStopPoll, deadline - now));
        if (step % kStopPollsPerAbort == 0 && !AbortWithin(deadline).returned) return false;
    }
    return true;
}

// The worker stays inside the plugin: it keeps its own share of the state
// and of the plugin, and leaves its loop once the plugin returns. The reader
// goes on with a new worker and without a file.
void TQlDemuxEx::LeaveHungWorker() {
    OutputDebugLine("dbg: TQlDemuxEx - the plugin did not stop; it is left running.");
    GiveUpOnPlugin(FWorker->FQlDemux);
    FWorker->FExitEvent.Set();
    FThread.detach();
    StartWorker();
}

void TQlDemuxEx::GiveUpOnPlugin(std::shared_ptr<TQlDemux> demux) {
    FPluginHung = true;
    KeepPluginLoadedForGood(std::move(demux));
}

// Only while the worker is idle. A plugin that does not let go within the
// call time-out finishes its own release later (see ReleasePluginWithin).
void TQlDemuxEx::ReleasePlugin() {
    if (!ReleasePluginWithin(FTimeOuts.Call, std::move(FWorker->FQlDemux))) {
        OutputDebugLine("dbg: TQlDemuxEx - the plugin did not unload its file; it is left running.");
        FPluginHung = true;
    }
    FWorker->FQlDemux.reset();
}

// A call into the loaded plugin, made only while the worker is idle. When
// the plugin does not return in time the reader gives it up: the file is
// no longer the reader's.
template <class Result, class Call>
TPluginCallResult<Result> TQlDemuxEx::CallLoadedPlugin(Call call) {
    std::shared_ptr<TQlDemux> demux = FWorker->FQlDemux;
    if (!demux) return {true, Result{}};
    auto result = CallPluginWithin<Result>(FTimeOuts.Call, [demux, call = std::move(call)] { return call(*demux); });
    if (!result.returned) {
        OutputDebugLine("dbg: TQlDemuxEx - the plugin did not answer; it is left running.");
        GiveUpOnPlugin(std::move(FWorker->FQlDemux));
        FWorker->FQlDemux.reset();
    }
    return result;
}

// ---------------------------------------------------------------- worker

void TQlDemuxEx::TWorker::Execute() {
    try {
        while (!FExitEvent.WaitFor(kExitPoll)) {
            if (FCommand.load() != kIdle) RunExtraction();
        }
    } catch (...) {
        OutputDebugLine("dbg: Error in TQlDemuxEx.Execute call...");
    }
}

// A stop that arrives before the worker has seen the request skips the
// plugin call but still hands the command back, so the stopper never waits
// for a worker that will not answer.
void TQlDemuxEx::TWorker::RunExtraction() {
    const std::int32_t command = FCommand.load();
    if (command == kRun && FQlDemux)
        FExtractionFailed.store(!FQlDemux->DemuxStreamCallBack(FDemuxStreamIndex.load(), SendDataFunc, this));
    else if (command == kRunToFile && FQlDemux)
        FExtractionFailed.store(!FQlDemux->DemuxStreamToFile(FDemuxStreamIndex.load(), FOutputFileName));
    FEndOfStream.store(true);
    FCommand.store(kIdle);
}

std::int32_t TAMBERLY_STDCALL TQlDemuxEx::SendDataFunc(void* pOwner, const void* pData, std::int32_t nSize) {
    try {
        return static_cast<TWorker*>(pOwner)->Send(pData, nSize);
    } catch (...) {
        OutputDebugLine("dbg: Error in SendDataFunc call...");
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
        FPluginHung = false;
        StopDemultiplexing();  // the plugin must not go while it extracts
        ReleasePlugin();
        for (const TPluginBaseNames& plugin : kPlugins) {
            auto demux = std::make_shared<TQlDemux>(NamesOf(plugin));
            const auto loaded = CallPluginWithin<bool>(FTimeOuts.Call, [demux, path = FLibraryPath, fileName] {
                return demux->LoadQlDemuxLibrary(path) && demux->LoadFile(fileName);
            });
            if (!loaded.returned) {
                OutputDebugLine("dbg: TQlDemuxEx - the plugin did not load the file; it is left running.");
                GiveUpOnPlugin(std::move(demux));
                return false;
            }
            if (loaded.value) {
                FWorker->FQlDemux = std::move(demux);
                return true;
            }
            if (!ReleasePluginWithin(FTimeOuts.Call, std::move(demux))) {
                FPluginHung = true;
                return false;
            }
        }
        return false;
    } catch (...) {
        OutputDebugLine("dbg: Error in TQlDemuxEx.LoadFile call...");
        return false;
    }
}

bool TQlDemuxEx::UnloadFile() {
    try {
        StopDemultiplexing();
        return FWorker->FQlDemux && CallLoadedPlugin<bool>([](TQlDemux& demux) { return demux.UnloadFile(); }).value;
    } catch (...) {
        OutputDebugLine("dbg: Error in TQlDemuxEx.UnloadFile call...");
        return false;
    }
}

bool TQlDemuxEx::GetStreamsCount(std::int32_t* pCount) {
    try {
        if (pCount == nullptr || FWorker->FCommand.load() != kIdle) return false;
        // The answer comes back by value: a call given up on must not write
        // into the caller's variables later.
        const auto answer = CallLoadedPlugin<std::pair<bool, std::int32_t>>([](TQlDemux& demux) {
            std::int32_t count = 0;
            const bool ok = demux.GetStreamsCount(&count);
            return std::pair{ok, count};
        });
        if (answer.value.first) *pCount = answer.value.second;
        return answer.value.first;
    } catch (...) {
        OutputDebugLine("dbg: Error in TQlDemuxEx.GetStreamsCount call...");
        return false;
    }
}

bool TQlDemuxEx::GetStreamMediaType(std::int32_t nIndex, std::int32_t* pProgramID, std::int32_t* pStreamID,
                                    std::int32_t* pStreamMediaType) {
    try {
        if (pProgramID == nullptr || pStreamID == nullptr || pStreamMediaType == nullptr) return false;
        if (FWorker->FCommand.load() != kIdle) return false;
        struct TAnswer {
            bool ok = false;
            std::int32_t program = 0, stream = 0, type = 0;
        };
        const auto answer = CallLoadedPlugin<TAnswer>([nIndex](TQlDemux& demux) {
            TAnswer a;
            a.ok = demux.GetStreamMediaType(nIndex, &a.program, &a.stream, &a.type);
            return a;
        }).value;
        if (!answer.ok) return false;
        *pProgramID = answer.program;
        *pStreamID = answer.stream;
        *pStreamMediaType = answer.type;
        return true;
    } catch (...) {
        OutputDebugLine("dbg: Error in TQlDemuxEx.GetStreamMediaType call...");
        return false;
    }
}

// ---------------------------------------------------------------- extraction

bool TQlDemuxEx::DemuxStreamToFile(std::int32_t nIndex, const std::string& fileName, const TFileProgress& progress) {
    try {
        TWorker& worker = *FWorker;
        if (!worker.FQlDemux || worker.FCommand.load() != kIdle) return false;
        FPluginHung = false;
        worker.FDemuxStreamIndex.store(nIndex);
        worker.FOutputFileName = fileName;
        worker.FExtractionFailed.store(false);
        worker.FCommand.store(kRunToFile);  // last: the worker sees a complete request
        return WaitForFileExtraction(fileName, progress) && !worker.FExtractionFailed.load();
    } catch (...) {
        OutputDebugLine("dbg: Error in TQlDemuxEx.DemuxStreamToFile call...");
        return false;
    }
}

// Waits while the worker extracts into fileName, the output growing or the
// plugin still within the stall time-out. False when the extraction was
// stopped: by progress or because it stalled.
bool TQlDemuxEx::WaitForFileExtraction(const std::string& fileName, const TFileProgress& progress) {
    std::int64_t lastSize = -1;
    auto lastGrowth = std::chrono::steady_clock::now();
    while (FWorker->FCommand.load() != kIdle) {
        std::this_thread::sleep_for(kFifoPoll);
        std::error_code error;
        const auto size = std::filesystem::file_size(fileName, error);
        const std::int64_t now = error ? 0 : static_cast<std::int64_t>(size);
        if (now != lastSize) {
            lastSize = now;
            lastGrowth = std::chrono::steady_clock::now();
        }
        const bool stalled = std::chrono::steady_clock::now() - lastGrowth >= FTimeOuts.Stall;
        if (stalled)
            OutputDebugLine("dbg: TQlDemuxEx - the file extraction wrote nothing for too long; it is stopped.");
        if (stalled || (progress && !progress(now))) {
            StopDemultiplexing();
            return false;
        }
    }
    return true;
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
        OutputDebugLine("dbg: Error in TQlDemuxEx.StartDemultiplexingStream call...");
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
        OutputDebugLine("dbg: Error in TQlDemuxEx.ReadData call...");
        return 0;
    }
}

std::int64_t TQlDemuxEx::BufferedBytes() {
    std::lock_guard lock(FWorker->FCriticalSection);
    return FWorker->FBuffer.GetLen();
}

bool TQlDemuxEx::StopDemultiplexing() {
    try {
        for (std::int32_t running : {kRun, kRunToFile})
            if (FWorker->FCommand.compare_exchange_strong(running, kStop)) return StopRunning();
        return true;  // idle already
    } catch (...) {
        OutputDebugLine("dbg: Error in TQlDemuxEx.StopDemultiplexing call...");
        return false;
    }
}

// The abort and the wait for the worker share one deadline.
bool TQlDemuxEx::StopRunning() {
    const TDeadline deadline = std::chrono::steady_clock::now() + FTimeOuts.Stop;
    const TPluginCallResult<bool> aborted = AbortWithin(deadline);
    if (!aborted.returned || !WaitUntilIdle(deadline)) {
        LeaveHungWorker();
        return false;
    }
    return aborted.value;
}
