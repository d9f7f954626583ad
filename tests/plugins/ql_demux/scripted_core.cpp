#include "tests/plugins/ql_demux/scripted_core.h"

#include <algorithm>
#include <set>

#include "cores/demo_demux_mp2/demo_demux_mp2.h"
#include "cores/demo_demux_mxf/demo_demux_mxf.h"
#include "cores/track_demux/track_demux.h"

struct mp2_demux {
    int serial;
};
struct mp2_demux_parser {
    bufstream* output;
};
struct mxf_demux {
    int serial;
};
struct mxf_demux_parser {
    bufstream* output;
};
struct track_demux {
    int serial;
};
struct track_demux_parser {
    bufstream* output;
};

namespace scripted {

Script& Current() {
    static Script script;
    return script;
}

std::vector<std::string> CallsAfter(const std::string& call) {
    const auto& calls = Current().calls;
    auto it = std::find(calls.begin(), calls.end(), call);
    return it == calls.end() ? calls : std::vector<std::string>(it + 1, calls.end());
}

namespace {

std::set<const void*>& Live() {
    static std::set<const void*> live;
    return live;
}

// Records the call; flags a call on an instance or parser that is not live.
bool Call(const std::string& name, const void* instance) {
    Current().calls.push_back(name);
    if (Current().on_call) Current().on_call(name);
    const bool ok = Live().count(instance) != 0;
    if (!ok) Current().misuse = true;
    return ok;
}

bool Call(const std::string& name, const void* instance, const void* parser) {
    const bool ok = Call(name, instance) && Live().count(parser) != 0;
    if (!ok) Current().misuse = true;
    return ok;
}

template <class Instance>
Instance* Create() {
    Script& script = Current();
    script.calls.push_back("create");
    if (script.create_fails) return nullptr;
    auto* instance = new Instance{++script.instances_created};
    Live().insert(instance);
    ++script.live_instances;
    return instance;
}

template <class Instance>
void Free(Instance* instance) {
    if (!Call("free", instance)) return;
    Live().erase(instance);
    --Current().live_instances;
    delete instance;
}

std::int32_t Open(const void* instance, std::int32_t flags, const char* file_name) {
    Script& script = Current();
    if (!Call("open", instance) || flags != 0 || file_name == nullptr) return -1;
    script.opened_path = file_name;
    return ++script.opens <= script.opens_allowed ? 0 : -1;
}

std::int32_t StreamFormat(std::int32_t program, std::int32_t stream, std::uint32_t& media_type) {
    const std::int32_t type = Current().media_type(program, stream);
    if (type < 0) return -1;
    media_type = static_cast<std::uint32_t>(type);
    return 0;
}

template <class Parser>
Parser* CreateParser(const void* instance) {
    if (!Call("create_parser", instance) || Current().parser_fails) return nullptr;
    auto* parser = new Parser{nullptr};
    Live().insert(parser);
    return parser;
}

template <class Parser>
void FreeParser(const void* instance, Parser* parser) {
    if (!Call("free_parser", instance, parser)) return;
    Live().erase(parser);
    delete parser;
}

std::int32_t Seek(const void* instance, const void* parser, std::int32_t position, std::int32_t origin) {
    if (!Call("seek", instance, parser) || Current().seek_fails || position != 0 || origin != 0) return -1;
    Current().pushes = 0;
    return 0;
}

template <class Parser>
std::int32_t Push(const void* instance, Parser* parser) {
    Script& script = Current();
    if (!Call("push", instance, parser)) return -1;
    bufstream* output = parser->output;
    const int number = script.pushes++;
    if (script.on_push) script.on_push(number);
    if (number == script.push_fails_at) return -1;
    if (static_cast<std::size_t>(number) >= script.chunks.size()) return 0;
    const auto& chunk = script.chunks[static_cast<std::size_t>(number)];
    const auto size = static_cast<std::uint32_t>(chunk.size());
    if (script.reserve_chunks) {
        std::uint8_t* area = output->reserve(output, size);
        if (area == nullptr) return -1;
        std::copy(chunk.begin(), chunk.end(), area);
        if (output->commit(output, size) != size) return -1;
    } else if (output->write_bytes(output, chunk.data(), size) != size) {
        return -1;
    }
    if (script.command_after_chunk != 0 &&
        output->control(output, 0, script.command_after_chunk, script.command_data.data(),
                        static_cast<std::uint32_t>(script.command_data.size())) < 0) {
        return -1;
    }
    return 1;
}

}  // namespace
}  // namespace scripted

using scripted::Call;
using scripted::Current;

// ---- the MPEG-2 core ----

mp2_demux* TAMBERLY_CDECL mp2DemuxCreate(void*, const mp2_demux_options*, const mp2_demux_settings*) {
    return scripted::Create<mp2_demux>();
}

void TAMBERLY_CDECL mp2DemuxFree(mp2_demux* demux) { scripted::Free(demux); }

int32_t TAMBERLY_CDECL mp2DemuxOpen(mp2_demux* demux, int32_t flags, const char* file_name) {
    return scripted::Open(demux, flags, file_name);
}

int32_t TAMBERLY_CDECL mp2DemuxGetFileInfo(mp2_demux* demux, mp2_file_info* info) {
    if (!Call("file_info", demux) || Current().file_info_fails) return -1;
    info->program_count = static_cast<int32_t>(Current().programs.size());
    return 0;
}

int32_t TAMBERLY_CDECL mp2DemuxGetProgramInfo(mp2_demux* demux, mp2_program_info* info, int32_t program) {
    if (!Call("program_info " + std::to_string(program), demux)) return -1;
    const auto& programs = Current().programs;
    if (program == Current().program_info_fails_at || program < 0 ||
        static_cast<std::size_t>(program) >= programs.size()) {
        return -1;
    }
    info->stream_count = programs[static_cast<std::size_t>(program)];
    return 0;
}

int32_t TAMBERLY_CDECL mp2DemuxGetStreamFormat(mp2_demux* demux, mp2_stream_format* format, int32_t program,
                                               int32_t stream) {
    if (!Call("stream_format " + std::to_string(program) + " " + std::to_string(stream), demux)) return -1;
    std::uint32_t media_type = 0;
    if (scripted::StreamFormat(program, stream, media_type) != 0) return -1;
    format->media_type = media_type;
    return 0;
}

mp2_demux_parser* TAMBERLY_CDECL mp2DemuxCreateParser(mp2_demux* demux, const mp2_parser_settings*) {
    return scripted::CreateParser<mp2_demux_parser>(demux);
}

void TAMBERLY_CDECL mp2DemuxFreeParser(mp2_demux* demux, mp2_demux_parser* parser) {
    scripted::FreeParser(demux, parser);
}

int32_t TAMBERLY_CDECL mp2DemuxSetStream(mp2_demux* demux, mp2_demux_parser* parser,
                                         const mp2_stream_selection* selection) {
    const std::string call = "set_stream " + std::to_string(selection->program) + " " + std::to_string(selection->stream);
    if (!Call(call, demux, parser) || Current().stream_fails) return -1;
    parser->output = selection->output;
    return 0;
}

int32_t TAMBERLY_CDECL mp2DemuxSeek(mp2_demux* demux, mp2_demux_parser* parser, int32_t position, int32_t origin) {
    return scripted::Seek(demux, parser, position, origin);
}

int32_t TAMBERLY_CDECL mp2DemuxPush(mp2_demux* demux, mp2_demux_parser* parser) {
    return scripted::Push(demux, parser);
}

// ---- the cores that list tracks (MXF, track core) ----

namespace scripted {
namespace {

template <class Demux, class FileInfo>
int32_t TrackFileInfo(Demux* demux, FileInfo* info) {
    if (!Call("file_info", demux) || Current().file_info_fails) return -1;
    info->stream_count = Current().programs.empty() ? 0 : Current().programs[0];
    return 0;
}

template <class Demux, class Format>
int32_t TrackStreamFormat(Demux* demux, Format* format, int32_t stream) {
    if (!Call("stream_format 0 " + std::to_string(stream), demux)) return -1;
    std::uint32_t media_type = 0;
    if (StreamFormat(0, stream, media_type) != 0) return -1;
    format->media_type = media_type;
    return 0;
}

template <class Demux, class Parser, class Selection>
int32_t AddTrack(Demux* demux, Parser* parser, const Selection* selection) {
    if (!Call("set_stream 0 " + std::to_string(selection->stream), demux, parser) || Current().stream_fails) return -1;
    parser->output = selection->output;
    return 0;
}

}  // namespace
}  // namespace scripted

// ---- the MXF core ----

mxf_demux* TAMBERLY_CDECL mxfDemuxCreate(void*, const mxf_demux_options*, const mxf_demux_settings* settings) {
    if (settings == nullptr || settings->essence_tracks != 1) Current().misuse = true;
    return scripted::Create<mxf_demux>();
}

void TAMBERLY_CDECL mxfDemuxFree(mxf_demux* demux) { scripted::Free(demux); }

int32_t TAMBERLY_CDECL mxfDemuxOpen(mxf_demux* demux, int32_t flags, const char* file_name) {
    return scripted::Open(demux, flags, file_name);
}

int32_t TAMBERLY_CDECL mxfDemuxGetFileInfo(mxf_demux* demux, mxf_file_info* info) {
    return scripted::TrackFileInfo(demux, info);
}

int32_t TAMBERLY_CDECL mxfDemuxGetStreamFormat(mxf_demux* demux, mxf_stream_format* format, int32_t stream) {
    return scripted::TrackStreamFormat(demux, format, stream);
}

mxf_demux_parser* TAMBERLY_CDECL mxfDemuxCreateParser(mxf_demux* demux, const mxf_parser_settings*) {
    return scripted::CreateParser<mxf_demux_parser>(demux);
}

void TAMBERLY_CDECL mxfDemuxFreeParser(mxf_demux* demux, mxf_demux_parser* parser) {
    scripted::FreeParser(demux, parser);
}

int32_t TAMBERLY_CDECL mxfDemuxAddStream(mxf_demux* demux, mxf_demux_parser* parser,
                                         const mxf_stream_selection* selection) {
    return scripted::AddTrack(demux, parser, selection);
}

int32_t TAMBERLY_CDECL mxfDemuxSeek(mxf_demux* demux, mxf_demux_parser* parser, int32_t position, int32_t origin) {
    return scripted::Seek(demux, parser, position, origin);
}

int32_t TAMBERLY_CDECL mxfDemuxPush(mxf_demux* demux, mxf_demux_parser* parser) {
    return scripted::Push(demux, parser);
}

// ---- the track core ----

track_demux* TAMBERLY_CDECL trackDemuxCreate(void*, const track_demux_options*, const track_demux_settings* settings) {
    if (settings == nullptr || settings->container == 0) Current().misuse = true;
    return scripted::Create<track_demux>();
}

void TAMBERLY_CDECL trackDemuxFree(track_demux* demux) { scripted::Free(demux); }

int32_t TAMBERLY_CDECL trackDemuxOpen(track_demux* demux, int32_t flags, const char* file_name) {
    return scripted::Open(demux, flags, file_name);
}

int32_t TAMBERLY_CDECL trackDemuxGetFileInfo(track_demux* demux, track_file_info* info) {
    return scripted::TrackFileInfo(demux, info);
}

int32_t TAMBERLY_CDECL trackDemuxGetStreamFormat(track_demux* demux, track_stream_format* format, int32_t stream) {
    return scripted::TrackStreamFormat(demux, format, stream);
}

track_demux_parser* TAMBERLY_CDECL trackDemuxCreateParser(track_demux* demux, const track_parser_settings*) {
    return scripted::CreateParser<track_demux_parser>(demux);
}

void TAMBERLY_CDECL trackDemuxFreeParser(track_demux* demux, track_demux_parser* parser) {
    scripted::FreeParser(demux, parser);
}

int32_t TAMBERLY_CDECL trackDemuxAddStream(track_demux* demux, track_demux_parser* parser,
                                           const track_stream_selection* selection) {
    return scripted::AddTrack(demux, parser, selection);
}

int32_t TAMBERLY_CDECL trackDemuxSeek(track_demux* demux, track_demux_parser* parser, int32_t position,
                                      int32_t origin) {
    return scripted::Seek(demux, parser, position, origin);
}

int32_t TAMBERLY_CDECL trackDemuxPush(track_demux* demux, track_demux_parser* parser) {
    return scripted::Push(demux, parser);
}
