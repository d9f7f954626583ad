#pragma once
// The skeleton of a demultiplexer plugin (ql_demux_api.h): everything the
// plugins do the same way, over a description of what is each one's own.
//
// The skeleton keeps the one connection to the plugin's core demultiplexer
// (one file at a time, process-wide), the stream table, extraction into a
// file or to the host through a counting sink whose write_bytes forwards each
// chunk, the abort handshake between the host's two threads, and the close
// and re-open after every extraction. A plugin file holds its description
// and emits the seven exports with TAMBERLY_DEMUX_PLUGIN_EXPORTS(Description):
//
//   struct Description {
//       // The core's ten calls, in the order of CoreCalls below.
//       static inline const auto kCore = demux_plugin::BindCore(create, open, free, ...);
//       static constexpr demux_plugin::Lines kLines = {...};
//       // Whether a failed file or stream format query closes the connection.
//       static constexpr bool kCloseAfterFailedQuery = ...;
//       // Whether an extraction creates its parser before its sink.
//       static constexpr bool kParserBeforeSink = ...;
//
//       // Lists the file's streams with Plugin<Description>::AddStream, in
//       // the order the host numbers them; false fails LoadFile. It may ask
//       // the core more and close the connection (Plugin::Close).
//       static bool ListStreams(const FileInfo& info);
//       // The sink a stream of this type is extracted into by DemuxStreamToFile.
//       static demux_plugin::FileOutput FileOutputFor(std::int32_t media_type);
//
//       // Optional: what the core's instance settings hold beyond zeros.
//       static void Configure(Settings& settings);
//   };
//
// Results: the extraction exports answer 0 when the stream was extracted to
// its end or stopped by AbortDemux, and -1 after any failure: no connection,
// a wrong index, no sink, parser, stream choice or seek, a failed push (the
// core's or the sink's write), or a sink that could not finish its output.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <thread>
#include <type_traits>

#include "abi/bufstream.h"
#include "abi/media_types.h"
#include "abi/ql_demux_api.h"
#include "platform/debug_output.h"
#include "plugins/common/counting_sink.h"
#include "plugins/common/extraction_abort.h"
#include "plugins/common/file_sink.h"
#include "plugins/common/sink_record.h"
#include "plugins/common/wav_sink.h"

namespace demux_plugin {

// ---- declarations ----

struct StreamEntry {
    std::int32_t program;     // 0-based position of the program in the file (0 without programs)
    std::int32_t stream;      // 0-based position of the stream in its program
    std::int32_t media_type;  // 0 when the format query failed
};

// The calls of a core demultiplexer, in the shape every core here has: an
// instance made from zeroed option and settings blocks and opened with flags
// 0; a file information block; a stream format block (whose media_type is the
// stream's type) asked by stream index, or by program and stream index where
// the core has programs; a parser made from a zeroed settings block; the
// stream chosen by a selection block (program where the core has programs,
// stream, output sink); a seek to position 0 from origin 0; and the push
// loop. Null or non-zero answers failure; push answers negative (failure), 0
// (the stream is finished) or positive (more to do).
template <class InstanceT, class ParserT, class OptionsT, class SettingsT, class FileInfoT, class FormatT,
          class ParserSettingsT, class SelectionT, class... FormatWhere>
struct CoreCalls {
    using Instance = InstanceT;
    using Parser = ParserT;
    using Options = OptionsT;
    using Settings = SettingsT;
    using FileInfo = FileInfoT;
    using Format = FormatT;
    using ParserSettings = ParserSettingsT;
    using Selection = SelectionT;
    static constexpr bool kFormatByProgram = sizeof...(FormatWhere) == 2;

    Instance*(TAMBERLY_CDECL* create)(void*, const Options*, const Settings*);
    std::int32_t(TAMBERLY_CDECL* open)(Instance*, std::int32_t, const char*);
    void(TAMBERLY_CDECL* free)(Instance*);
    std::int32_t(TAMBERLY_CDECL* file_info)(Instance*, FileInfo*);
    std::int32_t(TAMBERLY_CDECL* stream_format)(Instance*, Format*, FormatWhere...);
    Parser*(TAMBERLY_CDECL* create_parser)(Instance*, const ParserSettings*);
    void(TAMBERLY_CDECL* free_parser)(Instance*, Parser*);
    std::int32_t(TAMBERLY_CDECL* select_stream)(Instance*, Parser*, const Selection*);
    std::int32_t(TAMBERLY_CDECL* seek)(Instance*, Parser*, std::int32_t, std::int32_t);
    std::int32_t(TAMBERLY_CDECL* push)(Instance*, Parser*);
};

// The core's calls in the order of CoreCalls, with their types deduced.
template <class Instance, class Parser, class Options, class Settings, class FileInfo, class Format,
          class ParserSettings, class Selection, class... FormatWhere>
constexpr CoreCalls<Instance, Parser, Options, Settings, FileInfo, Format, ParserSettings, Selection, FormatWhere...>
BindCore(Instance*(TAMBERLY_CDECL* create)(void*, const Options*, const Settings*),
         std::int32_t(TAMBERLY_CDECL* open)(Instance*, std::int32_t, const char*),
         void(TAMBERLY_CDECL* free)(Instance*), std::int32_t(TAMBERLY_CDECL* file_info)(Instance*, FileInfo*),
         std::int32_t(TAMBERLY_CDECL* stream_format)(Instance*, Format*, FormatWhere...),
         Parser*(TAMBERLY_CDECL* create_parser)(Instance*, const ParserSettings*),
         void(TAMBERLY_CDECL* free_parser)(Instance*, Parser*),
         std::int32_t(TAMBERLY_CDECL* select_stream)(Instance*, Parser*, const Selection*),
         std::int32_t(TAMBERLY_CDECL* seek)(Instance*, Parser*, std::int32_t, std::int32_t),
         std::int32_t(TAMBERLY_CDECL* push)(Instance*, Parser*)) {
    return {create, open, free, file_info, stream_format, create_parser, free_parser, select_stream, seek, push};
}

// The sink of an extraction to a file.
enum class FileOutput {
    Plain,  // the bytes as the core writes them (file sink)
    Wave,   // the PCM packets as a RIFF WAVE file (WAV sink)
};

// The PCM kinds the WAV sink takes go into WAVE files, every other type as
// the core writes it.
inline FileOutput PcmKindsAsWave(std::int32_t media_type) {
    const bool pcm = media_type == QL_MEDIA_DVD_LPCM_AUDIO || media_type == QL_MEDIA_HDMV_LPCM_AUDIO ||
                     media_type == QL_MEDIA_AES302M_AUDIO;
    return pcm ? FileOutput::Wave : FileOutput::Plain;
}

// The lines of one extraction export; null where the step fails without one.
struct ExtractionLines {
    const char* no_demuxer;
    const char* wrong_index;
    const char* no_sink;
    const char* no_parser;
    const char* no_stream;
    const char* no_seek;
    const char* write_error;
};

// Every line the skeleton writes for a plugin, beside the few all plugins share.
struct Lines {
    const char* create_failed;            // the core made no instance
    const char* listing_failed;           // LoadFile, after the listing failed
    const char* file_info_failed;         // the file information query failed
    const char* format_failed;            // a stream format query failed; may hold one %d, the stream index
    const char* query_no_demuxer;         // a media type query without a connection
    const char* query_failed_in_listing;  // a stream listed with type 0
    const char* query_failed;             // GetStreamMediaType, after the query failed
    ExtractionLines to_file;
    ExtractionLines callback;
};

inline void WriteLine(const char* line) {
    if (line != nullptr) platform::OutputDebugLineF("%s", line);
}

// A line that may name a stream index with one %d; extra arguments to a
// format without one are ignored.
inline void WriteLine(const char* format, std::int32_t stream) { platform::OutputDebugLineF(format, stream); }

template <class Description>
class Plugin {
public:
    using Core = std::remove_cv_t<decltype(Description::kCore)>;
    using Instance = typename Core::Instance;
    using Parser = typename Core::Parser;

    // ---- exports ----

    static std::int32_t LoadFile(const char* file_name) {
        const std::size_t length = file_name != nullptr ? strnlen(file_name, QL_DEMUX_MAX_PATH + 1) : 0;
        if (file_name == nullptr || length > QL_DEMUX_MAX_PATH) {
            Close();
            connection_.count = 0;
            connection_.file_name[0] = '\0';
            WriteLine("Error in LoadFile - invalid file name.\n");
            return -1;
        }
        return Open(file_name);
    }

    static std::int32_t UnloadFile() {
        Close();
        return 0;
    }

    static std::int32_t GetStreamsCount(std::int32_t* count) {
        if (count != nullptr) *count = connection_.count;
        return 0;
    }

    static std::int32_t GetStreamMediaType(std::int32_t index, std::int32_t* program, std::int32_t* stream,
                                           std::int32_t* media_type) {
        if (program == nullptr || stream == nullptr || media_type == nullptr) {
            WriteLine("Error in GetStreamMediaType - invalid argument\n");
            return -1;
        }
        if (index < 0 || index >= connection_.count) {
            WriteLine("Error in GetStreamMediaType - wrong stream index\n");
            return -1;
        }
        const StreamEntry& entry = connection_.streams[index];
        *program = entry.program;
        *stream = entry.stream;
        std::int32_t type = 0;
        if (!QueryMediaType(entry, type)) {
            WriteLine(Description::kLines.query_failed);
            return -1;
        }
        *media_type = type;
        return 0;
    }

    static std::int32_t DemuxStreamToFile(std::int32_t index, const char* file_name) {
        connection_.abort.Begin();
        const bool extracted = Extract(index, Description::kLines.to_file, [file_name](const StreamEntry& entry) {
            sinks::FinishReport* report = &connection_.finish_report;
            return Description::FileOutputFor(entry.media_type) == FileOutput::Wave
                       ? sinks::CreateWavSink(file_name, report)
                       : sinks::CreateFileSink(file_name, report);
        });
        return EndExtraction(extracted);
    }

    static std::int32_t DemuxStreamCallBack(std::int32_t index, ql_demux_send_data_fn send, void* owner) {
        connection_.send = send;
        connection_.send_owner = owner;
        connection_.abort.Begin();
        return EndExtraction(Extract(index, Description::kLines.callback, [](const StreamEntry&) {
            return ForwardingSink();
        }));
    }

    static std::int32_t AbortDemux(std::int32_t timeout_ms) { return RequestAbort(timeout_ms) ? 0 : -1; }

    // ---- for the description ----

    // The open instance; null once the connection is closed.
    [[nodiscard]] static Instance* CurrentInstance() { return connection_.instance; }

    // Lists one stream with the type its query gives (0 when the query
    // fails); false once the table is full.
    static bool AddStream(std::int32_t program, std::int32_t stream) {
        if (connection_.count >= QL_DEMUX_MAX_STREAMS) return false;
        std::int32_t media_type = 0;
        if (!QueryMediaType({program, stream, 0}, media_type)) {
            WriteLine(Description::kLines.query_failed_in_listing);
            media_type = 0;
        }
        connection_.streams[connection_.count] = {program, stream, media_type};
        connection_.count += 1;
        return connection_.count < QL_DEMUX_MAX_STREAMS;
    }

    // Frees the parser and the instance, then finishes and releases the
    // sink, which flushes the output file. The stream table stays.
    static void Close() {
        if (connection_.parser != nullptr) Description::kCore.free_parser(connection_.instance, connection_.parser);
        connection_.parser = nullptr;
        if (connection_.instance != nullptr) Description::kCore.free(connection_.instance);
        connection_.instance = nullptr;
        if (connection_.sink != nullptr) {
            connection_.sink->finish(connection_.sink, 0);
            connection_.sink->release(connection_.sink);
        }
        connection_.sink = nullptr;
    }

private:
    using WriteBytesFn = std::uint32_t(TAMBERLY_CDECL*)(bufstream*, const std::uint8_t*, std::uint32_t);

    // The abort and the send function are written by AbortDemux on another
    // thread while an extraction reads them.
    struct Connection {
        Instance* instance = nullptr;  // null when no connection is open
        Parser* parser = nullptr;      // null outside an extraction
        bufstream* sink = nullptr;     // null outside an extraction
        sinks::FinishReport finish_report;
        StreamEntry streams[QL_DEMUX_MAX_STREAMS] = {};
        std::int32_t count = 0;
        char file_name[QL_DEMUX_MAX_PATH + 1] = {};
        ExtractionAbort abort;
        std::atomic<ql_demux_send_data_fn> send{nullptr};
        void* send_owner = nullptr;
        WriteBytesFn counting_write_bytes = nullptr;  // the counting sink's own slot
    };

    static inline Connection connection_;

    // ---- opening ----

    static std::int32_t Open(const char* file_name) {
        Close();  // a file loaded before is let go, not leaked
        std::memset(connection_.file_name, 0, sizeof connection_.file_name);
        std::strncpy(connection_.file_name, file_name, QL_DEMUX_MAX_PATH);
        std::memset(connection_.streams, 0, sizeof connection_.streams);
        connection_.count = 0;
        connection_.instance = CreateInstance();
        if (connection_.instance == nullptr) {
            WriteLine(Description::kLines.create_failed);
            Close();
            return -1;
        }
        if (Description::kCore.open(connection_.instance, 0, connection_.file_name) != 0) {
            Close();
            return -1;
        }
        if (!ListStreams()) {
            WriteLine(Description::kLines.listing_failed);
            Close();
            return -1;
        }
        return 0;
    }

    static Instance* CreateInstance() {
        const typename Core::Options options{};
        typename Core::Settings settings{};
        if constexpr (requires { Description::Configure(settings); }) Description::Configure(settings);
        return Description::kCore.create(nullptr, &options, &settings);
    }

    // Opens the same file again so that the host can extract once more. A
    // failure leaves the plugin without a connection.
    static void Reopen() {
        char file_name[sizeof connection_.file_name];
        std::memcpy(file_name, connection_.file_name, sizeof file_name);
        (void)Open(file_name);
    }

    // ---- enumeration ----

    static bool ListStreams() {
        typename Core::FileInfo info{};
        if (Description::kCore.file_info(connection_.instance, &info) != 0) {
            WriteLine(Description::kLines.file_info_failed);
            if (Description::kCloseAfterFailedQuery) Close();
            return false;
        }
        return Description::ListStreams(info);
    }

    static bool QueryMediaType(const StreamEntry& entry, std::int32_t& media_type) {
        if (connection_.instance == nullptr) {
            WriteLine(Description::kLines.query_no_demuxer);
            return false;
        }
        typename Core::Format format{};
        if (QueryFormat(entry, format) != 0) {
            WriteLine(Description::kLines.format_failed, entry.stream);
            if (Description::kCloseAfterFailedQuery) Close();
            return false;
        }
        media_type = static_cast<std::int32_t>(format.media_type);
        return true;
    }

    static std::int32_t QueryFormat(const StreamEntry& entry, typename Core::Format& format) {
        if constexpr (Core::kFormatByProgram) {
            return Description::kCore.stream_format(connection_.instance, &format, entry.program, entry.stream);
        } else {
            return Description::kCore.stream_format(connection_.instance, &format, entry.stream);
        }
    }

    // ---- extraction ----

    // Writes the line (if any) and closes the connection; the extraction
    // has failed.
    static bool Fail(const char* line) {
        WriteLine(line);
        Close();
        return false;
    }

    // The steps up to the end of the push loop; false after a failure. An
    // abort is honoured at the first step boundary after it: before the
    // sink, after creating the sink and the parser, after choosing the
    // stream and seeking, and after every push that has more to do.
    template <class MakeSink>
    static bool Extract(std::int32_t index, const ExtractionLines& lines, MakeSink make_sink) {
        connection_.finish_report = {};
        if (connection_.instance == nullptr) {
            WriteLine(lines.no_demuxer);
            return false;
        }
        if (index < 0 || index >= connection_.count) return Fail(lines.wrong_index);
        const StreamEntry& entry = connection_.streams[index];
        if (connection_.abort.Honour()) return true;
        if (Description::kParserBeforeSink && !CreateParser()) return Fail(lines.no_parser);
        connection_.sink = make_sink(entry);
        if (connection_.sink == nullptr) return Fail(lines.no_sink);
        if (!Description::kParserBeforeSink && !CreateParser()) return Fail(lines.no_parser);
        if (connection_.abort.Honour()) return true;
        if (!SelectStream(entry)) return Fail(lines.no_stream);
        if (connection_.abort.Honour()) return true;
        if (Description::kCore.seek(connection_.instance, connection_.parser, 0, 0) != 0) return Fail(lines.no_seek);
        for (;;) {
            if (connection_.abort.Honour()) return true;
            const std::int32_t result = Description::kCore.push(connection_.instance, connection_.parser);
            if (result < 0) return Fail(lines.write_error);
            if (result == 0) return true;
        }
    }

    static bool CreateParser() {
        const typename Core::ParserSettings settings{};
        connection_.parser = Description::kCore.create_parser(connection_.instance, &settings);
        return connection_.parser != nullptr;
    }

    // The entry's stream, into the sink.
    static bool SelectStream(const StreamEntry& entry) {
        typename Core::Selection selection{};
        if constexpr (requires { selection.program; }) selection.program = entry.program;
        selection.stream = entry.stream;
        selection.output = connection_.sink;
        return Description::kCore.select_stream(connection_.instance, connection_.parser, &selection) == 0;
    }

    // Closes the connection, which finishes the sink, and opens the file
    // again; the export's result.
    static std::int32_t EndExtraction(bool extracted) {
        Close();
        const bool finished = !connection_.finish_report.failed;
        Reopen();
        connection_.abort.End();
        return extracted && finished ? 0 : -1;
    }

    // The counting sink with its write_bytes slot replaced: the chunk goes
    // to the host while a send function is set, then the counting sink
    // counts it.
    static bufstream* ForwardingSink() {
        bufstream* sink = sinks::CreateCountingSink();
        if (sink == nullptr) return nullptr;
        connection_.counting_write_bytes = sink->write_bytes;
        sink->write_bytes = &ForwardWriteBytes;
        return sink;
    }

    // The send is announced before the abort state is read, and AbortDemux
    // sets the state before it looks for announced sends: a send either sees
    // the request and is skipped, or is seen and waited for. No chunk reaches
    // the host once AbortDemux has returned.
    static std::uint32_t TAMBERLY_CDECL ForwardWriteBytes(bufstream* bs, const std::uint8_t* data, std::uint32_t n) {
        connection_.abort.SendBegins();
        if (connection_.abort.Running()) {
            const ql_demux_send_data_fn send = connection_.send;
            if (send != nullptr) (void)send(connection_.send_owner, data, static_cast<std::int32_t>(n));
        }
        connection_.abort.SendEnds();
        return connection_.counting_write_bytes(bs, data, n);
    }

    // ---- abort ----

    // The extracting thread sees the request at its next step boundary;
    // an extraction that begins during the half second the abort waits is
    // stopped at its first. A send to the host still under way then is
    // waited for up to timeout_ms more. False when it has not returned by then.
    static bool RequestAbort(std::int32_t timeout_ms) {
        connection_.send = nullptr;
        connection_.abort.BeginAbort();
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        const auto give_up = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeout_ms, 0));
        const bool sends_returned = connection_.abort.WaitForSends(give_up);
        connection_.abort.EndAbort();
        return sends_returned;
    }
};

}  // namespace demux_plugin

// The seven exports of ql_demux_api.h, each handing over to the skeleton.
// Written once at namespace scope in the plugin's file.
#define TAMBERLY_DEMUX_PLUGIN_EXPORTS(Description)                                                                \
    extern "C" {                                                                                                  \
    QL_DEMUX_API std::int32_t TAMBERLY_STDCALL LoadFile(const char* pFileName) {                                  \
        return ::demux_plugin::Plugin<Description>::LoadFile(pFileName);                                          \
    }                                                                                                             \
    QL_DEMUX_API std::int32_t TAMBERLY_STDCALL UnloadFile(void) {                                                 \
        return ::demux_plugin::Plugin<Description>::UnloadFile();                                                 \
    }                                                                                                             \
    QL_DEMUX_API std::int32_t TAMBERLY_STDCALL GetStreamsCount(std::int32_t* pCount) {                            \
        return ::demux_plugin::Plugin<Description>::GetStreamsCount(pCount);                                      \
    }                                                                                                             \
    QL_DEMUX_API std::int32_t TAMBERLY_STDCALL GetStreamMediaType(std::int32_t nIndex, std::int32_t* pProgramID,  \
                                                                  std::int32_t* pStreamID,                        \
                                                                  std::int32_t* pStreamMediaType) {               \
        return ::demux_plugin::Plugin<Description>::GetStreamMediaType(nIndex, pProgramID, pStreamID,             \
                                                                       pStreamMediaType);                         \
    }                                                                                                             \
    QL_DEMUX_API std::int32_t TAMBERLY_STDCALL DemuxStreamToFile(std::int32_t nIndex, const char* pFileName) {    \
        return ::demux_plugin::Plugin<Description>::DemuxStreamToFile(nIndex, pFileName);                         \
    }                                                                                                             \
    QL_DEMUX_API std::int32_t TAMBERLY_STDCALL DemuxStreamCallBack(                                               \
        std::int32_t nIndex, ql_demux_send_data_fn pfnSendData, void* pSendCallbackOwner) {                       \
        return ::demux_plugin::Plugin<Description>::DemuxStreamCallBack(nIndex, pfnSendData, pSendCallbackOwner); \
    }                                                                                                             \
    QL_DEMUX_API std::int32_t TAMBERLY_STDCALL AbortDemux(std::int32_t nTimeOutMS) {                              \
        return ::demux_plugin::Plugin<Description>::AbortDemux(nTimeOutMS);                                       \
    }                                                                                                             \
    }
