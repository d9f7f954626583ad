#pragma once
// The WAV sink: a bufstream that takes the PCM packets of DVD LPCM, HDMV
// LPCM and AES3 streams (bufstream_pcm.h) and writes them as a RIFF WAVE
// file of little-endian interleaved samples.

#include "abi/bufstream.h"
#include "plugins/common/finish_report.h"

namespace sinks {

inline constexpr unsigned kWavSinkCapacity = 1048576;  // packet buffer
inline constexpr unsigned kWavSinkBlockSize = 524288;

// Creates (or truncates) the file; null when the name is null or empty, the
// file cannot be created or memory is short. The caller ends it with finish
// and release; finish completes the header with the final sizes, and report,
// when given, learns whether it could.
[[nodiscard]] bufstream* CreateWavSink(const char* file_name, FinishReport* report = nullptr);

}  // namespace sinks
