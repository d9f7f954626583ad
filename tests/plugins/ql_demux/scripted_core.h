#pragma once
// A core demultiplexer for the plugin tests: the named functions of both
// cores (demo_demux_mp2 and demo_demux_mxf) with results a test scripts, and
// a record of every call. A test links it with one plugin's code in place of
// the real core.

#include <climits>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "abi/bufstream.h"

namespace scripted {

struct Script {
    // ---- results ----
    bool create_fails = false;
    int opens_allowed = INT_MAX;  // opens after this many fail
    bool file_info_fails = false;
    int program_info_fails_at = -1;  // MPEG-2: the program whose query fails
    // MPEG-2: stream count per program. MXF: the track count is
    // programs[0] (the count the core reports, any value).
    std::vector<std::int32_t> programs = {3};
    // Media type of (program, stream); negative: the query fails.
    std::function<std::int32_t(std::int32_t, std::int32_t)> media_type = [](std::int32_t, std::int32_t stream) {
        return stream == 0 ? 3 : 131;
    };
    bool parser_fails = false;
    bool stream_fails = false;  // set (MPEG-2) or add (MXF) the stream
    bool seek_fails = false;
    // What each push writes through write_bytes, one entry per push; the
    // push after the last answers 0 (finished).
    std::vector<std::vector<std::uint8_t>> chunks = {{'f', 'i', 'r', 's', 't', ' '}, {'s', 'e', 'c', 'o', 'n', 'd', ' '},
                                                     {'t', 'h', 'i', 'r', 'd'}};
    // The chunks go through reserve and commit instead of write_bytes.
    bool reserve_chunks = false;
    // After a chunk is written: a command the push sends too (0: none).
    std::uint32_t command_after_chunk = 0;
    std::vector<std::uint8_t> command_data;
    int push_fails_at = -1;              // the push (0-based) that answers -1
    std::function<void(int)> on_push;    // runs at the start of each push, with its number
    std::function<void(const std::string&)> on_call;  // runs as each call is recorded, with its name

    // ---- record ----
    std::vector<std::string> calls;  // "create", "open", "file_info", "program_info 0", "stream_format 0 1", ...
    std::string opened_path;
    int live_instances = 0;
    int instances_created = 0;
    int opens = 0;
    int pushes = 0;  // in the current pass
    bool misuse = false;  // a call with a freed or unknown instance or parser
};

// The one script of the process; tests reset it with Current() = {}.
Script& Current();

// The calls recorded after the first occurrence of call (all when absent).
std::vector<std::string> CallsAfter(const std::string& call);

}  // namespace scripted
