#pragma once
// Minimal byte images of the containers and video elementary streams that the
// content probes recognise. The bytes the probes look at follow the formats;
// the rest is plausible filler. Every builder takes its fields as parameters
// so that a test can break one of them at a time.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

using Bytes = std::vector<std::uint8_t>;

// Overwrites bytes.size() >= offset + 4 bytes with value, most significant first.
void PutBigEndian32(Bytes& bytes, std::size_t offset, std::uint32_t value);

// Appends tail to bytes.
void Append(Bytes& bytes, const Bytes& tail);

// ---------------------------------------------------------------- MPEG-2 transport stream

struct TSImageSpec {
    // 188; 192 carries a 4-byte prefix before each sync byte; 196, 204 and
    // 212 carry trailing bytes after the 188-byte packet.
    int packetSize = 188;
    int packetCount = 16;
    // Tail of a packet cut off before the first whole packet.
    std::size_t leadingPartialBytes = 0;
};

[[nodiscard]] Bytes MakeTransportStream(const TSImageSpec& params);
// Offset of the sync byte of packet index in an image built from params.
[[nodiscard]] std::size_t TSSyncOffset(const TSImageSpec& params, int index);

// ---------------------------------------------------------------- MPEG program stream

enum class PackVersion { Mpeg1, Mpeg2 };

// A pack header with the system clock at 0 and no stuffing: 12 bytes for
// MPEG-1, 14 for MPEG-2.
[[nodiscard]] Bytes MakePackHeader(PackVersion version);
// packCount packs of 2,048 bytes, each a pack header and a padding packet.
[[nodiscard]] Bytes MakeProgramStream(PackVersion version, int packCount);

// ---------------------------------------------------------------- MP4 / QuickTime

struct BoxSpec {
    std::string type;  // four characters
    std::size_t payloadBytes = 0;
    bool largeSize = false;  // size field 1 and a 64-bit size after the type
    // Written instead of the true size (as the 64-bit size when largeSize,
    // otherwise cut to 32 bits).
    std::optional<std::uint64_t> declaredSize;
};

// The boxes one after another, each with a zero payload.
[[nodiscard]] Bytes MakeBoxChain(const std::vector<BoxSpec>& boxes);
// count boxes that are neither "moov" nor "mdat" ("ftyp" first, then "free"
// and "skip").
[[nodiscard]] std::vector<BoxSpec> JunkBoxes(int count);

// ---------------------------------------------------------------- RIFF

// "RIFF", the little-endian size of what follows, the form type, the body.
[[nodiscard]] Bytes MakeRiff(std::string_view formType, const Bytes& body);
// A 16-bit PCM WAVE file of silence.
[[nodiscard]] Bytes MakeWaveFile(int sampleRate = 48000, int channels = 2, int sampleFrames = 64);
// An AVI file with an empty main header list and an empty movie list.
[[nodiscard]] Bytes MakeAviFile();

// ---------------------------------------------------------------- DV

enum class DVSystem { Lines625Hz50, Lines525Hz60 };

struct DVImageSpec {
    DVSystem system = DVSystem::Lines625Hz50;
    // 2: one channel per frame; 3: two channels (the second with its FSC bit
    // set); 4: four channels (the last two with their FSP bit clear).
    int type = 2;
    int frameCount = 8;
};

// 144,000 (625/50) or 120,000 (525/60) bytes times the channel count.
[[nodiscard]] std::size_t DVFrameBytes(const DVImageSpec& params);
// Frames of 80-byte DIF blocks, each block with its section, sequence and
// block number; only the first header block of a frame reads 1F 07 00 x3F.
[[nodiscard]] Bytes MakeDVStream(const DVImageSpec& params);

// ---------------------------------------------------------------- MPEG-1/2 video

// 720x576, 25 frames/s: the sequence header and its extension.
[[nodiscard]] Bytes MP2VSequenceHeader();
[[nodiscard]] Bytes MP2VGroupHeader();
// User data start code and dataBytes bytes of text without a start code.
[[nodiscard]] Bytes MP2VUserData(std::size_t dataBytes);
// An intra picture header.
[[nodiscard]] Bytes MP2VPictureHeader();
// A slice start code and dataBytes bytes without a start code.
[[nodiscard]] Bytes MP2VSlice(std::size_t dataBytes);

struct MP2VImageSpec {
    bool sequenceHeader = true;
    int groupCount = 2;
    // User data between each group header and its picture; 0 for none.
    std::size_t userDataBytes = 0;
};

// The sequence header, then per group: group header, user data, picture,
// slice; a sequence end code closes the stream.
[[nodiscard]] Bytes MakeMP2VStream(const MP2VImageSpec& params);

// ---------------------------------------------------------------- VC-1

struct VC1SequenceSpec {
    int profile = 3;  // 3: advanced
    int level = 3;
    int chromaFormat = 1;  // 1: 4:2:0
    bool reservedBit = true;  // the bit after FINTERPFLAG, always 1 in valid streams
    int width = 1920;
    int height = 1080;
};

// The advanced-profile sequence header.
[[nodiscard]] Bytes MakeVC1SequenceHeader(const VC1SequenceSpec& params);
// The sequence header, an entry point and frameCount frames.
[[nodiscard]] Bytes MakeVC1Stream(const VC1SequenceSpec& params, int frameCount = 2);

// ---------------------------------------------------------------- VC-3

struct VC3ImageSpec {
    std::int32_t compressionID = 1253;
    std::size_t frameBytes = 188416;
    bool interlaced = false;  // two fields of frameBytes / 2 bytes per frame
    int frameCount = 2;
    int width = 1920;
    int height = 1080;
};

// Frames of frameBytes; each header (per field when interlaced) carries the
// prefix 00 00 02 80 01, the field code in byte 5 (progressive 1, first field
// 2, second field 3) and the compression ID at byte 40.
[[nodiscard]] Bytes MakeVC3Stream(const VC3ImageSpec& params);
// Offset of the header of field (0 or 1) of frame in an image from params.
[[nodiscard]] std::size_t VC3HeaderOffset(const VC3ImageSpec& params, int frame, int field = 0);

}  // namespace testsupport
