#pragma once
// The counting sink: a bufstream that accepts and counts bytes without
// storing them and never touches a file. The plugins use it for extraction
// to the host, with its write_bytes slot wrapped by a forwarder that passes
// each chunk on before calling the original slot.

#include "abi/bufstream.h"

namespace sinks {

inline constexpr unsigned kCountingSinkCapacity = 5242880;  // scratch area and block size

// Null when memory is short. The caller ends it with finish and release.
[[nodiscard]] bufstream* CreateCountingSink();

}  // namespace sinks
