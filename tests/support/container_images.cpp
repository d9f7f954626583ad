#include "tests/support/container_images.h"

#include <stdexcept>

namespace testsupport {
namespace {

// Writes fields most significant bit first; the last byte is padded with zeros.
class BitWriter {
public:
    BitWriter& Put(std::uint64_t value, int bits) {
        for (int bit = bits - 1; bit >= 0; --bit) {
            if (used_ % 8 == 0) bytes_.push_back(0);
            if ((value >> bit) & 1) bytes_.back() |= static_cast<std::uint8_t>(0x80 >> (used_ % 8));
            ++used_;
        }
        return *this;
    }
    BitWriter& Marker() { return Put(1, 1); }
    [[nodiscard]] const Bytes& Data() const { return bytes_; }

private:
    Bytes bytes_;
    std::size_t used_ = 0;
};

Bytes StartCode(std::uint8_t code) { return {0x00, 0x00, 0x01, code}; }

Bytes operator+(Bytes head, const Bytes& tail) {
    Append(head, tail);
    return head;
}

void PutLittleEndian32(Bytes& bytes, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PutLittleEndian16(Bytes& bytes, std::uint16_t value) {
    bytes.push_back(static_cast<std::uint8_t>(value));
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutText(Bytes& bytes, std::string_view text) { bytes.insert(bytes.end(), text.begin(), text.end()); }

Bytes RiffChunk(std::string_view id, const Bytes& body) {
    Bytes chunk;
    PutText(chunk, id);
    PutLittleEndian32(chunk, static_cast<std::uint32_t>(body.size()));
    Append(chunk, body);
    if (body.size() % 2 != 0) chunk.push_back(0);
    return chunk;
}

Bytes RiffList(std::string_view listType, const Bytes& body) {
    Bytes inner;
    PutText(inner, listType);
    Append(inner, body);
    return RiffChunk("LIST", inner);
}

// ---------------------------------------------------------------- transport stream

std::size_t TSPrefixBytes(int packetSize) { return packetSize == 192 ? 4 : 0; }

Bytes TransportPacket(const TSImageSpec& params, int index) {
    Bytes packet;
    const std::size_t prefix = TSPrefixBytes(params.packetSize);
    if (prefix > 0) {  // arrival time stamp, in steps of 4,096 ticks
        packet.resize(4);
        PutBigEndian32(packet, 0, static_cast<std::uint32_t>(index) * 0x1000u);
    }
    const std::uint8_t header[] = {0x47, 0x41, 0x00, static_cast<std::uint8_t>(0x10 | (index & 0x0F))};
    packet.insert(packet.end(), std::begin(header), std::end(header));
    packet.resize(prefix + 188, 0xFF);
    packet.resize(static_cast<std::size_t>(params.packetSize), 0x00);
    return packet;
}

// ---------------------------------------------------------------- DV

constexpr std::size_t kDifBlockBytes = 80;
constexpr int kDifBlocksPerSequence = 150;

enum DifSection { kHeaderSection = 0, kSubcodeSection = 1, kVauxSection = 2, kAudioSection = 3, kVideoSection = 4 };

struct DifBlockPlace {
    int section;
    int number;  // within its section in the sequence
};

DifBlockPlace PlaceOfBlock(int block) {
    if (block == 0) return {kHeaderSection, 0};
    if (block < 3) return {kSubcodeSection, block - 1};
    if (block < 6) return {kVauxSection, block - 3};
    const int rest = block - 6;  // audio leads every group of one audio and 15 video blocks
    if (rest % 16 == 0) return {kAudioSection, rest / 16};
    return {kVideoSection, rest - rest / 16 - 1};
}

int ChannelCount(const DVImageSpec& params) { return params.type == 4 ? 4 : params.type == 3 ? 2 : 1; }

void AppendDifSequence(Bytes& out, const DVImageSpec& params, int channel, int sequence) {
    const bool fsc = channel % 2 == 1;
    const bool fsp = params.type != 4 || channel < 2;
    const bool is625 = params.system == DVSystem::Lines625Hz50;
    for (int block = 0; block < kDifBlocksPerSequence; ++block) {
        const auto place = PlaceOfBlock(block);
        const std::size_t start = out.size();
        out.resize(start + kDifBlockBytes, 0x00);
        out[start] = static_cast<std::uint8_t>(place.section << 5 | 0x1F);
        out[start + 1] = static_cast<std::uint8_t>(sequence << 4 | (fsc ? 0x08 : 0) | (fsp ? 0x04 : 0) | 0x03);
        out[start + 2] = static_cast<std::uint8_t>(place.number);
        if (place.section == kHeaderSection) out[start + 3] = is625 ? 0xBF : 0x3F;
    }
}

// ---------------------------------------------------------------- VC-3

Bytes VC3Header(const VC3ImageSpec& params, std::uint8_t fieldCode) {
    Bytes header = {0x00, 0x00, 0x02, 0x80, 0x01, fieldCode};
    header.resize(0x280, 0x00);
    header[0x18] = static_cast<std::uint8_t>(params.height >> 8);
    header[0x19] = static_cast<std::uint8_t>(params.height);
    header[0x1A] = static_cast<std::uint8_t>(params.width >> 8);
    header[0x1B] = static_cast<std::uint8_t>(params.width);
    PutBigEndian32(header, 40, static_cast<std::uint32_t>(params.compressionID));
    return header;
}

}  // namespace

void PutBigEndian32(Bytes& bytes, std::size_t offset, std::uint32_t value) {
    if (offset > bytes.size() || bytes.size() - offset < 4) throw std::out_of_range("PutBigEndian32");
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

void Append(Bytes& bytes, const Bytes& tail) { bytes.insert(bytes.end(), tail.begin(), tail.end()); }

Bytes MakeTransportStream(const TSImageSpec& params) {
    Bytes stream(params.leadingPartialBytes, 0xFF);
    for (int i = 0; i < params.packetCount; ++i) Append(stream, TransportPacket(params, i));
    return stream;
}

std::size_t TSSyncOffset(const TSImageSpec& params, int index) {
    return params.leadingPartialBytes + TSPrefixBytes(params.packetSize) +
           static_cast<std::size_t>(index) * static_cast<std::size_t>(params.packetSize);
}

Bytes MakePackHeader(PackVersion version) {
    BitWriter bits;
    if (version == PackVersion::Mpeg1) {
        bits.Put(0b0010, 4).Put(0, 3).Marker().Put(0, 15).Marker().Put(0, 15).Marker();
        bits.Marker().Put(2352, 22).Marker();  // mux rate in 50-byte/s units
    } else {
        bits.Put(0b01, 2).Put(0, 3).Marker().Put(0, 15).Marker().Put(0, 15).Marker();
        bits.Put(0, 9).Marker();  // clock extension
        bits.Put(25200, 22).Marker().Marker();
        bits.Put(0b11111, 5).Put(0, 3);  // reserved, no stuffing
    }
    return StartCode(0xBA) + bits.Data();
}

Bytes MakeProgramStream(PackVersion version, int packCount) {
    constexpr std::size_t kPackBytes = 2048;
    Bytes stream;
    for (int i = 0; i < packCount; ++i) {
        Bytes pack = MakePackHeader(version);
        const std::size_t paddingBytes = kPackBytes - pack.size() - 6;
        Append(pack, StartCode(0xBE));
        pack.push_back(static_cast<std::uint8_t>(paddingBytes >> 8));
        pack.push_back(static_cast<std::uint8_t>(paddingBytes));
        pack.resize(kPackBytes, 0xFF);
        Append(stream, pack);
    }
    return stream;
}

Bytes MakeBoxChain(const std::vector<BoxSpec>& boxes) {
    Bytes chain;
    for (const auto& box : boxes) {
        if (box.type.size() != 4) throw std::invalid_argument("box type must have four characters");
        const std::size_t headerBytes = box.largeSize ? 16 : 8;
        const std::uint64_t size = box.declaredSize.value_or(headerBytes + box.payloadBytes);
        const std::size_t start = chain.size();
        chain.resize(start + 8);
        PutBigEndian32(chain, start, box.largeSize ? 1u : static_cast<std::uint32_t>(size));
        std::copy(box.type.begin(), box.type.end(), chain.begin() + static_cast<std::ptrdiff_t>(start + 4));
        if (box.largeSize) {
            chain.resize(start + 16);
            PutBigEndian32(chain, start + 8, static_cast<std::uint32_t>(size >> 32));
            PutBigEndian32(chain, start + 12, static_cast<std::uint32_t>(size));
        }
        chain.resize(chain.size() + box.payloadBytes, 0x00);
    }
    return chain;
}

std::vector<BoxSpec> JunkBoxes(int count) {
    std::vector<BoxSpec> boxes;
    for (int i = 0; i < count; ++i) {
        const char* type = i == 0 ? "ftyp" : i % 2 == 1 ? "free" : "skip";
        boxes.push_back({type, 8, false, std::nullopt});
    }
    return boxes;
}

Bytes MakeRiff(std::string_view formType, const Bytes& body) {
    Bytes riff;
    PutText(riff, "RIFF");
    PutLittleEndian32(riff, static_cast<std::uint32_t>(formType.size() + body.size()));
    PutText(riff, formType);
    Append(riff, body);
    return riff;
}

Bytes MakeWaveFile(int sampleRate, int channels, int sampleFrames) {
    const int blockAlign = channels * 2;
    Bytes format;
    PutLittleEndian16(format, 1);  // PCM
    PutLittleEndian16(format, static_cast<std::uint16_t>(channels));
    PutLittleEndian32(format, static_cast<std::uint32_t>(sampleRate));
    PutLittleEndian32(format, static_cast<std::uint32_t>(sampleRate * blockAlign));
    PutLittleEndian16(format, static_cast<std::uint16_t>(blockAlign));
    PutLittleEndian16(format, 16);
    const Bytes samples(static_cast<std::size_t>(sampleFrames * blockAlign), 0x00);
    return MakeRiff("WAVE", RiffChunk("fmt ", format) + RiffChunk("data", samples));
}

Bytes MakeAviFile() {
    const Bytes mainHeader(56, 0x00);
    return MakeRiff("AVI ", RiffList("hdrl", RiffChunk("avih", mainHeader)) + RiffList("movi", {}));
}

std::size_t DVFrameBytes(const DVImageSpec& params) {
    const std::size_t base = params.system == DVSystem::Lines625Hz50 ? 144000 : 120000;
    return base * static_cast<std::size_t>(ChannelCount(params));
}

Bytes MakeDVStream(const DVImageSpec& params) {
    const int sequences = params.system == DVSystem::Lines625Hz50 ? 12 : 10;
    Bytes stream;
    stream.reserve(DVFrameBytes(params) * static_cast<std::size_t>(params.frameCount));
    for (int frame = 0; frame < params.frameCount; ++frame) {
        for (int channel = 0; channel < ChannelCount(params); ++channel) {
            for (int sequence = 0; sequence < sequences; ++sequence) AppendDifSequence(stream, params, channel, sequence);
        }
    }
    return stream;
}

Bytes MP2VSequenceHeader() {
    BitWriter header;
    header.Put(720, 12).Put(576, 12).Put(2, 4).Put(3, 4);  // 4:3, 25 frames/s
    header.Put(15000, 18).Marker().Put(112, 10).Put(0, 1).Put(0, 1).Put(0, 1);
    BitWriter extension;
    extension.Put(1, 4).Put(0x48, 8).Put(0, 1).Put(1, 2);  // main profile, main level, 4:2:0
    extension.Put(0, 2).Put(0, 2).Put(0, 12).Marker().Put(0, 8).Put(0, 1).Put(0, 2).Put(0, 5);
    return StartCode(0xB3) + header.Data() + StartCode(0xB5) + extension.Data();
}

Bytes MP2VGroupHeader() {
    BitWriter group;
    group.Put(0, 1).Put(0, 5).Put(0, 6).Marker().Put(0, 6).Put(0, 6);  // time code 00:00:00:00
    group.Put(1, 1).Put(0, 1).Put(0, 5);  // closed group
    return StartCode(0xB8) + group.Data();
}

Bytes MP2VUserData(std::size_t dataBytes) {
    Bytes data = StartCode(0xB2);
    constexpr std::string_view kText = "tamberly user data ";
    for (std::size_t i = 0; i < dataBytes; ++i) data.push_back(static_cast<std::uint8_t>(kText[i % kText.size()]));
    return data;
}

Bytes MP2VPictureHeader() {
    BitWriter picture;
    picture.Put(0, 10).Put(1, 3).Put(0xFFFF, 16).Put(0, 1);  // intra picture, variable delay
    return StartCode(0x00) + picture.Data();
}

Bytes MP2VSlice(std::size_t dataBytes) { return StartCode(0x01) + Bytes(dataBytes, 0x55); }

Bytes MakeMP2VStream(const MP2VImageSpec& params) {
    Bytes stream;
    if (params.sequenceHeader) Append(stream, MP2VSequenceHeader());
    for (int i = 0; i < params.groupCount; ++i) {
        Append(stream, MP2VGroupHeader());
        if (params.userDataBytes > 0) Append(stream, MP2VUserData(params.userDataBytes));
        Append(stream, MP2VPictureHeader());
        Append(stream, MP2VSlice(64));
    }
    Append(stream, StartCode(0xB7));
    return stream;
}

Bytes MakeVC1SequenceHeader(const VC1SequenceSpec& params) {
    BitWriter header;
    header.Put(static_cast<std::uint64_t>(params.profile), 2).Put(static_cast<std::uint64_t>(params.level), 3);
    header.Put(static_cast<std::uint64_t>(params.chromaFormat), 2).Put(7, 3).Put(31, 5).Put(0, 1);
    header.Put(static_cast<std::uint64_t>(params.width / 2 - 1), 12);
    header.Put(static_cast<std::uint64_t>(params.height / 2 - 1), 12);
    header.Put(0, 1).Put(0, 1).Put(0, 1).Put(0, 1);  // pulldown, interlace, frame counter, interpolation
    header.Put(params.reservedBit ? 1 : 0, 1).Put(0, 1).Put(0, 1).Put(0, 1);  // reserved, psf, display, hrd
    return StartCode(0x0F) + header.Data();
}

Bytes MakeVC1Stream(const VC1SequenceSpec& params, int frameCount) {
    Bytes stream = MakeVC1SequenceHeader(params);
    Append(stream, StartCode(0x0E) + Bytes{0x48, 0xC8, 0x80});  // entry point: closed, no broken link
    for (int i = 0; i < frameCount; ++i) Append(stream, StartCode(0x0D) + Bytes(96, 0x5A));
    return stream;
}

Bytes MakeVC3Stream(const VC3ImageSpec& params) {
    const std::size_t fields = params.interlaced ? 2 : 1;
    const std::size_t unitBytes = params.frameBytes / fields;
    Bytes stream;
    stream.reserve(params.frameBytes * static_cast<std::size_t>(params.frameCount));
    for (int frame = 0; frame < params.frameCount; ++frame) {
        for (std::size_t field = 0; field < fields; ++field) {
            const std::uint8_t code = params.interlaced ? static_cast<std::uint8_t>(2 + field) : 1;
            Bytes unit = VC3Header(params, code);
            unit.resize(unitBytes, 0x00);
            Append(stream, unit);
        }
    }
    return stream;
}

std::size_t VC3HeaderOffset(const VC3ImageSpec& params, int frame, int field) {
    const std::size_t unitBytes = params.frameBytes / (params.interlaced ? 2 : 1);
    return static_cast<std::size_t>(frame) * params.frameBytes + static_cast<std::size_t>(field) * unitBytes;
}

}  // namespace testsupport
