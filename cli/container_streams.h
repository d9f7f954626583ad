#pragma once
// A container opened through the demultiplexer plugins (tried in the
// threaded reader's order, found beside the program) and its stream list.

#include <iosfwd>
#include <string>
#include <vector>

#include "viewer/media/QlDemuxEx.h"
#include "viewer/media/QlDemuxStream.h"

namespace cli {

// Keeps the demultiplexer plugins beside the program loaded until the program
// ends; call before anything loads and frees them.
void HoldDemultiplexerPluginsLoaded();

// Loads the file into demux and lists its streams. On failure writes one
// line to err and returns the exit code (kExitNotAudio when no plugin takes
// the file, kExitFailure when a plugin did not answer); kExitOk otherwise.
int OpenContainer(const std::string& fileName, TQlDemuxEx& demux, std::vector<TStreamInfo>& streams,
                  std::ostream& err);

}  // namespace cli
