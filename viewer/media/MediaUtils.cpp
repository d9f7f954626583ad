// The file half of the content probes: each one reads its bounded block from
// the start of the file in a single read and hands it to its scanner. The
// box walk of IsQT is the one probe that reads piece by piece.

#include "viewer/media/MediaUtils.h"

#include <chrono>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/debug_output.h"
#include "viewer/model/ID3v2Tag.h"

namespace {

using platform::FileOffset;
using platform::SharedFile;
using Block = std::vector<std::uint8_t>;

constexpr int kTSPacketRun = 10;
constexpr std::size_t kRiffHeaderBytes = 12;
constexpr std::size_t kBoxHeaderBytes = 8;
constexpr std::size_t kBoxLargeSizeBytes = 8;

// Anything a probe cannot go on with: the probe reports its own line.
class ProbeFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

void WriteLine(std::string_view line) noexcept {
    try {
        platform::OutputDebugLine(line);
    } catch (...) {
    }
}

// Runs a probe body; any failure becomes the probe's debug line and false.
template <typename Body>
bool Guarded(std::string_view failureLine, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        WriteLine(failureLine);
        return false;
    }
}

void OpenForProbe(SharedFile& file, const std::string& fileName) {
    if (!file.Open(fileName, SharedFile::Access::Read)) throw ProbeFailure("cannot open " + fileName);
}

// One read of at most limit bytes at the file's position.
Block ReadBlock(SharedFile& file, std::size_t limit) {
    Block block(limit);
    const std::int64_t got = file.Read(block.data(), static_cast<std::int64_t>(block.size()));
    if (got < 0) throw ProbeFailure("read failed");
    block.resize(static_cast<std::size_t>(got));
    return block;
}

Block ReadFileStart(const std::string& fileName, std::size_t limit) {
    SharedFile file;
    OpenForProbe(file, fileName);
    return ReadBlock(file, limit);
}

Block ReadStreamStart(SharedFile& stream, std::size_t limit) {
    if (!stream.Seek(0)) throw ProbeFailure("cannot seek");
    return ReadBlock(stream, limit);
}

bool HasTextAt(const Block& block, std::size_t offset, std::string_view text) {
    return block.size() >= offset + text.size() && std::memcmp(block.data() + offset, text.data(), text.size()) == 0;
}

bool IsRiffForm(const std::string& fileName, std::string_view formType) {
    const Block block = ReadFileStart(fileName, kRiffHeaderBytes);
    return HasTextAt(block, 0, "RIFF") && HasTextAt(block, 8, formType);
}

std::uint64_t ReadBigEndian(const std::uint8_t* at, std::size_t bytes) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < bytes; ++i) value = (value << 8) | at[i];
    return value;
}

// ---------------------------------------------------------------- box walk

struct BoxHeader {
    std::uint64_t size = 0;  // the extended size when the size field is 1
    bool isMovieOrData = false;
};

// Reads the header of the box at the file's position; nullopt on a short read.
std::optional<BoxHeader> ReadBoxHeader(SharedFile& file, Block& buffer) {
    std::int64_t got = file.Read(buffer.data(), kBoxHeaderBytes);
    if (got < 0) throw ProbeFailure("read failed");
    if (got < static_cast<std::int64_t>(kBoxHeaderBytes)) return std::nullopt;
    BoxHeader header;
    header.size = ReadBigEndian(buffer.data(), 4);
    header.isMovieOrData = HasTextAt(buffer, 4, "moov") || HasTextAt(buffer, 4, "mdat");
    if (header.size != 1) return header;
    got = file.Read(buffer.data(), kBoxLargeSizeBytes);
    if (got < 0) throw ProbeFailure("read failed");
    if (got < static_cast<std::int64_t>(kBoxLargeSizeBytes)) return std::nullopt;
    header.size = ReadBigEndian(buffer.data(), kBoxLargeSizeBytes);
    return header;
}

bool WalkTopLevelBoxes(SharedFile& file) {
    const FileOffset fileSize = file.Size();
    if (fileSize < 0) throw ProbeFailure("unknown file size");
    Block buffer(kBoxHeaderBytes);
    FileOffset boxStart = 0;
    for (int box = 0; box < kQTMaxBoxes; ++box) {
        if (box > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (!file.Seek(boxStart)) throw ProbeFailure("cannot seek");
        const auto header = ReadBoxHeader(file, buffer);
        if (!header) return false;
        if (header->isMovieOrData) return true;
        if (header->size > static_cast<std::uint64_t>(fileSize - boxStart)) return false;
        boxStart += static_cast<FileOffset>(header->size);
    }
    return false;
}

}  // namespace

bool IsQT(const std::string& fileName) {
    return Guarded("dbg: Error in IsQT call...", [&] {
        SharedFile file;
        OpenForProbe(file, fileName);
        return WalkTopLevelBoxes(file);
    });
}

bool IsTS(const std::string& fileName, std::int32_t& packetSize, std::int32_t& syncOffset) {
    return Guarded("dbg: Error in IsTS call...", [&] {
        const Block block = ReadFileStart(fileName, kTSProbeBytes);
        if (block.empty()) {
            WriteLine("dbg: Error in IsTS call - cannot read file.");
            return false;
        }
        return GetTSStreamTypeEx(block.data(), block.size(), kTSPacketRun, packetSize, syncOffset);
    });
}

bool IsPS(const std::string& fileName) {
    return Guarded("dbg: Error in IsPS call...", [&] {
        const Block block = ReadFileStart(fileName, kPSProbeBytes);
        return ScanPS(block.data(), block.size());
    });
}

bool IsAVIFile(const std::string& fileName) {
    return Guarded("dbg: Error in IsAVIFile call...", [&] { return IsRiffForm(fileName, "AVI "); });
}

bool IsWAVEFile(const std::string& fileName) {
    return Guarded("dbg: Error in IsWAVEFile call...", [&] { return IsRiffForm(fileName, "WAVE"); });
}

bool IsDV(SharedFile& stream) {
    return Guarded("dbg: Error in IsDV call...", [&] {
        const Block block = ReadStreamStart(stream, kDVProbeBytes);
        return ScanDV(block.data(), block.size());
    });
}

bool IsMP2V_Ex(SharedFile& stream) {
    return Guarded("dbg: Error in IsMP2V_Ex call...", [&] {
        const Block block = ReadStreamStart(stream, kMP2VProbeBytes);
        return ScanMP2V(block.data(), block.size());
    });
}

bool IsVC1(SharedFile& stream) {
    return Guarded("dbg: Error in IsVC1 call...", [&] {
        const Block block = ReadStreamStart(stream, kVC1ProbeBytes);
        return ScanVC1(block.data(), block.size());
    });
}

// Reports with the VC-1 probe's line: both video probes share it.
bool IsVC3(SharedFile& stream) {
    return Guarded("dbg: Error in IsVC1 call...", [&] {
        const Block block = ReadStreamStart(stream, kVC3ProbeBytes);
        return ScanVC3(block.data(), block.size());
    });
}

bool IsMPA_All_Layers(SharedFile& stream) {
    return Guarded("dbg: Error in IsMPA_All_Layers call...", [&] {
        // The headers are counted after a leading ID3v2 tag, as the vote does.
        if (!stream.Seek(LeadingID3v2TagBytes(stream))) throw ProbeFailure("cannot seek");
        const Block block = ReadBlock(stream, kMPAAllLayersProbeBytes);
        return ScanMPAAllLayers(block.data(), block.size());
    });
}
