#include "plugins/common/counting_sink.h"

#include <cstring>
#include <memory>
#include <new>

#include "plugins/common/sink_record.h"

namespace sinks {
namespace {

class CountingSink {
public:
    static std::unique_ptr<CountingSink> Create();

    std::uint32_t bytes_available() const { return kCountingSinkCapacity; }
    // The same scratch area for every reservation that fits in it.
    std::uint8_t* reserve(std::uint32_t n) { return n <= kCountingSinkCapacity ? scratch_.get() : nullptr; }
    std::uint32_t commit(std::uint32_t n) {
        accepted_ += n;
        return n;
    }
    std::uint32_t write_bytes(const std::uint8_t* data, std::uint32_t n) {
        if (data == nullptr && n != 0) return 0;
        accepted_ += n;
        return n;
    }
    std::uint32_t block_size() const { return kCountingSinkCapacity; }
    std::int32_t control(std::uint32_t offset, std::uint32_t id, void* data, std::uint32_t size);
    std::uint32_t next_part() { return 0; }
    bool finish() { return true; }

private:
    std::unique_ptr<std::uint8_t[]> scratch_;
    std::uint64_t accepted_ = 0;
};

std::unique_ptr<CountingSink> CountingSink::Create() {
    std::unique_ptr<CountingSink> sink(new (std::nothrow) CountingSink);
    if (!sink) return nullptr;
    sink->scratch_.reset(new (std::nothrow) std::uint8_t[kCountingSinkCapacity]);
    return sink->scratch_ ? std::move(sink) : nullptr;
}

std::int32_t CountingSink::control(std::uint32_t /*offset*/, std::uint32_t id, void* data, std::uint32_t size) {
    if (id != BUFSTREAM_CMD_BYTES_ACCEPTED || data == nullptr || size != sizeof accepted_) return 0;
    std::memcpy(data, &accepted_, sizeof accepted_);
    return 0;
}

}  // namespace

bufstream* CreateCountingSink() { return SinkSlots<CountingSink>::MakeRecord(CountingSink::Create()); }

}  // namespace sinks
