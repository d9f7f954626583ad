#include "tests/support/mpa_builder.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace testsupport {
namespace {

using RateRow = std::array<int, 16>;

constexpr RateRow kMpeg1LayerI = {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0};
constexpr RateRow kMpeg1LayerII = {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0};
constexpr RateRow kMpeg1LayerIII = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
constexpr RateRow kLsfLayerI = {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0};
constexpr RateRow kLsfLayerIIandIII = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};

constexpr std::array<int, 3> kMpeg1Rates = {44100, 48000, 32000};
constexpr std::array<int, 3> kMpeg2Rates = {22050, 24000, 16000};
constexpr std::array<int, 3> kMpeg25Rates = {11025, 12000, 8000};

// Version code in header byte 1, bits 4-3.
int VersionBits(MpaVersion version) {
    switch (version) {
        case MpaVersion::Mpeg1: return 3;
        case MpaVersion::Mpeg2: return 2;
        case MpaVersion::Mpeg25: return 0;
    }
    return 1;
}

bool IsLsf(const MpaFrameSpec& params) { return params.version != MpaVersion::Mpeg1; }

class BitReader {
public:
    explicit BitReader(const Bytes& data) : data_(data) {}
    int Read(int count) {
        int value = 0;
        for (int i = 0; i < count; ++i, ++position_) {
            const std::size_t byte = position_ / 8;
            const int bit = byte < data_.size() ? (data_[byte] >> (7 - position_ % 8)) & 1 : 0;
            value = (value << 1) | bit;
        }
        return value;
    }
    [[nodiscard]] int Position() const { return static_cast<int>(position_); }

private:
    const Bytes& data_;
    std::size_t position_ = 0;
};

int LayerIProtectedBits(const MpaFrameSpec& params) {
    const int bound = JointStereoBound(params, 32);
    return 4 * (ChannelCount(params) * bound + (32 - bound));
}

int LayerIIProtectedBits(const MpaFrameSpec& params, const Bytes& body) {
    const std::vector<int> widths = LayerIIAllocationBits(params);
    const int limit = static_cast<int>(widths.size());
    const int channels = ChannelCount(params);
    const int bound = JointStereoBound(params, limit);
    BitReader reader(body);
    int allocated = 0;  // (channel, subband) pairs with a non-zero allocation
    for (int sb = 0; sb < limit; ++sb) {
        if (sb < bound) {
            for (int ch = 0; ch < channels; ++ch) allocated += reader.Read(widths[sb]) != 0 ? 1 : 0;
        } else if (reader.Read(widths[sb]) != 0) {
            allocated += channels;
        }
    }
    return reader.Position() + 2 * allocated;
}

int LayerIIISideInfoBytes(const MpaFrameSpec& params) {
    const bool mono = ChannelCount(params) == 1;
    if (IsLsf(params)) return mono ? 9 : 17;
    return mono ? 17 : 32;
}

int HeaderSize(const MpaFrameSpec& params) { return params.crc ? 6 : 4; }

}  // namespace

int ChannelCount(const MpaFrameSpec& params) { return params.mode == kMpaSingleChannel ? 1 : 2; }

// First subband coded jointly in intensity stereo; all subbands otherwise.
int JointStereoBound(const MpaFrameSpec& params, int subbandLimit) {
    if (params.mode != kMpaJointStereo) return subbandLimit;
    return std::min(4 * ((params.modeExtension & 3) + 1), subbandLimit);
}

// Bits per subband of a Layer II bit allocation table; its size is the
// table's subband limit.
std::vector<int> LayerIIAllocationBits(const MpaFrameSpec& params) {
    auto bits = [](std::initializer_list<std::pair<int, int>> runs) {
        std::vector<int> table;
        for (const auto& [count, width] : runs) table.insert(table.end(), count, width);
        return table;
    };
    if (IsLsf(params)) return bits({{4, 4}, {7, 3}, {19, 2}});
    const int rate = SamplingRateHz(params);
    const int perChannel = BitrateKbps(params) / ChannelCount(params);
    const bool freeFormat = params.bitrateIndex == 0;
    if (!freeFormat && perChannel <= 48) {
        return rate == 32000 ? bits({{2, 4}, {10, 3}}) : bits({{2, 4}, {6, 3}});
    }
    if ((!freeFormat && perChannel <= 80) || rate == 48000) return bits({{11, 4}, {12, 3}, {4, 2}});
    return bits({{11, 4}, {12, 3}, {7, 2}});
}

int BitrateKbps(const MpaFrameSpec& params) {
    if (params.bitrateIndex < 0 || params.bitrateIndex > 15) return 0;
    const auto index = static_cast<std::size_t>(params.bitrateIndex);
    switch (params.layer) {
        case kMpaLayerI: return IsLsf(params) ? kLsfLayerI[index] : kMpeg1LayerI[index];
        case kMpaLayerII: return IsLsf(params) ? kLsfLayerIIandIII[index] : kMpeg1LayerII[index];
        case kMpaLayerIII: return IsLsf(params) ? kLsfLayerIIandIII[index] : kMpeg1LayerIII[index];
        default: return 0;
    }
}

int SamplingRateHz(const MpaFrameSpec& params) {
    if (params.samplingIndex < 0 || params.samplingIndex > 2) return 0;
    const auto index = static_cast<std::size_t>(params.samplingIndex);
    switch (params.version) {
        case MpaVersion::Mpeg1: return kMpeg1Rates[index];
        case MpaVersion::Mpeg2: return kMpeg2Rates[index];
        case MpaVersion::Mpeg25: return kMpeg25Rates[index];
    }
    return 0;
}

Bytes MakeHeader(const MpaFrameSpec& params) {
    const auto byte = [](int value) { return static_cast<std::uint8_t>(value & 0xFF); };
    return {
        0xFF,
        byte(0xE0 | VersionBits(params.version) << 3 | (params.layer & 3) << 1 | (params.crc ? 0 : 1)),
        byte((params.bitrateIndex & 15) << 4 | (params.samplingIndex & 3) << 2 | (params.padding & 1) << 1 |
             (params.privateBit & 1)),
        byte((params.mode & 3) << 6 | (params.modeExtension & 3) << 4 | (params.copyright & 1) << 3 |
             (params.original & 1) << 2 | (params.emphasis & 3)),
    };
}

int FrameLength(const MpaFrameSpec& params) {
    const long long bitrate = BitrateKbps(params) * 1000LL;
    const long long rate = SamplingRateHz(params);
    if (bitrate == 0 || rate == 0) return 0;
    const int padding = params.padding & 1;
    if (params.layer == kMpaLayerI) return static_cast<int>((12 * bitrate / rate + padding) * 4);
    const long long samplesPerByte = params.layer == kMpaLayerIII && IsLsf(params) ? 72 : 144;
    return static_cast<int>(samplesPerByte * bitrate / rate + padding);
}

int ProtectedBitCount(const MpaFrameSpec& params, const Bytes& body) {
    switch (params.layer) {
        case kMpaLayerI: return LayerIProtectedBits(params);
        case kMpaLayerII: return LayerIIProtectedBits(params, body);
        case kMpaLayerIII: return 8 * LayerIIISideInfoBytes(params);
        default: return 0;
    }
}

std::uint16_t MpaCrc16(const std::uint8_t* data, std::size_t bitCount, std::uint16_t crc) {
    for (std::size_t i = 0; i < bitCount; ++i) {
        const int bit = (data[i / 8] >> (7 - i % 8)) & 1;
        const int top = (crc >> 15) & 1;
        crc = static_cast<std::uint16_t>(crc << 1);
        if ((top ^ bit) != 0) crc ^= 0x8005;
    }
    return crc;
}

std::optional<std::uint16_t> ComputeFrameCrc(const MpaFrameSpec& params, const Bytes& frame) {
    if (frame.size() < 6) return std::nullopt;
    Bytes body(frame.begin() + 6, frame.end());
    const int bits = ProtectedBitCount(params, body);
    if (body.size() * 8 < static_cast<std::size_t>(bits)) return std::nullopt;
    const std::uint16_t crc = MpaCrc16(frame.data() + 2, 16);
    return MpaCrc16(body.data(), static_cast<std::size_t>(bits), crc);
}

std::optional<std::uint16_t> ComputeFrameCrc(const Bytes& frame) {
    if (frame.size() < 4) return std::nullopt;
    const auto params = ParseHeader(frame.data());
    if (!params || !params->crc) return std::nullopt;
    return ComputeFrameCrc(*params, frame);
}

std::optional<MpaFrameSpec> ParseHeader(const std::uint8_t* header) {
    if (header[0] != 0xFF || (header[1] & 0xE0) != 0xE0) return std::nullopt;
    MpaFrameSpec params;
    switch ((header[1] >> 3) & 3) {
        case 3: params.version = MpaVersion::Mpeg1; break;
        case 2: params.version = MpaVersion::Mpeg2; break;
        case 0: params.version = MpaVersion::Mpeg25; break;
        default: return std::nullopt;
    }
    params.layer = (header[1] >> 1) & 3;
    params.crc = (header[1] & 1) == 0;
    params.bitrateIndex = header[2] >> 4;
    params.samplingIndex = (header[2] >> 2) & 3;
    params.padding = (header[2] >> 1) & 1;
    params.privateBit = header[2] & 1;
    params.mode = header[3] >> 6;
    params.modeExtension = (header[3] >> 4) & 3;
    params.copyright = (header[3] >> 3) & 1;
    params.original = (header[3] >> 2) & 1;
    params.emphasis = header[3] & 3;
    return params;
}

Bytes MakeFrame(const MpaFrameSpec& params, std::uint8_t filler, const Bytes& leadingBody) {
    const int length = std::max(FrameLength(params), HeaderSize(params));
    Bytes frame = MakeHeader(params);
    if (params.crc) frame.insert(frame.end(), 2, 0x00);
    const auto bodySize = static_cast<std::size_t>(length - HeaderSize(params));
    if (leadingBody.size() > bodySize) throw std::invalid_argument("frame body does not fit the frame");
    Bytes body(bodySize, filler);
    if (leadingBody.empty()) {
        const auto zeroBytes = static_cast<std::size_t>((ProtectedBitCount(params, {}) + 7) / 8);
        std::fill_n(body.begin(), std::min(zeroBytes, bodySize), 0x00);
    } else {
        std::copy(leadingBody.begin(), leadingBody.end(), body.begin());
    }
    frame.insert(frame.end(), body.begin(), body.end());
    if (params.crc) {
        // A frame too short for its protected bits (free format) gets the CRC
        // of what it has, padded with zero bits.
        Bytes padded = frame;
        padded.resize(std::max<std::size_t>(padded.size(), 6 + (ProtectedBitCount(params, body) + 7) / 8));
        const std::uint16_t crc = ComputeFrameCrc(params, padded).value_or(0);
        frame[4] = static_cast<std::uint8_t>(crc >> 8);
        frame[5] = static_cast<std::uint8_t>(crc & 0xFF);
    }
    return frame;
}

MpaStreamBuilder& MpaStreamBuilder::Frame(const MpaFrameSpec& params, std::uint8_t filler,
                                          const Bytes& leadingBody) {
    const Bytes frame = MakeFrame(params, filler, leadingBody);
    frames_.push_back({Size(), static_cast<int>(frame.size())});
    data_.insert(data_.end(), frame.begin(), frame.end());
    return *this;
}

MpaStreamBuilder& MpaStreamBuilder::Frames(const MpaFrameSpec& params, int count, std::uint8_t filler) {
    for (int i = 0; i < count; ++i) Frame(params, filler);
    return *this;
}

MpaStreamBuilder& MpaStreamBuilder::Raw(const Bytes& bytes) {
    data_.insert(data_.end(), bytes.begin(), bytes.end());
    return *this;
}

MpaStreamBuilder& MpaStreamBuilder::Junk(std::size_t count, std::uint8_t value) {
    data_.insert(data_.end(), count, value);
    return *this;
}

}  // namespace testsupport
