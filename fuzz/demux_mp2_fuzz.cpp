// Fuzzes the MPEG-2 core demultiplexer through its C exports: the input is
// written to a scratch file, which the core opens (probing it among the
// transport, program and elementary stream demuxers) and lists; then every
// listed stream, up to a few, is extracted into the sink the MPEG-2 plugin
// would give it: the WAV sink for the PCM kinds, a counting sink otherwise.
// Seed it with the files of tests/data/demux.

#include <cstdint>
#include <string>

#include "cores/demo_demux_mp2/demo_demux_mp2.h"
#include "fuzz/scratch_file.h"
#include "plugins/common/counting_sink.h"
#include "plugins/common/wav_sink.h"

namespace {

constexpr int kMaxStreams = 4;
constexpr int kMaxPushes = 100000;  // a pass over a small file takes far fewer

bool IsWavKind(std::uint32_t media_type) { return media_type == 202 || media_type == 203 || media_type == 210; }

void Extract(mp2_demux* demux, std::int32_t program, std::int32_t stream, std::uint32_t media_type) {
    const std::string wav = fuzz_scratch::File("output.wav");
    bufstream* sink = IsWavKind(media_type) ? sinks::CreateWavSink(wav.c_str()) : sinks::CreateCountingSink();
    const mp2_parser_settings settings{};
    mp2_demux_parser* parser = sink != nullptr ? mp2DemuxCreateParser(demux, &settings) : nullptr;
    if (parser != nullptr) {
        mp2_stream_selection selection{};
        selection.program = program;
        selection.stream = stream;
        selection.output = sink;
        if (mp2DemuxSetStream(demux, parser, &selection) == 0 && mp2DemuxSeek(demux, parser, 0, 0) == 0) {
            for (int push = 0; push < kMaxPushes && mp2DemuxPush(demux, parser) > 0; ++push) {
            }
        }
        mp2DemuxFreeParser(demux, parser);
    }
    if (sink != nullptr) sink->release(sink);
}

void ExtractListedStreams(mp2_demux* demux) {
    mp2_file_info file{};
    if (mp2DemuxGetFileInfo(demux, &file) != 0) return;
    int extracted = 0;
    for (std::int32_t p = 0; p < file.program_count && extracted < kMaxStreams; ++p) {
        mp2_program_info program{};
        if (mp2DemuxGetProgramInfo(demux, &program, p) != 0) return;
        for (std::int32_t s = 0; s < program.stream_count && extracted < kMaxStreams; ++s, ++extracted) {
            mp2_stream_format format{};
            if (mp2DemuxGetStreamFormat(demux, &format, p, s) != 0) return;
            Extract(demux, p, s, format.media_type);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!fuzz_scratch::WriteInput(data, size)) return 0;
    const std::string input = fuzz_scratch::File("input");
    const mp2_demux_options options{};
    const mp2_demux_settings settings{};
    mp2_demux* demux = mp2DemuxCreate(nullptr, &options, &settings);
    if (demux == nullptr) return 0;
    if (mp2DemuxOpen(demux, 0, input.c_str()) == 0) ExtractListedStreams(demux);
    mp2DemuxFree(demux);
    return 0;
}
