// Fuzzes the track core (QuickTime/MP4, ProRes QuickTime, WAVE, AVI, ASF)
// through its C calls: the first byte picks the container kind, the rest is
// written to a scratch file, which an instance of that kind opens and
// lists; then every listed track, up to a few, is extracted into the sink
// the track plugins would give it: the WAV sink for the PCM kinds, a
// counting sink otherwise. Seed it with the files of tests/data/demux, each
// behind the byte of its kind (1 MP4, 2 ProRes, 3 WAVE, 4 AVI, 5 ASF).

#include <cstdint>
#include <string>

#include "cores/track_demux/track_demux.h"
#include "fuzz/scratch_file.h"
#include "plugins/common/counting_sink.h"
#include "plugins/common/demux_plugin.h"
#include "plugins/common/wav_sink.h"

namespace {

constexpr int kKinds = 5;
constexpr int kMaxTracks = 4;
constexpr int kMaxPushes = 100000;  // a pass over a small file takes far fewer

bufstream* SinkFor(std::uint32_t media_type) {
    const std::string wav = fuzz_scratch::File("output.wav");
    return demux_plugin::PcmKindsAsWave(static_cast<std::int32_t>(media_type)) == demux_plugin::FileOutput::Wave
               ? sinks::CreateWavSink(wav.c_str())
               : sinks::CreateCountingSink();
}

void Extract(track_demux* demux, std::int32_t track, std::uint32_t media_type) {
    bufstream* sink = SinkFor(media_type);
    const track_parser_settings settings{};
    track_demux_parser* parser = sink != nullptr ? trackDemuxCreateParser(demux, &settings) : nullptr;
    if (parser != nullptr) {
        track_stream_selection selection{};
        selection.stream = track;
        selection.output = sink;
        if (trackDemuxAddStream(demux, parser, &selection) == 0 && trackDemuxSeek(demux, parser, 0, 0) == 0) {
            for (int push = 0; push < kMaxPushes && trackDemuxPush(demux, parser) > 0; ++push) {
            }
        }
        trackDemuxFreeParser(demux, parser);
    }
    if (sink != nullptr) sink->release(sink);
}

void ExtractListedTracks(track_demux* demux) {
    track_file_info file{};
    if (trackDemuxGetFileInfo(demux, &file) != 0) return;
    for (std::int32_t track = 0; track < file.stream_count && track < kMaxTracks; ++track) {
        track_stream_format format{};
        if (trackDemuxGetStreamFormat(demux, &format, track) != 0) return;
        Extract(demux, track, format.media_type);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || !fuzz_scratch::WriteInput(data + 1, size - 1)) return 0;
    const track_demux_options options{};
    track_demux_settings settings{};
    settings.container = static_cast<std::uint8_t>(1 + data[0] % kKinds);
    track_demux* demux = trackDemuxCreate(nullptr, &options, &settings);
    if (demux == nullptr) return 0;
    if (trackDemuxOpen(demux, 0, fuzz_scratch::File("input").c_str()) == 0) ExtractListedTracks(demux);
    trackDemuxFree(demux);
    return 0;
}
