// A demultiplexer plugin for the tests: the seven exports, driven by the
// "container" it is asked to load. That file is a small script:
//
//   FAKEDEMUX
//   accept <plugin file name>      only these copies accept the file (none: all)
//   stream <program> <stream> <media type>
//   chunks <size> <count> [<pause ms>]   what a callback extraction sends
//   stall                          after the chunks, wait until aborted
//   hang                           after the chunks, never return: aborts are
//                                  ignored (a plugin stuck in its extraction)
//   fail <chunks>                  the extraction fails (answers -1) after
//                                  sending this many chunks, as after a read
//                                  error half-way
//   log <path>                     append the calls to this file
//   block <export>                 LoadFile, AbortDemux or DemuxStreamToFile
//                                  waits on entry, ignoring aborts, until the
//                                  test calls FakeDemuxRelease (a plugin that
//                                  does not return from that call)
//
// The bytes of a stream are a counter modulo 251 over the stream offset, so
// that a test can tell every lost, doubled or reordered byte.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <dlfcn.h>
#include <pthread.h>

#include "abi/ql_demux_api.h"

namespace {

struct Stream {
    std::int32_t program = 0;
    std::int32_t id = 0;
    std::int32_t type = 0;
};

struct Script {
    std::vector<std::string> accepted;
    std::vector<Stream> streams;
    std::int64_t chunkSize = 0;
    std::int64_t chunkCount = 0;
    int pauseMs = 0;
    bool stall = false;
    bool hang = false;
    std::int64_t failAfter = -1;
    std::string log;
    std::string blockIn;
};

Script script;
std::atomic<bool> aborted{false};

std::string OwnFileName() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&OwnFileName), &info) == 0 || info.dli_fname == nullptr) return {};
    const std::string path = info.dli_fname;
    return path.substr(path.find_last_of('/') + 1);
}

void Note(const std::string& line) {
    if (script.log.empty()) return;
    std::ofstream(script.log, std::ios::app) << OwnFileName() << ' ' << line << '\n';
}

bool Parse(std::istream& in, Script& parsed) {
    std::string line;
    if (!std::getline(in, line) || line != "FAKEDEMUX") return false;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string word;
        words >> word;
        if (word == "accept") {
            words >> word;
            parsed.accepted.push_back(word);
        } else if (word == "stream") {
            Stream stream;
            words >> stream.program >> stream.id >> stream.type;
            parsed.streams.push_back(stream);
        } else if (word == "chunks") {
            words >> parsed.chunkSize >> parsed.chunkCount >> parsed.pauseMs;
        } else if (word == "fail") {
            words >> parsed.failAfter;
        } else if (word == "stall") {
            parsed.stall = true;
        } else if (word == "hang") {
            parsed.hang = true;
        } else if (word == "log") {
            words >> parsed.log;
        } else if (word == "block") {
            words >> parsed.blockIn;
        }
    }
    return true;
}

bool Accepts(const Script& parsed) {
    if (parsed.accepted.empty()) return true;
    const std::string self = OwnFileName();
    for (const std::string& name : parsed.accepted)
        if (name == self) return true;
    return false;
}

// Plain pthread objects, never destroyed: a thread may still wait here when
// the program ends, and a condition variable destroyed under a waiter blocks
// the exit for good. (An atomic wait would make the copy impossible to
// unload.)
pthread_mutex_t releaseMutex = PTHREAD_MUTEX_INITIALIZER;
pthread_cond_t releaseSignal = PTHREAD_COND_INITIALIZER;
bool released = false;

// Holds the calling thread in the export named until the test releases it.
void BlockIfScripted(const std::string& exportName) {
    if (script.blockIn != exportName) return;
    Note(exportName + " blocks");
    pthread_mutex_lock(&releaseMutex);
    while (!released) pthread_cond_wait(&releaseSignal, &releaseMutex);
    pthread_mutex_unlock(&releaseMutex);
    Note(exportName + " released");
}

std::vector<std::uint8_t> Chunk(std::int64_t offset, std::int64_t size) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    for (std::int64_t i = 0; i < size; ++i) bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>((offset + i) % 251);
    return bytes;
}

}  // namespace

extern "C" {

QL_DEMUX_API int32_t TAMBERLY_STDCALL LoadFile(const char* pFileName) {
    if (pFileName == nullptr) return -1;
    std::ifstream in(pFileName);
    Script parsed;
    if (!in || !Parse(in, parsed) || !Accepts(parsed)) return -1;
    script = parsed;
    BlockIfScripted("LoadFile");
    Note("LoadFile");
    return 0;
}

QL_DEMUX_API int32_t TAMBERLY_STDCALL UnloadFile(void) {
    Note("UnloadFile");
    return 0;
}

QL_DEMUX_API int32_t TAMBERLY_STDCALL GetStreamsCount(int32_t* pCount) {
    if (pCount != nullptr) *pCount = static_cast<int32_t>(script.streams.size());
    return 0;
}

QL_DEMUX_API int32_t TAMBERLY_STDCALL GetStreamMediaType(int32_t nIndex, int32_t* pProgramID, int32_t* pStreamID,
                                                         int32_t* pStreamMediaType) {
    if (nIndex < 0 || static_cast<std::size_t>(nIndex) >= script.streams.size()) return -1;
    if (pProgramID == nullptr || pStreamID == nullptr || pStreamMediaType == nullptr) return -1;
    const Stream& stream = script.streams[static_cast<std::size_t>(nIndex)];
    *pProgramID = stream.program;
    *pStreamID = stream.id;
    *pStreamMediaType = stream.type;
    return 0;
}

QL_DEMUX_API int32_t TAMBERLY_STDCALL DemuxStreamToFile(int32_t /*nIndex*/, const char* pFileName) {
    aborted = false;
    BlockIfScripted("DemuxStreamToFile");
    std::ofstream out(pFileName, std::ios::binary);
    for (std::int64_t i = 0; i < script.chunkCount && !aborted; ++i) {
        if (i == script.failAfter) return -1;
        const auto bytes = Chunk(i * script.chunkSize, script.chunkSize);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (script.pauseMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(script.pauseMs));
    }
    Note(aborted ? "DemuxStreamToFile ends aborted" : "DemuxStreamToFile ends");
    return 0;
}

QL_DEMUX_API int32_t TAMBERLY_STDCALL DemuxStreamCallBack(int32_t /*nIndex*/, ql_demux_send_data_fn pfnSendData,
                                                          void* pSendCallbackOwner) {
    aborted = false;
    Note("DemuxStreamCallBack begins");
    for (std::int64_t i = 0; i < script.chunkCount && !aborted; ++i) {
        if (i == script.failAfter) {
            Note("DemuxStreamCallBack fails");
            return -1;
        }
        const auto bytes = Chunk(i * script.chunkSize, script.chunkSize);
        pfnSendData(pSendCallbackOwner, bytes.data(), static_cast<int32_t>(bytes.size()));
        if (script.pauseMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(script.pauseMs));
    }
    while (script.hang) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (script.stall && !aborted && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    Note(aborted ? "DemuxStreamCallBack ends aborted" : "DemuxStreamCallBack ends");
    return 0;
}

#ifndef FAKE_DEMUX_WITHOUT_ABORT
QL_DEMUX_API int32_t TAMBERLY_STDCALL AbortDemux(int32_t /*nTimeOutMS*/) {
    BlockIfScripted("AbortDemux");
    aborted = true;
    Note("AbortDemux");
    return 0;
}
#endif

// Not a plugin export: lets every call held by "block" go on.
QL_DEMUX_API void TAMBERLY_STDCALL FakeDemuxRelease(void) {
    pthread_mutex_lock(&releaseMutex);
    released = true;
    pthread_cond_broadcast(&releaseSignal);
    pthread_mutex_unlock(&releaseMutex);
}

}  // extern "C"
