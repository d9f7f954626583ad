#pragma once
// The viewer's decision whether a file opens as an MPEG audio stream, for
// the command line: the demultiplexer plugins are the ones beside the
// program, and a frame command refuses a container with a hint.

#include <iosfwd>
#include <string>

#include "viewer/media/FileAcceptance.h"

namespace cli {

[[nodiscard]] TFileAcceptance DecideAcceptance(const std::string& fileName,
                                               TProbeChainMode mode = TProbeChainMode::StopAtFirstRejection);

// For a container: one line to err that says what the file is and what to
// run instead, and true. False (nothing written) for anything else.
bool RefuseContainer(const std::string& fileName, const TFileAcceptance& acceptance, std::ostream& err);

}  // namespace cli
