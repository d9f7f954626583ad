#include "tests/support/mpa_builder_dab.h"

#include <algorithm>
#include <array>
#include <random>
#include <stdexcept>

namespace testsupport {
namespace {

constexpr std::array<int, 5> kGroupStarts = {0, 4, 8, 16, 32};
constexpr int kSampleBitsPerAllocation = 12 * 5;  // allocation 1: 12 codes of 5 bits
constexpr int kScalefactorsByScfsi[4] = {3, 2, 1, 2};

class BitWriter {
public:
    explicit BitWriter(Bytes& data, int startBit) : data_(data), bit_(startBit) {}
    void Put(unsigned value, int count) {
        for (int i = count - 1; i >= 0; --i, ++bit_) {
            if ((value >> i) & 1) data_[static_cast<std::size_t>(bit_ / 8)] |= static_cast<std::uint8_t>(0x80 >> (bit_ % 8));
        }
    }
    [[nodiscard]] int Position() const { return bit_; }

private:
    Bytes& data_;
    int bit_;
};

// What a frame codes: allocation (0 or 1) per channel and subband, scfsi and
// the transmitted scale factors.
struct FrameContent {
    int allocation[2][32] = {};
    int scfsi[2][32] = {};
    std::vector<int> scalefactors[2][32];
};

int ContentBits(const MpaFrameSpec& params, const FrameContent& content, int limit, int bound) {
    int bits = 0;
    for (int sb = 0; sb < limit; ++sb) {
        for (int ch = 0; ch < ChannelCount(params); ++ch) {
            if (content.allocation[ch][sb] == 0) continue;
            bits += 2 + 6 * static_cast<int>(content.scalefactors[ch][sb].size());
            if (sb < bound || ch == 0) bits += kSampleBitsPerAllocation;
        }
    }
    return bits;
}

// Random allocation while the audio data fits into `budget` bits.
FrameContent MakeContent(const MpaFrameSpec& params, std::mt19937& random, int budget) {
    const int limit = static_cast<int>(LayerIIAllocationBits(params).size());
    const int bound = JointStereoBound(params, limit);
    const int channels = ChannelCount(params);
    FrameContent content;
    for (int sb = 0; sb < limit; ++sb) {
        const bool allocate = random() % 3 != 0;
        for (int ch = 0; ch < channels; ++ch) {
            if (!(sb < bound ? random() % 3 != 0 : allocate)) continue;
            FrameContent candidate = content;
            candidate.allocation[ch][sb] = 1;
            candidate.scfsi[ch][sb] = static_cast<int>(random() % 4);
            for (int i = 0; i < kScalefactorsByScfsi[candidate.scfsi[ch][sb]]; ++i) {
                candidate.scalefactors[ch][sb].push_back(static_cast<int>(random() % 63));
            }
            if (ContentBits(params, candidate, limit, bound) <= budget) content = candidate;
        }
        if (sb >= bound && channels == 2 && content.allocation[0][sb] != content.allocation[1][sb]) {
            content.allocation[0][sb] = content.allocation[1][sb] = 0;  // one field serves both channels
            content.scalefactors[0][sb].clear();
            content.scalefactors[1][sb].clear();
        }
    }
    return content;
}

std::array<std::uint8_t, 4> CheckWords(const MpaFrameSpec& params, const FrameContent& content, int count) {
    const int limit = static_cast<int>(LayerIIAllocationBits(params).size());
    std::array<std::uint8_t, 4> words{};
    for (int group = 0; group < count; ++group) {
        std::uint8_t crc = 0;
        for (int sb = kGroupStarts[group]; sb < std::min(kGroupStarts[group + 1], limit); ++sb) {
            for (int ch = 0; ch < ChannelCount(params); ++ch) {
                for (const int scalefactor : content.scalefactors[ch][sb]) crc = DabCrc8(crc, scalefactor >> 3, 3);
            }
        }
        words[static_cast<std::size_t>(group)] = crc;
    }
    return words;
}

// Header, CRC word placeholder, allocation, scfsi, scale factors, samples;
// returns the bit after the samples.
int WriteAudioData(const MpaFrameSpec& params, const FrameContent& content, std::mt19937& random, Bytes& frame) {
    const std::vector<int> widths = LayerIIAllocationBits(params);
    const int limit = static_cast<int>(widths.size());
    const int bound = JointStereoBound(params, limit);
    const int channels = ChannelCount(params);
    BitWriter out(frame, 48);
    for (int sb = 0; sb < limit; ++sb) {
        for (int ch = 0; ch < (sb < bound ? channels : 1); ++ch) out.Put(static_cast<unsigned>(content.allocation[ch][sb]), widths[static_cast<std::size_t>(sb)]);
    }
    for (int sb = 0; sb < limit; ++sb) {
        for (int ch = 0; ch < channels; ++ch) {
            if (content.allocation[ch][sb] != 0) out.Put(static_cast<unsigned>(content.scfsi[ch][sb]), 2);
        }
    }
    for (int sb = 0; sb < limit; ++sb) {
        for (int ch = 0; ch < channels; ++ch) {
            for (const int scalefactor : content.scalefactors[ch][sb]) out.Put(static_cast<unsigned>(scalefactor), 6);
        }
    }
    for (int code = 0; code < 12; ++code) {
        for (int sb = 0; sb < limit; ++sb) {
            for (int ch = 0; ch < (sb < bound ? channels : 1); ++ch) {
                if (content.allocation[ch][sb] != 0) out.Put(random() % 27, 5);  // three 3-step samples
            }
        }
    }
    return out.Position();
}

}  // namespace

int DabCheckWordCount(const MpaFrameSpec& params) {
    const int limit = static_cast<int>(LayerIIAllocationBits(params).size());
    int count = 0;
    while (count < 4 && kGroupStarts[static_cast<std::size_t>(count)] < limit) ++count;
    return count;
}

std::uint8_t DabCrc8(std::uint8_t crc, unsigned value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
        const unsigned top = (crc >> 7) & 1;
        crc = static_cast<std::uint8_t>(crc << 1);
        if ((top ^ ((value >> i) & 1)) != 0) crc ^= 0x1D;
    }
    return crc;
}

DabStream MakeDabStream(const DabStreamShape& shape) {
    MpaFrameSpec params = shape.frame;
    params.layer = kMpaLayerII;
    params.crc = true;
    DabStream stream;
    stream.checkWords = DabCheckWordCount(params);
    const int length = FrameLength(params);
    const int tailBytes = shape.xpadBytes + stream.checkWords + 2;
    const int budget = length * 8 - 48 - tailBytes * 8;
    const int limit = static_cast<int>(LayerIIAllocationBits(params).size());
    const int allocationBits = [&] {
        const std::vector<int> widths = LayerIIAllocationBits(params);
        int bits = 0;
        for (int sb = 0; sb < limit; ++sb) bits += widths[static_cast<std::size_t>(sb)] * (sb < JointStereoBound(params, limit) ? ChannelCount(params) : 1);
        return bits;
    }();
    if (budget < allocationBits) throw std::invalid_argument("no room for the DAB tail");
    std::mt19937 random(shape.seed);
    std::vector<FrameContent> contents;
    for (int i = 0; i < shape.frames; ++i) contents.push_back(MakeContent(params, random, budget - allocationBits));
    for (int i = 0; i < shape.frames; ++i) {
        Bytes frame = MakeHeader(params);
        frame.resize(static_cast<std::size_t>(length), 0x00);
        const int audioEnd = WriteAudioData(params, contents[static_cast<std::size_t>(i)], random, frame);
        stream.ancillaryBits.push_back(length * 8 - audioEnd);
        const std::size_t tail = static_cast<std::size_t>(length - tailBytes);
        for (int x = 0; x < shape.xpadBytes; ++x) frame[tail + static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(random());
        if (i + 1 < shape.frames) {
            std::array<std::uint8_t, 4> words = CheckWords(params, contents[static_cast<std::size_t>(i + 1)], stream.checkWords);
            if (shape.wrongCheckWords.count(i + 1) != 0) words[0] ^= 0x01;
            // Group 0's word sits last, next to the F-PAD bytes.
            for (int group = 0; group < stream.checkWords; ++group) {
                frame[static_cast<std::size_t>(length - 3 - group)] = words[static_cast<std::size_t>(group)];
            }
        }
        frame[static_cast<std::size_t>(length - 2)] = shape.fpad[0];
        frame[static_cast<std::size_t>(length - 1)] = shape.fpad[1];
        const std::uint16_t crc = ComputeFrameCrc(params, frame).value_or(0);
        frame[4] = static_cast<std::uint8_t>(crc >> 8);
        frame[5] = static_cast<std::uint8_t>(crc & 0xFF);
        stream.data.insert(stream.data.end(), frame.begin(), frame.end());
    }
    return stream;
}

}  // namespace testsupport
