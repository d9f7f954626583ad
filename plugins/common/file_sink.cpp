#include "plugins/common/file_sink.h"

#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "plugins/common/dvd_navigation.h"
#include "plugins/common/output_file.h"
#include "plugins/common/part_name.h"
#include "plugins/common/sink_record.h"

namespace sinks {
namespace {

class FileSink {
public:
    static std::unique_ptr<FileSink> Open(const char* file_name);

    std::uint32_t bytes_available() const { return kFileSinkCapacity - fill_; }
    std::uint8_t* reserve(std::uint32_t n);
    std::uint32_t commit(std::uint32_t n);
    std::uint32_t write_bytes(const std::uint8_t* data, std::uint32_t n);
    std::uint32_t block_size() const { return kFileSinkCapacity; }
    std::int32_t control(std::uint32_t offset, std::uint32_t id, void* data, std::uint32_t size);
    std::uint32_t next_part();
    bool finish();

private:
    bool WriteBuffer();
    bool StartNextPart();
    std::int32_t CopyFileName(void* data, std::uint32_t size) const;
    std::int32_t EnableNavigation();

    OutputFile file_;
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::uint32_t fill_ = 0;
    std::uint64_t accepted_ = 0;
    std::int32_t part_ = 0;
    std::string file_name_;
    bool split_ = false;
    PartName part_name_;
    std::unique_ptr<DvdNavigation> navigation_;
    bool fix_up_suppressed_ = false;
};

std::unique_ptr<FileSink> FileSink::Open(const char* file_name) {
    if (file_name == nullptr || *file_name == '\0' || std::strlen(file_name) > kMaxFileName) return nullptr;
    std::unique_ptr<FileSink> sink(new (std::nothrow) FileSink);
    if (!sink) return nullptr;
    sink->buffer_.reset(new (std::nothrow) std::uint8_t[kFileSinkCapacity]);
    if (!sink->buffer_) return nullptr;
    sink->file_name_ = file_name;
    if (!sink->file_.Open(sink->file_name_, OutputFile::Mode::Create)) return nullptr;
    return sink;
}

bool FileSink::WriteBuffer() {
    const std::uint32_t pending = fill_;
    fill_ = 0;
    return pending == 0 || file_.Write(buffer_.get(), pending) == pending;
}

std::uint8_t* FileSink::reserve(std::uint32_t n) {
    if (n > kFileSinkCapacity) return nullptr;
    if (n <= bytes_available()) return buffer_.get() + fill_;
    return WriteBuffer() ? buffer_.get() : nullptr;
}

std::uint32_t FileSink::commit(std::uint32_t n) {
    // A count past the buffer's end cannot have been written into it.
    if (n > bytes_available()) n = bytes_available();
    fill_ += n;
    accepted_ += n;
    return n;
}

std::uint32_t FileSink::write_bytes(const std::uint8_t* data, std::uint32_t n) {
    if (data == nullptr && n != 0) return 0;
    if (!WriteBuffer()) return 0;
    const std::size_t written = file_.Write(data, n);
    accepted_ += written;
    return written == n ? n : 0;
}

std::int32_t FileSink::control(std::uint32_t offset, std::uint32_t id, void* data, std::uint32_t size) {
    switch (id) {
        case BUFSTREAM_CMD_BYTES_ACCEPTED:
            if (data == nullptr || size != sizeof accepted_) return 0;
            std::memcpy(data, &accepted_, sizeof accepted_);
            return 0;
        case BUFSTREAM_CMD_FLUSH_FILE:
            return file_.Flush() ? 0 : -1;
        case BUFSTREAM_CMD_NEXT_PART:
            return next_part() == 0 ? 0 : -1;
        case BUFSTREAM_CMD_PART_NUMBER:
            if (data == nullptr || size != sizeof part_) return 0;
            std::memcpy(data, &part_, sizeof part_);
            return 0;
        case BUFSTREAM_CMD_PART_FILE_NAME:
            return CopyFileName(data, size);
        case BUFSTREAM_CMD_DVD_ENABLE:
            return EnableNavigation();
        case BUFSTREAM_CMD_DVD_SUPPRESS_FIXUP:
            fix_up_suppressed_ = true;
            return 0;
        case BUFSTREAM_CMD_DVD_NEW_AUDIO_SYNC:
        case BUFSTREAM_CMD_DVD_NEW_SUBPIC_SYNC:
            return navigation_ ? navigation_->Control(offset, id, data, size) : -1;
        default:
            return navigation_ ? navigation_->Control(offset, id, data, size) : 0;
    }
}

std::int32_t FileSink::CopyFileName(void* data, std::uint32_t size) const {
    if (data == nullptr || file_name_.size() + 1 > size) return -1;
    std::memcpy(data, file_name_.c_str(), file_name_.size() + 1);
    return 0;
}

std::int32_t FileSink::EnableNavigation() {
    if (navigation_) return 0;
    navigation_ = DvdNavigation::Create(file_name_);
    return navigation_ ? 0 : -1;
}

std::uint32_t FileSink::next_part() { return StartNextPart() ? 0 : BUFSTREAM_NEXT_PART_FAILED; }

bool FileSink::StartNextPart() {
    const bool written = WriteBuffer();
    // Data that did not reach the old part must not be covered up by
    // carrying on with a new one.
    if (!file_.Close() || !written) return false;
    if (!split_) {
        part_name_ = SplitPartName(file_name_);
        split_ = true;
    }
    const auto next_name = NumberedPartName(part_name_, part_);
    if (!next_name || next_name->size() > kMaxFileName) return false;
    if (!file_.Open(*next_name, OutputFile::Mode::Create)) return false;
    ++part_;
    accepted_ = 0;
    file_name_ = *next_name;
    return !navigation_ || navigation_->BeginPart(file_name_);
}

bool FileSink::finish() {
    const bool written = WriteBuffer();
    const bool closed = file_.Close();
    if (navigation_ && !fix_up_suppressed_) navigation_->FixUpParts();
    return written && closed;
}

}  // namespace

bufstream* CreateFileSink(const char* file_name, FinishReport* report) {
    try {
        return SinkSlots<FileSink>::MakeRecord(FileSink::Open(file_name), report);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace sinks
