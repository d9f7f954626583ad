#pragma once
// Helpers for the sink tests: an owning handle for a bufstream record,
// typed wrappers around its commands, and file and tool utilities.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "abi/bufstream.h"

namespace sinktest {

struct ReleaseRecord {
    void operator()(bufstream* bs) const {
        if (bs != nullptr) bs->release(bs);
    }
};
using SinkPtr = std::unique_ptr<bufstream, ReleaseRecord>;

// 0xF0010; nothing when the command fails to write the value.
std::optional<std::uint64_t> BytesAccepted(bufstream* bs);
std::int32_t PartNumber(bufstream* bs);
std::string PartFileName(bufstream* bs);

// Pushes all bytes through write_bytes in chunks; false when a call fails.
bool WriteInChunks(bufstream* bs, const std::vector<std::uint8_t>& bytes, std::size_t chunk);
// Pushes all bytes through reserve + commit; false when a call fails.
bool ReserveAndCommit(bufstream* bs, const std::vector<std::uint8_t>& bytes);

// Deterministic bytes that differ from one position to the next.
std::vector<std::uint8_t> Pattern(std::size_t size, std::uint32_t seed);

// Size of a file, or -1 when it does not exist.
std::int64_t FileSize(const std::string& path);

// Number of file descriptors the process has open.
int OpenDescriptorCount();

// True when the program is on the PATH.
bool HaveTool(const std::string& program);
// Runs a shell command line; true when it exits with 0.
bool RunCommand(const std::string& command_line);
// Quotes a path for the shell.
std::string Quoted(const std::string& path);

}  // namespace sinktest
