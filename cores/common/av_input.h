#pragma once
// One open container file in libavformat: only local files are read, and
// only the demuxers of the core's container family may open them.

#include <cstdint>
#include <string>

#include "cores/common/libav.h"

namespace cores {

enum class ContainerFamily {
    Mpeg,  // MPEG-2 transport and program streams and the elementary streams they carry
    Mxf,
    QuickTime,  // QuickTime and the ISO base media files (MP4)
    Wave,
    Avi,
    Asf,
};

class AvInput {
public:
    AvInput() = default;
    ~AvInput() { Close(); }
    AvInput(const AvInput&) = delete;
    AvInput& operator=(const AvInput&) = delete;

    // Opens the file at path. With a format, that demuxer reads it without
    // probing; otherwise libavformat probes it among the family's demuxers.
    // raw_packets switches libavformat's parsers off, so that packets hold
    // the container's payload bytes unchanged. False when the file cannot
    // be opened or is of another kind.
    bool Open(const std::string& path, ContainerFamily family, const AVInputFormat* format, bool raw_packets);
    // Makes every later read fail once this many bytes have been read from
    // the file. libavformat's own probe limits count the packets it has
    // found, so without this a file with no frames in a long run (gigabytes
    // of zeros, say) is read to its end before its streams are known.
    void LimitReading(std::int64_t bytes) { read_limit_ = bytes; }
    // Reads ahead to learn the codec parameters of every stream.
    bool FindStreamInfo();
    void Close();

    [[nodiscard]] AVFormatContext* Context() const { return context_; }

private:
    static int ReadLimitReached(void* self);

    AVFormatContext* context_ = nullptr;
    AVFormatContext* opening_ = nullptr;  // the context avformat_open_input works on
    std::int64_t read_limit_ = -1;        // no limit
};

}  // namespace cores
