#include "cores/common/extraction.h"

namespace cores {
namespace {

// Programs and transport streams name their streams by id (stream id, PID;
// the rank tells apart two streams of one PID); MXF tracks have no id and
// keep their position.
bool SameStream(ContainerFamily family, const StreamEntry& chosen, const AVStream& stream, int id_rank) {
    if (family == ContainerFamily::Mxf) return chosen.index == stream.index;
    return chosen.id == stream.id && chosen.id_rank == id_rank;
}

// The MPEG family sends its PCM kinds as announced PCM packets; MXF tracks
// always go out as the file carries them.
PcmFraming FramingIn(ContainerFamily family, const StreamEntry& stream) {
    return family == ContainerFamily::Mxf ? PcmFraming::None : FramingFor(stream.media_type);
}

}  // namespace

void Extraction::EndPass() {
    input_.reset();
    by_index_.clear();
    ids_seen_.clear();
}

bool Extraction::Add(const StreamEntry& stream, bufstream* output) {
    if (output == nullptr) return false;
    for (const auto& target : targets_) {
        if (target.stream.index == stream.index) return false;
    }
    EndPass();
    targets_.push_back({stream, output, PacketOutput(output, FramingIn(catalogue_->family, stream))});
    return true;
}

void Extraction::Clear() {
    EndPass();
    targets_.clear();
}

bool Extraction::Restart() {
    EndPass();
    if (targets_.empty()) return false;
    for (auto& target : targets_) {
        target.output = PacketOutput(target.sink, FramingIn(catalogue_->family, target.stream));
    }
    if (!packet_) packet_.reset(av_packet_alloc());
    auto input = std::make_unique<AvInput>();
    if (!packet_ || !input->Open(catalogue_->path, catalogue_->family, catalogue_->format, true)) return false;
    input_ = std::move(input);
    DiscardNewStreams();
    return true;
}

Extraction::Target* Extraction::TargetOf(int stream_index) {
    DiscardNewStreams();
    if (stream_index < 0 || static_cast<std::size_t>(stream_index) >= by_index_.size()) return nullptr;
    return by_index_[static_cast<std::size_t>(stream_index)];
}

// Streams appear while a program stream is read. Those not chosen are
// discarded, so that the demuxer need not assemble their packets.
void Extraction::DiscardNewStreams() {
    const AVFormatContext& context = *input_->Context();
    while (by_index_.size() < context.nb_streams) {
        AVStream& stream = *context.streams[by_index_.size()];
        const int id_rank = ids_seen_[stream.id]++;
        Target* chosen = nullptr;
        for (auto& target : targets_) {
            if (SameStream(catalogue_->family, target.stream, stream, id_rank)) chosen = &target;
        }
        if (chosen == nullptr) stream.discard = AVDISCARD_ALL;
        by_index_.push_back(chosen);
    }
}

int Extraction::Push() {
    if (!input_) return -1;
    const int result = av_read_frame(input_->Context(), packet_.get());
    if (result == AVERROR(EAGAIN)) return 1;
    if (result == AVERROR_EOF) return 0;
    if (result < 0) return -1;
    Target* target = TargetOf(packet_->stream_index);
    const bool written = target == nullptr || target->output.Write(packet_->data, static_cast<std::size_t>(packet_->size));
    av_packet_unref(packet_.get());
    return written ? 1 : -1;
}

}  // namespace cores
