#include "tests/support/hostile_stream.h"

namespace testsupport {

MpaFrameSpec HostileFrameA() {
    MpaFrameSpec a;
    a.bitrateIndex = 1;   // 32 kbit/s
    a.samplingIndex = 1;  // 48 kHz
    a.mode = kMpaSingleChannel;
    return a;
}

MpaFrameSpec HostileFrameB() {
    MpaFrameSpec b;
    b.crc = true;
    b.bitrateIndex = 2;   // 48 kbit/s
    b.samplingIndex = 2;  // 32 kHz
    b.mode = kMpaJointStereo;
    b.modeExtension = 1;
    b.copyright = 1;
    b.original = 1;
    b.emphasis = 1;
    return b;
}

Bytes AlternatingHeaderStream(std::size_t bytes) {
    Bytes pair = MakeFrame(HostileFrameA());
    const Bytes b = MakeFrame(HostileFrameB());
    pair.insert(pair.end(), b.begin(), b.end());
    const std::size_t pairs = bytes / pair.size() > 0 ? bytes / pair.size() : 1;
    Bytes stream;
    stream.reserve(pairs * pair.size());
    for (std::size_t i = 0; i < pairs; ++i) stream.insert(stream.end(), pair.begin(), pair.end());
    return stream;
}

}  // namespace testsupport
