#pragma once
// Builders for MPEG audio frames and streams of every version, layer and
// header field combination, with a correct CRC-16 when asked. Lengths follow
// ISO/IEC 11172-3 and 13818-3, so the builder itself knows lower-sampling-rate
// and MPEG-2.5 frames that the viewer rejects.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace testsupport {

using Bytes = std::vector<std::uint8_t>;

enum class MpaVersion { Mpeg1, Mpeg2, Mpeg25 };

// Layer codes as they stand in the header.
inline constexpr int kMpaLayerI = 3;
inline constexpr int kMpaLayerII = 2;
inline constexpr int kMpaLayerIII = 1;

// Channel modes as they stand in the header.
inline constexpr int kMpaStereo = 0;
inline constexpr int kMpaJointStereo = 1;
inline constexpr int kMpaDualChannel = 2;
inline constexpr int kMpaSingleChannel = 3;

// Every header field; the defaults describe MPEG-1 Layer II, 128 kbit/s,
// 48 kHz, stereo, no CRC: a 384-byte frame.
struct MpaFrameSpec {
    MpaVersion version = MpaVersion::Mpeg1;
    int layer = kMpaLayerII;
    bool crc = false;  // protection_bit 0 and a CRC word after the header
    int bitrateIndex = 8;
    int samplingIndex = 1;
    int padding = 0;
    int privateBit = 0;
    int mode = kMpaStereo;
    int modeExtension = 0;
    int copyright = 0;
    int original = 0;
    int emphasis = 0;
};

// Bitrate in kbit/s and sampling rate in Hz of a frame; 0 for free format,
// forbidden or reserved indices.
[[nodiscard]] int BitrateKbps(const MpaFrameSpec& params);
[[nodiscard]] int SamplingRateHz(const MpaFrameSpec& params);

// Channels coded in a frame: 1 for single channel, 2 otherwise.
[[nodiscard]] int ChannelCount(const MpaFrameSpec& params);

// First subband coded jointly in intensity stereo; subbandLimit otherwise.
[[nodiscard]] int JointStereoBound(const MpaFrameSpec& params, int subbandLimit);

// Bits per subband of the frame's Layer II bit allocation table; its size is
// the table's subband limit (sblimit).
[[nodiscard]] std::vector<int> LayerIIAllocationBits(const MpaFrameSpec& params);

// The four header bytes.
[[nodiscard]] Bytes MakeHeader(const MpaFrameSpec& params);

// Frame length in bytes, header included; 0 when the bitrate or the sampling
// rate is 0 (free format and forbidden or reserved indices).
[[nodiscard]] int FrameLength(const MpaFrameSpec& params);

// Bytes the CRC covers after the header and the CRC word, for the layer's
// protected bits; body is the frame's bytes after the CRC word (the bit
// allocation it holds decides the Layer II scfsi part). Partial bytes count
// as whole ones, and the CRC uses only the exact number of bits.
[[nodiscard]] int ProtectedBitCount(const MpaFrameSpec& params, const Bytes& body);

// The MPEG audio CRC-16 (polynomial 0x8005, initial value 0xFFFF, most
// significant bit first) over the leading bitCount bits of data.
[[nodiscard]] std::uint16_t MpaCrc16(const std::uint8_t* data, std::size_t bitCount,
                                     std::uint16_t crc = 0xFFFF);

// CRC word of a whole frame (header at frame[0]) computed over header bytes
// 2-3 and the protected bits of its body; nullopt when the frame is too short.
[[nodiscard]] std::optional<std::uint16_t> ComputeFrameCrc(const MpaFrameSpec& params, const Bytes& frame);

// The same for a frame whose header is parsed from its own first four bytes;
// nullopt when the header is not one or announces no CRC word.
[[nodiscard]] std::optional<std::uint16_t> ComputeFrameCrc(const Bytes& frame);

// The header fields of four header bytes; nullopt without a sync word or with
// the reserved version code.
[[nodiscard]] std::optional<MpaFrameSpec> ParseHeader(const std::uint8_t* header);

// A whole frame: header, CRC word when params.crc, then the body. The body
// starts with leadingBody (side information or allocation, all zero when
// empty) and is filled up with filler. A frame whose length is 0 (free format)
// is the header and the CRC word only. Throws when leadingBody does not fit.
[[nodiscard]] Bytes MakeFrame(const MpaFrameSpec& params, std::uint8_t filler = 0x00,
                              const Bytes& leadingBody = {});

// A stream assembled piece by piece, remembering where each frame lies.
class MpaStreamBuilder {
public:
    struct PlacedFrame {
        std::int64_t offset;
        int length;
    };

    MpaStreamBuilder& Frame(const MpaFrameSpec& params, std::uint8_t filler = 0x00,
                            const Bytes& leadingBody = {});
    MpaStreamBuilder& Frames(const MpaFrameSpec& params, int count, std::uint8_t filler = 0x00);
    // Bytes that are not a frame (junk between frames, a truncated tail).
    MpaStreamBuilder& Raw(const Bytes& bytes);
    MpaStreamBuilder& Junk(std::size_t count, std::uint8_t value = 0x00);

    [[nodiscard]] const Bytes& Data() const { return data_; }
    [[nodiscard]] const std::vector<PlacedFrame>& FrameList() const { return frames_; }
    [[nodiscard]] std::int64_t Size() const { return static_cast<std::int64_t>(data_.size()); }

private:
    Bytes data_;
    std::vector<PlacedFrame> frames_;
};

}  // namespace testsupport
