#include "plugins/common/wav_sink.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "plugins/common/output_file.h"
#include "plugins/common/pcm_convert.h"
#include "plugins/common/pcm_format.h"
#include "plugins/common/sink_record.h"

namespace sinks {
namespace {

constexpr std::size_t kConversionCapacity = 1048576;
constexpr std::size_t kTagHeaderBytes = sizeof(bufstream_pcm_tag_header);

class WavSink {
public:
    static std::unique_ptr<WavSink> Open(const char* file_name);

    std::uint32_t bytes_available() const { return kWavSinkCapacity - fill_; }
    std::uint8_t* reserve(std::uint32_t n) { return n <= bytes_available() ? buffer_.get() + fill_ : nullptr; }
    std::uint32_t commit(std::uint32_t n);
    std::uint32_t write_bytes(const std::uint8_t* data, std::uint32_t n);
    std::uint32_t block_size() const { return kWavSinkBlockSize; }
    std::int32_t control(std::uint32_t offset, std::uint32_t id, void* data, std::uint32_t size);
    std::uint32_t next_part() { return BUFSTREAM_NEXT_PART_FAILED; }
    bool finish();

private:
    std::int32_t TaggedPacket(const void* data, std::uint32_t size);
    std::int32_t DescribedPacket(const void* data, std::uint32_t size);
    bool WriteHeader(const PcmFormat& format);
    std::int32_t ConvertPacket(std::size_t start, bool wait_for_min_size);
    bool ConvertAndWrite(const std::uint8_t* in, std::size_t units);
    std::int32_t DropPacket(std::int32_t result);

    OutputFile file_;
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::unique_ptr<std::uint8_t[]> converted_;
    std::uint32_t fill_ = 0;
    std::uint64_t pcm_bytes_ = 0;
    PcmFormat format_;
    bool header_written_ = false;
    std::int32_t min_packet_size_ = 0;
};

std::unique_ptr<WavSink> WavSink::Open(const char* file_name) {
    if (file_name == nullptr || *file_name == '\0') return nullptr;
    std::unique_ptr<WavSink> sink(new (std::nothrow) WavSink);
    if (!sink) return nullptr;
    sink->buffer_.reset(new (std::nothrow) std::uint8_t[kWavSinkCapacity]);
    sink->converted_.reset(new (std::nothrow) std::uint8_t[kConversionCapacity]);
    if (!sink->buffer_ || !sink->converted_) return nullptr;
    if (!sink->file_.Open(file_name, OutputFile::Mode::Create)) return nullptr;
    return sink;
}

std::uint32_t WavSink::commit(std::uint32_t n) {
    if (n > bytes_available()) n = bytes_available();
    fill_ += n;
    return n;
}

std::uint32_t WavSink::write_bytes(const std::uint8_t* data, std::uint32_t n) {
    if ((data == nullptr && n != 0) || n > bytes_available()) return 0;
    if (n != 0) std::memcpy(buffer_.get() + fill_, data, n);
    fill_ += n;
    return n;
}

std::int32_t WavSink::control(std::uint32_t /*offset*/, std::uint32_t id, void* data, std::uint32_t size) {
    switch (id) {
        case BUFSTREAM_CMD_BYTES_ACCEPTED:
            if (data == nullptr || size != sizeof pcm_bytes_) return 0;
            std::memcpy(data, &pcm_bytes_, sizeof pcm_bytes_);
            return 0;
        case BUFSTREAM_CMD_PCM_PACKET_TAGGED:
            return TaggedPacket(data, size);
        case BUFSTREAM_CMD_PCM_PACKET_DESCRIBED:
            return DescribedPacket(data, size);
        default:
            return 0;
    }
}

std::int32_t WavSink::DropPacket(std::int32_t result) {
    fill_ = 0;
    return result;
}

std::int32_t WavSink::TaggedPacket(const void* data, std::uint32_t size) {
    bufstream_pcm_stream_desc description{};
    if (data == nullptr || size != sizeof description) return 0;
    std::memcpy(&description, data, sizeof description);
    min_packet_size_ = description.min_packet_size;
    if (header_written_) return ConvertPacket(0, true);
    if (fill_ < kTagHeaderBytes) return DropPacket(-1);
    const auto format = FormatFromTag(buffer_.get());
    if (!format || !WriteHeader(*format)) return DropPacket(-1);
    return ConvertPacket(kTagHeaderBytes, true);
}

std::int32_t WavSink::DescribedPacket(const void* data, std::uint32_t size) {
    bufstream_pcm_packet_desc description{};
    if (data == nullptr || size != sizeof description) return 0;
    std::memcpy(&description, data, sizeof description);
    const bool has_format = (description.packet_flags & BUFSTREAM_PCM_PACKET_HAS_FORMAT) != 0;
    if (has_format) min_packet_size_ = description.min_packet_size;
    if (header_written_) return ConvertPacket(0, true);
    // Nothing can be written before a packet names the format.
    if (!has_format) return DropPacket(0);
    const auto format = FormatFromDescription(description);
    if (!format || !WriteHeader(*format)) return DropPacket(-1);
    return ConvertPacket(0, true);
}

bool WavSink::WriteHeader(const PcmFormat& format) {
    const WaveHeader header = MakeWaveHeader(format, 0);
    if (!file_.Seek(0) || file_.Write(header.data(), header.size()) != header.size()) return false;
    format_ = format;
    header_written_ = true;
    return true;
}

// Converts the whole units of the packet that starts at `start` and keeps a
// partial unit at the buffer's start for the next packet. An AES 302M packet
// shorter than the minimum packet size waits for more data.
std::int32_t WavSink::ConvertPacket(std::size_t start, bool wait_for_min_size) {
    const std::uint8_t* payload = buffer_.get() + start;
    const std::size_t bytes = fill_ - start;
    // A minimum beyond the buffer would never be reached.
    const std::size_t minimum = min_packet_size_ > 0 ? static_cast<std::size_t>(min_packet_size_) : 0;
    const bool too_short = format_.kind == PcmKind::Aes302M && bytes < std::min<std::size_t>(minimum, kWavSinkCapacity);
    const PcmUnit unit = ConversionUnit(format_);
    const std::size_t units = wait_for_min_size && too_short ? 0 : bytes / unit.in_bytes;
    if (!ConvertAndWrite(payload, units)) return DropPacket(-1);
    const std::size_t kept = bytes - units * unit.in_bytes;
    std::memmove(buffer_.get(), payload + units * unit.in_bytes, kept);
    fill_ = static_cast<std::uint32_t>(kept);
    return 0;
}

bool WavSink::ConvertAndWrite(const std::uint8_t* in, std::size_t units) {
    const PcmUnit unit = ConversionUnit(format_);
    const std::size_t units_per_pass = kConversionCapacity / unit.out_bytes;
    while (units > 0) {
        const std::size_t pass = units < units_per_pass ? units : units_per_pass;
        ConvertUnits(format_, in, pass, converted_.get());
        const std::size_t bytes = pass * unit.out_bytes;
        const std::size_t written = file_.Write(converted_.get(), bytes);
        pcm_bytes_ += written;
        if (written != bytes) return false;
        in += pass * unit.in_bytes;
        units -= pass;
    }
    return true;
}

bool WavSink::finish() {
    bool complete = true;
    if (header_written_) {
        complete = ConvertPacket(0, false) == 0;
        const WaveHeader header = MakeWaveHeader(format_, pcm_bytes_);
        complete = file_.Seek(0) && file_.Write(header.data(), header.size()) == header.size() && complete;
    }
    return file_.Close() && complete;
}

}  // namespace

bufstream* CreateWavSink(const char* file_name, FinishReport* report) {
    try {
        return SinkSlots<WavSink>::MakeRecord(WavSink::Open(file_name), report);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace sinks
