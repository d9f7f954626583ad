// ql_demux_mxf: the demultiplexer plugin for MXF files. It keeps one
// connection to the core demultiplexer demo_demux_mxf, lists the file's
// tracks as program 0, and extracts one track at a time into the plain file
// sink or into the counting sink that forwards each chunk to the host.
// After every extraction it opens the file again.

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "abi/ql_demux_api.h"
#include "cores/demo_demux_mxf/demo_demux_mxf.h"
#include "platform/debug_output.h"
#include "plugins/common/counting_sink.h"
#include "plugins/common/file_sink.h"

// ---- declarations ----

namespace {

struct StreamEntry {
    std::int32_t program;     // always 0: MXF files have no programs
    std::int32_t stream;      // the track's position in the file
    std::int32_t media_type;  // 0 when the format query failed
};

enum AbortState : std::int32_t { kRunning = 0, kAbortRequested = 1, kAbortHonoured = 2 };

using WriteBytesFn = std::uint32_t(TAMBERLY_CDECL*)(bufstream*, const std::uint8_t*, std::uint32_t);

// The plugin serves one file at a time: one connection per loaded library.
// The abort state and the send function are written by AbortDemux on
// another thread while an extraction reads them.
struct Connection {
    mxf_demux* instance = nullptr;       // null when no connection is open
    mxf_demux_parser* parser = nullptr;  // null outside an extraction
    bufstream* sink = nullptr;           // null outside an extraction
    StreamEntry streams[QL_DEMUX_MAX_STREAMS] = {};
    std::int32_t count = 0;
    char file_name[QL_DEMUX_MAX_PATH + 1] = {};
    std::atomic<std::int32_t> abort_state{kRunning};
    std::atomic<ql_demux_send_data_fn> send{nullptr};
    void* send_owner = nullptr;
    WriteBytesFn counting_write_bytes = nullptr;  // the counting sink's own slot
};

Connection connection;

// The lines an extraction writes, one set per export; null where the step
// fails without a line.
struct ExtractionLines {
    const char* no_demuxer;
    const char* wrong_index;
    const char* no_parser;
    const char* no_stream;
    const char* no_seek;
    const char* write_error;
};

constexpr ExtractionLines kToFileLines = {
    "Error: no demuxer connected\n",
    "Error in mxf_demux_to_file - wrong stream index\n",
    "Unable to create new parser\n",
    "Unable to add stream.\n",
    "Unable to seek on start position.\n",
    "Error in mxf_demux_to_file - write error.\n",
};

constexpr ExtractionLines kCallbackLines = {
    "Error in mxf_demux_callback - no demuxer connected.\n",
    "Error in mxf_demux_callback - wrong stream index.\n",
    "Unable to create new parser [mxf_demux_callback].\n",
    "Unable to add stream [mxf_demux_callback].\n",
    "Unable to seek on start position [mxf_demux_callback].\n",
    "Error in mxf_demux_callback - write error.\n",
};

constexpr auto kAbortWait = std::chrono::milliseconds(500);

std::int32_t initialize_mxf_demux(const char* file_name);
void reopen_mxf_demux();
bool mxf_stream_enum();
bool mxf_stream_info(std::int32_t stream, std::int32_t& media_type);
void mxf_demux_to_file(std::int32_t index, const char* file_name);
void mxf_demux_callback(std::int32_t index);
void request_abort();
void close_mxf_demux();

}  // namespace

// ---- exports ----

extern "C" {

QL_DEMUX_API std::int32_t TAMBERLY_STDCALL LoadFile(const char* pFileName) {
    const std::size_t length = pFileName != nullptr ? strnlen(pFileName, QL_DEMUX_MAX_PATH + 1) : 0;
    if (pFileName == nullptr || length > QL_DEMUX_MAX_PATH) {
        close_mxf_demux();
        connection.count = 0;
        connection.file_name[0] = '\0';
        platform::OutputDebugLineF("Error in LoadFile - invalid file name.\n");
        return -1;
    }
    return initialize_mxf_demux(pFileName);
}

QL_DEMUX_API std::int32_t TAMBERLY_STDCALL UnloadFile(void) {
    close_mxf_demux();
    return 0;
}

QL_DEMUX_API std::int32_t TAMBERLY_STDCALL GetStreamsCount(std::int32_t* pCount) {
    if (pCount != nullptr) *pCount = connection.count;
    return 0;
}

// Unlike the MPEG-2 plugin, a failed query leaves the connection open.
QL_DEMUX_API std::int32_t TAMBERLY_STDCALL GetStreamMediaType(std::int32_t nIndex, std::int32_t* pProgramID,
                                                              std::int32_t* pStreamID,
                                                              std::int32_t* pStreamMediaType) {
    if (pProgramID == nullptr || pStreamID == nullptr || pStreamMediaType == nullptr) {
        platform::OutputDebugLineF("Error in GetStreamMediaType - invalid argument\n");
        return -1;
    }
    if (nIndex < 0 || nIndex >= connection.count) {
        platform::OutputDebugLineF("Error in GetStreamMediaType - wrong stream index\n");
        return -1;
    }
    const StreamEntry& entry = connection.streams[nIndex];
    *pProgramID = entry.program;
    *pStreamID = entry.stream;
    std::int32_t media_type = 0;
    if (!mxf_stream_info(entry.stream, media_type)) {
        platform::OutputDebugLineF("Error in GetStreamMediaType - mxf_stream_info call...\n");
        return -1;
    }
    *pStreamMediaType = media_type;
    return 0;
}

QL_DEMUX_API std::int32_t TAMBERLY_STDCALL DemuxStreamToFile(std::int32_t nIndex, const char* pFileName) {
    connection.abort_state = kRunning;
    mxf_demux_to_file(nIndex, pFileName);
    close_mxf_demux();
    reopen_mxf_demux();
    return 0;
}

QL_DEMUX_API std::int32_t TAMBERLY_STDCALL DemuxStreamCallBack(std::int32_t nIndex,
                                                               ql_demux_send_data_fn pfnSendData,
                                                               void* pSendCallbackOwner) {
    connection.send = pfnSendData;
    connection.send_owner = pSendCallbackOwner;
    connection.abort_state = kRunning;
    mxf_demux_callback(nIndex);
    close_mxf_demux();
    reopen_mxf_demux();
    return 0;
}

QL_DEMUX_API std::int32_t TAMBERLY_STDCALL AbortDemux(std::int32_t /*nTimeOutMS*/) {
    request_abort();
    return 0;
}

}  // extern "C"

namespace {

// ---- opening ----

std::int32_t initialize_mxf_demux(const char* file_name) {
    close_mxf_demux();  // a file loaded before is let go, not leaked
    std::memset(connection.file_name, 0, sizeof connection.file_name);
    std::strncpy(connection.file_name, file_name, QL_DEMUX_MAX_PATH);
    std::memset(connection.streams, 0, sizeof connection.streams);
    connection.count = 0;
    const mxf_demux_options options{};
    mxf_demux_settings settings{};
    settings.essence_tracks = 1;
    connection.instance = mxfDemuxCreate(nullptr, &options, &settings);
    if (connection.instance == nullptr) {
        platform::OutputDebugLineF("Unable create a MXF demuxer instance.\n");
        close_mxf_demux();
        return -1;
    }
    if (mxfDemuxOpen(connection.instance, 0, connection.file_name) != 0) {
        close_mxf_demux();
        return -1;
    }
    if (!mxf_stream_enum()) {
        platform::OutputDebugLineF("Error in initialize_mxf_demux - mxf_stream_enum call...\n");
        close_mxf_demux();
        return -1;
    }
    return 0;
}

// Opens the same file again so that the host can extract once more. A
// failure leaves the plugin without a connection.
void reopen_mxf_demux() {
    char file_name[sizeof connection.file_name];
    std::memcpy(file_name, connection.file_name, sizeof file_name);
    (void)initialize_mxf_demux(file_name);
}

// ---- enumeration ----

// Lists the tracks as program 0, at most as many as the table holds. A
// track whose format cannot be read is listed with type 0.
bool mxf_stream_enum() {
    if (connection.instance == nullptr) {
        platform::OutputDebugLineF("Error in mxf_stream_enum - no demuxer connected.\n");
        return false;
    }
    mxf_file_info file_info{};
    if (mxfDemuxGetFileInfo(connection.instance, &file_info) != 0) {
        platform::OutputDebugLineF("Error in mxf_stream_enum - mxfDemuxGetFileInfo call...\n");
        return false;
    }
    const std::int32_t count = file_info.stream_count < 0 ? 0 : file_info.stream_count;
    connection.count = count < QL_DEMUX_MAX_STREAMS ? count : QL_DEMUX_MAX_STREAMS;
    for (std::int32_t stream = 0; stream < connection.count; ++stream) {
        std::int32_t media_type = 0;
        if (!mxf_stream_info(stream, media_type)) {
            platform::OutputDebugLineF("Error in mxf_stream_enum - mxf_stream_info call...\n");
            media_type = 0;
        }
        connection.streams[stream] = {0, stream, media_type};
    }
    return true;
}

bool mxf_stream_info(std::int32_t stream, std::int32_t& media_type) {
    if (connection.instance == nullptr) {
        platform::OutputDebugLineF("Error in mxf_stream_info - no demuxer connected\n");
        return false;
    }
    mxf_stream_format format{};
    if (mxfDemuxGetStreamFormat(connection.instance, &format, stream) != 0) {
        platform::OutputDebugLineF("Unable to get stream format for stream %d\n", stream);
        return false;
    }
    media_type = static_cast<std::int32_t>(format.media_type);
    return true;
}

// ---- extraction ----

// Writes a line (when there is one) and closes the connection; the
// extraction ends.
void Fail(const char* line) {
    if (line != nullptr) platform::OutputDebugLineF("%s", line);
    close_mxf_demux();
}

// Adds the track with the sink already made, seeks and runs the push loop.
// An abort request is honoured after the next push that has more to do.
void run_extraction(const StreamEntry& entry, const ExtractionLines& lines) {
    mxf_stream_selection selection{};
    selection.stream = entry.stream;
    selection.output = connection.sink;
    if (mxfDemuxAddStream(connection.instance, connection.parser, &selection) != 0) return Fail(lines.no_stream);
    if (mxfDemuxSeek(connection.instance, connection.parser, 0, 0) != 0) return Fail(lines.no_seek);
    for (;;) {
        const std::int32_t result = mxfDemuxPush(connection.instance, connection.parser);
        if (result < 0) return Fail(lines.write_error);
        if (result == 0) return;
        std::int32_t requested = kAbortRequested;
        if (connection.abort_state.compare_exchange_strong(requested, kAbortHonoured)) return;
    }
}

// Checks the connection and the index and creates the parser; the entry to
// extract, or null.
const StreamEntry* prepared_entry(std::int32_t index, const ExtractionLines& lines) {
    if (connection.instance == nullptr) {
        platform::OutputDebugLineF("%s", lines.no_demuxer);
        return nullptr;
    }
    if (index < 0 || index >= connection.count) {
        Fail(lines.wrong_index);
        return nullptr;
    }
    const mxf_parser_settings settings{};
    connection.parser = mxfDemuxCreateParser(connection.instance, &settings);
    if (connection.parser == nullptr) {
        Fail(lines.no_parser);
        return nullptr;
    }
    return &connection.streams[index];
}

// Every track goes out raw through the plain file sink, PCM included.
void mxf_demux_to_file(std::int32_t index, const char* file_name) {
    const StreamEntry* entry = prepared_entry(index, kToFileLines);
    if (entry == nullptr) return;
    connection.sink = sinks::CreateFileSink(file_name);
    if (connection.sink == nullptr) return Fail(nullptr);
    run_extraction(*entry, kToFileLines);
}

// The counting sink's write_bytes slot, replaced for callback extraction:
// the chunk goes to the host while a send function is set, then the
// counting sink counts it.
std::uint32_t TAMBERLY_CDECL forward_write_bytes(bufstream* bs, const std::uint8_t* data, std::uint32_t n) {
    const ql_demux_send_data_fn send = connection.send;
    if (send != nullptr) (void)send(connection.send_owner, data, static_cast<std::int32_t>(n));
    return connection.counting_write_bytes(bs, data, n);
}

void mxf_demux_callback(std::int32_t index) {
    const StreamEntry* entry = prepared_entry(index, kCallbackLines);
    if (entry == nullptr) return;
    connection.sink = sinks::CreateCountingSink();
    if (connection.sink == nullptr) return Fail(nullptr);
    connection.counting_write_bytes = connection.sink->write_bytes;
    connection.sink->write_bytes = &forward_write_bytes;
    run_extraction(*entry, kCallbackLines);
}

// ---- abort ----

// No chunk reaches the host once the send function is cleared; the
// extracting thread sees the request after its next push.
void request_abort() {
    connection.send = nullptr;
    connection.abort_state = kAbortRequested;
    std::this_thread::sleep_for(kAbortWait);
}

// ---- closing ----

// Frees the parser and the instance, then finishes and releases the sink,
// which flushes the output file. The stream table stays.
void close_mxf_demux() {
    if (connection.parser != nullptr) mxfDemuxFreeParser(connection.instance, connection.parser);
    connection.parser = nullptr;
    if (connection.instance != nullptr) mxfDemuxFree(connection.instance);
    connection.instance = nullptr;
    if (connection.sink != nullptr) {
        connection.sink->finish(connection.sink, 0);
        connection.sink->release(connection.sink);
    }
    connection.sink = nullptr;
}

}  // namespace
