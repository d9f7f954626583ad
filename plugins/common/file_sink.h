#pragma once
// The file sink: a bufstream that buffers what it is given and writes it to
// a file, can split the output into numbered part files (out.mpa, out001.mpa,
// ...) and, in DVD navigation mode, rewrites the navigation packs of the
// finished files.

#include "abi/bufstream.h"
#include "plugins/common/finish_report.h"

namespace sinks {

inline constexpr unsigned kFileSinkCapacity = 5242880;  // write buffer and block size
inline constexpr unsigned kMaxFileName = 2047;          // characters of an output file name

// Creates (or truncates) the file and returns the record; null when the name
// is null, empty or longer than kMaxFileName, the file cannot be created or
// memory is short. The caller ends it with finish and release; report, when
// given, learns whether the buffered bytes reached the file at the finish.
[[nodiscard]] bufstream* CreateFileSink(const char* file_name, FinishReport* report = nullptr);

}  // namespace sinks
