#pragma once
// One pass of a parser over a file: the streams chosen, each with its
// output, and a libavformat reader that starts at the file's beginning with
// its parsers off, so that every packet is the container's payload as it
// stands.

#include <map>
#include <memory>
#include <vector>

#include "cores/common/av_input.h"
#include "cores/common/catalogue.h"
#include "cores/common/packet_output.h"

namespace cores {

class Extraction {
public:
    explicit Extraction(std::shared_ptr<const Catalogue> catalogue) : catalogue_(std::move(catalogue)) {}

    // Adds a stream of the catalogue with its output; false for a stream
    // added before or a null output. A pass under way ends: the next Push
    // needs a Restart.
    bool Add(const StreamEntry& stream, bufstream* output);
    // Forgets the chosen streams (and ends a pass under way).
    void Clear();
    // Opens the file again from its beginning; false when it cannot be
    // opened or no stream was added.
    bool Restart();
    // 1: a packet was read (and written when chosen); 0: the file is at
    // its end; -1: an output refused data, the file could not be read or
    // the pass was not started.
    int Push();

private:
    struct Target {
        StreamEntry stream;
        bufstream* sink;
        PacketOutput output;
    };
    struct PacketDeleter {
        void operator()(AVPacket* packet) const { av_packet_free(&packet); }
    };

    void EndPass();
    Target* TargetOf(int stream_index);
    void DiscardNewStreams();

    std::shared_ptr<const Catalogue> catalogue_;  // kept while the pass lives, whatever the instance opens next
    std::vector<Target> targets_;
    std::unique_ptr<AvInput> input_;
    std::unique_ptr<AVPacket, PacketDeleter> packet_;
    std::vector<Target*> by_index_;  // target per libavformat stream index of the reader; null when not chosen
    std::map<int, int> ids_seen_;    // the reader's streams so far per id
};

}  // namespace cores
