// Fuzzes the WAV sink the way a core demultiplexer drives it: packets pushed
// through write_bytes or reserve + commit, signalled with arbitrary stream
// and packet descriptions, some of them with well-formed format headers so
// that conversion is reached. The output goes to a file in a private
// temporary folder.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

#include "abi/bufstream_pcm.h"
#include "plugins/common/wav_sink.h"

namespace {

std::string g_folder;
std::string g_output;

void RemoveScratch() {
    std::remove(g_output.c_str());
    ::rmdir(g_folder.c_str());
}

const std::string& OutputPath() {
    if (g_output.empty()) {
        char folder[] = "/tmp/tamberly-wav-fuzz-XXXXXX";
        if (::mkdtemp(folder) == nullptr) std::abort();
        g_folder = folder;
        g_output = g_folder + "/out.wav";
        std::atexit(RemoveScratch);
    }
    return g_output;
}

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    [[nodiscard]] bool Empty() const { return size_ == 0; }
    std::uint32_t Number(int bytes) {
        std::uint32_t value = 0;
        for (int i = 0; i < bytes && size_ > 0; ++i, ++data_, --size_) value = value << 8 | *data_;
        return value;
    }
    // Copies up to count bytes into the destination.
    void CopyTo(void* destination, std::size_t count) {
        const auto bytes = Bytes(count);
        if (!bytes.empty()) std::memcpy(destination, bytes.data(), bytes.size());
    }
    std::vector<std::uint8_t> Bytes(std::size_t count) {
        count = count < size_ ? count : size_;
        std::vector<std::uint8_t> bytes(data_, data_ + count);
        data_ += count;
        size_ -= count;
        return bytes;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

void Write(bufstream* bs, const std::vector<std::uint8_t>& bytes) {
    bs->write_bytes(bs, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

// A long run of one byte value, up to just past the buffer's capacity.
void WriteFilled(bufstream* bs, Input& in) {
    const std::uint32_t count = in.Number(3) % (sinks::kWavSinkCapacity + 2);
    Write(bs, std::vector<std::uint8_t>(count, static_cast<std::uint8_t>(in.Number(1))));
}

void ReserveAndCommit(bufstream* bs, Input& in) {
    const std::uint32_t reserve = in.Number(3) % (2 * sinks::kWavSinkCapacity);
    const std::uint32_t commit = in.Number(3) % (2 * sinks::kWavSinkCapacity);
    std::uint8_t* area = bs->reserve(bs, reserve);
    if (area == nullptr) return;
    in.CopyTo(area, reserve);
    bs->commit(bs, commit <= reserve ? commit : reserve);
}

// A format header of one of the known tags, the rest of its fields random.
void WellFormedHeader(bufstream* bs, Input& in) {
    static const char* const kTags[] = {"LPCM", "HDMV", "AES3"};
    static const std::uint8_t kCodes[] = {0, 0x0D, 0x0A, 0x0B, 0x0C};
    const std::uint32_t choice = in.Number(1);
    const char* tag = kTags[choice % 3];
    const std::uint8_t code = choice % 3 == 0 ? static_cast<std::uint8_t>(in.Number(1)) : kCodes[1 + (choice / 3) % 4];
    const std::uint8_t header[8] = {static_cast<std::uint8_t>(tag[0]), static_cast<std::uint8_t>(tag[1]),
                                    static_cast<std::uint8_t>(tag[2]), static_cast<std::uint8_t>(tag[3]),
                                    code, static_cast<std::uint8_t>(in.Number(1)), 0, 0};
    bs->write_bytes(bs, header, sizeof header);
}

void Signal(bufstream* bs, Input& in, bool tagged) {
    const std::uint32_t size_choice = in.Number(1);
    if (tagged) {
        std::uint8_t block[16] = {};
        in.CopyTo(block, sizeof block);
        bs->control(bs, 0, BUFSTREAM_CMD_PCM_PACKET_TAGGED, block, size_choice < 240 ? 16 : size_choice % 32);
        return;
    }
    bufstream_pcm_packet_desc description{};
    in.CopyTo(&description, sizeof description);
    // Mostly one known family, so that every conversion is reached.
    if (size_choice < 200) description.format = 0x10000u << (size_choice % 7);
    bs->control(bs, 0, BUFSTREAM_CMD_PCM_PACKET_DESCRIBED, &description, size_choice < 250 ? 78 : size_choice);
}

void Query(bufstream* bs) {
    std::uint64_t written = 0;
    bs->control(bs, 0, BUFSTREAM_CMD_BYTES_ACCEPTED, &written, sizeof written);
    (void)bs->bytes_available(bs);
    (void)bs->block_size(bs);
    (void)bs->next_part(bs);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    bufstream* bs = sinks::CreateWavSink(OutputPath().c_str());
    if (bs == nullptr) return 0;
    Input in(data, size);
    while (!in.Empty()) {
        switch (in.Number(1) % 7) {
            case 0: Write(bs, in.Bytes(in.Number(2))); break;
            case 1: ReserveAndCommit(bs, in); break;
            case 2: Signal(bs, in, true); break;
            case 3: Signal(bs, in, false); break;
            case 4: Query(bs); break;
            case 5: WellFormedHeader(bs, in); break;
            default: WriteFilled(bs, in); break;
        }
    }
    if (size % 2 == 0) bs->finish(bs, 0);  // otherwise release finishes by itself
    bs->release(bs);
    return 0;
}
