// Fuzzes the MXF core demultiplexer through its C exports, the calls the MXF
// plugin makes: the input is written to a scratch file, which the core opens
// and lists; then every listed track, up to a few, is extracted into a
// counting sink (the plugin writes every track raw). Seed it with the MXF
// files of tests/data/demux.

#include <cstdint>
#include <string>

#include "cores/demo_demux_mxf/demo_demux_mxf.h"
#include "fuzz/scratch_file.h"
#include "plugins/common/counting_sink.h"

namespace {

constexpr int kMaxTracks = 4;
constexpr int kMaxPushes = 100000;  // a pass over a small file takes far fewer

void Extract(mxf_demux* demux, std::int32_t track) {
    bufstream* sink = sinks::CreateCountingSink();
    const mxf_parser_settings settings{};
    mxf_demux_parser* parser = sink != nullptr ? mxfDemuxCreateParser(demux, &settings) : nullptr;
    if (parser != nullptr) {
        mxf_stream_selection selection{};
        selection.stream = track;
        selection.output = sink;
        if (mxfDemuxAddStream(demux, parser, &selection) == 0 && mxfDemuxSeek(demux, parser, 0, 0) == 0) {
            for (int push = 0; push < kMaxPushes && mxfDemuxPush(demux, parser) > 0; ++push) {
            }
        }
        mxfDemuxFreeParser(demux, parser);
    }
    if (sink != nullptr) sink->release(sink);
}

void ExtractListedTracks(mxf_demux* demux) {
    mxf_file_info file{};
    if (mxfDemuxGetFileInfo(demux, &file) != 0) return;
    for (std::int32_t track = 0; track < file.stream_count && track < kMaxTracks; ++track) {
        mxf_stream_format format{};
        if (mxfDemuxGetStreamFormat(demux, &format, track) != 0) return;
        Extract(demux, track);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!fuzz_scratch::WriteInput(data, size)) return 0;
    const mxf_demux_options options{};
    mxf_demux_settings settings{};
    settings.essence_tracks = 1;
    mxf_demux* demux = mxfDemuxCreate(nullptr, &options, &settings);
    if (demux == nullptr) return 0;
    if (mxfDemuxOpen(demux, 0, fuzz_scratch::File("input").c_str()) == 0) ExtractListedTracks(demux);
    mxfDemuxFree(demux);
    return 0;
}
