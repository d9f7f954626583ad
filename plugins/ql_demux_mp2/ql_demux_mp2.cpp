// ql_demux_mp2: the demultiplexer plugin for MPEG-2 program and transport
// streams. It keeps one connection to the core demultiplexer
// demo_demux_mp2, lists the file's streams program by program, and extracts
// one stream at a time into a sink: the WAV sink for the PCM kinds, the file
// sink for everything else, or the counting sink that forwards each chunk to
// the host. After every extraction it opens the file again.

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "abi/media_types.h"
#include "abi/ql_demux_api.h"
#include "cores/demo_demux_mp2/demo_demux_mp2.h"
#include "platform/debug_output.h"
#include "plugins/common/counting_sink.h"
#include "plugins/common/file_sink.h"
#include "plugins/common/wav_sink.h"

// ---- declarations ----

namespace {

struct StreamEntry {
    std::int32_t program;     // 0-based position of the program in the file
    std::int32_t stream;      // 0-based position of the stream in its program
    std::int32_t media_type;  // 0 when the format query failed
};

enum AbortState : std::int32_t { kRunning = 0, kAbortRequested = 1, kAbortHonoured = 2 };

using WriteBytesFn = std::uint32_t(TAMBERLY_CDECL*)(bufstream*, const std::uint8_t*, std::uint32_t);

// The plugin serves one file at a time: one connection per loaded library.
// The abort state and the send function are written by AbortDemux on
// another thread while an extraction reads them.
struct Connection {
    mp2_demux* instance = nullptr;       // null when no connection is open
    mp2_demux_parser* parser = nullptr;  // null outside an extraction
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

// The lines an extraction writes, one set per export.
struct ExtractionLines {
    const char* no_demuxer;
    const char* wrong_index;
    const char* no_sink;
    const char* no_parser;
    const char* no_stream;
    const char* no_seek;
    const char* write_error;
};

constexpr ExtractionLines kToFileLines = {
    "Error: no demuxer connected\n",
    "Error in mp2_demux_to_file - wrong stream index\n",
    "Unable to create an output bufstream.\n",
    "Unable to create file parser.\n",
    "Unable to set the stream in the parser.\n",
    "Unable to seek to the beginning of the file.\n",
    "Error in mp2_demux_to_file - write error.\n",
};

constexpr ExtractionLines kCallbackLines = {
    "Error in mp2_demux_callback - no demuxer connected.\n",
    "Error in mp2_demux_callback - wrong stream index\n",
    "Unable to create an output bufstream [mp2_demux_callback].\n",
    "Unable to create file parser [mp2_demux_callback].\n",
    "Unable to set the stream in the parser [mp2_demux_callback].\n",
    "Unable to seek to the beginning of the file [mp2_demux_callback].\n",
    "Error in mp2_demux_callback - write error.\n",
};

constexpr auto kAbortWait = std::chrono::milliseconds(500);

std::int32_t initialize_mp2_demux(const char* file_name);
void reopen_mp2_demux();
bool mp2_stream_enum();
bool mp2_stream_info(std::int32_t program, std::int32_t stream, std::int32_t& media_type);
void mp2_demux_to_file(std::int32_t index, const char* file_name);
void mp2_demux_callback(std::int32_t index);
void request_abort();
void close_mp2_demux();

}  // namespace

// ---- exports ----

extern "C" {

QL_DEMUX_API std::int32_t TAMBERLY_STDCALL LoadFile(const char* pFileName) {
    const std::size_t length = pFileName != nullptr ? strnlen(pFileName, QL_DEMUX_MAX_PATH + 1) : 0;
    if (pFileName == nullptr || length > QL_DEMUX_MAX_PATH) {
        close_mp2_demux();
        connection.count = 0;
        connection.file_name[0] = '\0';
        platform::OutputDebugLineF("Error in LoadFile - invalid file name.\n");
        return -1;
    }
    return initialize_mp2_demux(pFileName);
}

QL_DEMUX_API std::int32_t TAMBERLY_STDCALL UnloadFile(void) {
    close_mp2_demux();
    return 0;
}

QL_DEMUX_API std::int32_t TAMBERLY_STDCALL GetStreamsCount(std::int32_t* pCount) {
    if (pCount != nullptr) *pCount = connection.count;
    return 0;
}

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
    if (!mp2_stream_info(entry.program, entry.stream, media_type)) {
        platform::OutputDebugLineF("Error in GetStreamMediaType - mp2_stream_info call...\n");
        return -1;
    }
    *pStreamMediaType = media_type;
    return 0;
}

QL_DEMUX_API std::int32_t TAMBERLY_STDCALL DemuxStreamToFile(std::int32_t nIndex, const char* pFileName) {
    connection.abort_state = kRunning;
    mp2_demux_to_file(nIndex, pFileName);
    close_mp2_demux();
    reopen_mp2_demux();
    return 0;
}

QL_DEMUX_API std::int32_t TAMBERLY_STDCALL DemuxStreamCallBack(std::int32_t nIndex,
                                                               ql_demux_send_data_fn pfnSendData,
                                                               void* pSendCallbackOwner) {
    connection.send = pfnSendData;
    connection.send_owner = pSendCallbackOwner;
    connection.abort_state = kRunning;
    mp2_demux_callback(nIndex);
    close_mp2_demux();
    reopen_mp2_demux();
    return 0;
}

QL_DEMUX_API std::int32_t TAMBERLY_STDCALL AbortDemux(std::int32_t /*nTimeOutMS*/) {
    request_abort();
    return 0;
}

}  // extern "C"

namespace {

// ---- opening ----

std::int32_t initialize_mp2_demux(const char* file_name) {
    close_mp2_demux();  // a file loaded before is let go, not leaked
    std::memset(connection.file_name, 0, sizeof connection.file_name);
    std::strncpy(connection.file_name, file_name, QL_DEMUX_MAX_PATH);
    std::memset(connection.streams, 0, sizeof connection.streams);
    connection.count = 0;
    const mp2_demux_options options{};
    const mp2_demux_settings settings{};
    connection.instance = mp2DemuxCreate(nullptr, &options, &settings);
    if (connection.instance == nullptr) {
        platform::OutputDebugLineF("Unable to create a MP2 demuxer instance.\n");
        close_mp2_demux();
        return -1;
    }
    if (mp2DemuxOpen(connection.instance, 0, connection.file_name) != 0) {
        close_mp2_demux();
        return -1;
    }
    if (!mp2_stream_enum()) {
        platform::OutputDebugLineF("Error in initialize_mp2_demux - mp2_stream_enum call...\n");
        close_mp2_demux();
        return -1;
    }
    return 0;
}

// Opens the same file again so that the host can extract once more. A
// failure leaves the plugin without a connection.
void reopen_mp2_demux() {
    char file_name[sizeof connection.file_name];
    std::memcpy(file_name, connection.file_name, sizeof file_name);
    (void)initialize_mp2_demux(file_name);
}

// ---- enumeration ----

// Records one stream; false once the table is full, which fails the file.
bool add_stream(std::int32_t program, std::int32_t stream) {
    std::int32_t media_type = 0;
    if (!mp2_stream_info(program, stream, media_type)) {
        platform::OutputDebugLineF("Error in mp2_stream_enum - mp2_stream_info call...\n");
        media_type = 0;
    }
    connection.streams[connection.count] = {program, stream, media_type};
    connection.count += 1;
    if (connection.count == QL_DEMUX_MAX_STREAMS) {
        platform::OutputDebugLineF("Warning: Video file streams count exceeds or equals %d.\n", QL_DEMUX_MAX_STREAMS);
        return false;
    }
    return true;
}

// Lists the streams program by program. A failed format query closes the
// connection: the rest of that program is recorded with type 0 and the
// enumeration fails, as nothing more can be asked without an instance.
bool mp2_stream_enum() {
    if (connection.instance == nullptr) {
        platform::OutputDebugLineF("Error in mp2_stream_enum - no demuxer connected.\n");
        return false;
    }
    mp2_file_info file_info{};
    if (mp2DemuxGetFileInfo(connection.instance, &file_info) != 0) {
        platform::OutputDebugLineF("Error in mp2_stream_enum - mp2DemuxGetFileInfo call...");
        close_mp2_demux();
        return false;
    }
    for (std::int32_t program = 0; program < file_info.program_count; ++program) {
        if (connection.instance == nullptr) return false;
        mp2_program_info program_info{};
        if (mp2DemuxGetProgramInfo(connection.instance, &program_info, program) != 0) {
            platform::OutputDebugLineF("Error in mp2_stream_enum - mp2DemuxGetProgramInfo call...");
            close_mp2_demux();
            return false;
        }
        for (std::int32_t stream = 0; stream < program_info.stream_count; ++stream) {
            if (!add_stream(program, stream)) return false;
        }
    }
    return connection.instance != nullptr;
}

bool mp2_stream_info(std::int32_t program, std::int32_t stream, std::int32_t& media_type) {
    if (connection.instance == nullptr) {
        platform::OutputDebugLineF("Error in mp2_stream_info - no demuxer connected\n");
        return false;
    }
    mp2_stream_format format{};
    if (mp2DemuxGetStreamFormat(connection.instance, &format, program, stream) != 0) {
        platform::OutputDebugLineF("Error in mp2_stream_info - mp2DemuxGetStreamFormat call...\n");
        close_mp2_demux();
        return false;
    }
    media_type = static_cast<std::int32_t>(format.media_type);
    return true;
}

// ---- extraction ----

bool IsWavKind(std::int32_t media_type) {
    return media_type == QL_MEDIA_DVD_LPCM_AUDIO || media_type == QL_MEDIA_HDMV_LPCM_AUDIO ||
           media_type == QL_MEDIA_AES302M_AUDIO;
}

// Writes a line and closes the connection; the extraction ends.
void Fail(const char* line) {
    platform::OutputDebugLineF("%s", line);
    close_mp2_demux();
}

// Parser, stream, seek and the push loop, with the sink already made. An
// abort request is honoured after the next push that has more to do.
void run_extraction(const StreamEntry& entry, const ExtractionLines& lines) {
    const mp2_parser_settings settings{};
    connection.parser = mp2DemuxCreateParser(connection.instance, &settings);
    if (connection.parser == nullptr) return Fail(lines.no_parser);
    mp2_stream_selection selection{};
    selection.program = entry.program;
    selection.stream = entry.stream;
    selection.output = connection.sink;
    if (mp2DemuxSetStream(connection.instance, connection.parser, &selection) != 0) return Fail(lines.no_stream);
    if (mp2DemuxSeek(connection.instance, connection.parser, 0, 0) != 0) return Fail(lines.no_seek);
    for (;;) {
        const std::int32_t result = mp2DemuxPush(connection.instance, connection.parser);
        if (result < 0) return Fail(lines.write_error);
        if (result == 0) return;
        std::int32_t requested = kAbortRequested;
        if (connection.abort_state.compare_exchange_strong(requested, kAbortHonoured)) return;
    }
}

// Checks the connection and the index; the entry to extract, or null.
const StreamEntry* checked_entry(std::int32_t index, const ExtractionLines& lines) {
    if (connection.instance == nullptr) {
        platform::OutputDebugLineF("%s", lines.no_demuxer);
        return nullptr;
    }
    if (index < 0 || index >= connection.count) {
        Fail(lines.wrong_index);
        return nullptr;
    }
    return &connection.streams[index];
}

void mp2_demux_to_file(std::int32_t index, const char* file_name) {
    const StreamEntry* entry = checked_entry(index, kToFileLines);
    if (entry == nullptr) return;
    connection.sink = IsWavKind(entry->media_type) ? sinks::CreateWavSink(file_name) : sinks::CreateFileSink(file_name);
    if (connection.sink == nullptr) return Fail(kToFileLines.no_sink);
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

void mp2_demux_callback(std::int32_t index) {
    const StreamEntry* entry = checked_entry(index, kCallbackLines);
    if (entry == nullptr) return;
    connection.sink = sinks::CreateCountingSink();
    if (connection.sink == nullptr) return Fail(kCallbackLines.no_sink);
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
void close_mp2_demux() {
    if (connection.parser != nullptr) mp2DemuxFreeParser(connection.instance, connection.parser);
    connection.parser = nullptr;
    if (connection.instance != nullptr) mp2DemuxFree(connection.instance);
    connection.instance = nullptr;
    if (connection.sink != nullptr) {
        connection.sink->finish(connection.sink, 0);
        connection.sink->release(connection.sink);
    }
    connection.sink = nullptr;
}

}  // namespace
