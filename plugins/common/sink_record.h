#pragma once
// Glue between a bufstream record and the C++ sink object behind its impl
// word. Each slot forwards to the sink; a null record, a finished record and
// an exception inside the sink all end as the slot's failure result, so
// nothing is thrown across the record.
//
// A Sink provides: bytes_available(), reserve(n), commit(n),
// write_bytes(data, n), block_size(), control(offset, id, data, size),
// next_part() and finish(). finish() flushes and closes and answers false
// when output was lost; the object is then deleted by the slot, and a
// FinishReport given to MakeRecord learns of the loss.

#include <cstdint>
#include <memory>
#include <new>

#include "abi/bufstream.h"
#include "plugins/common/finish_report.h"

namespace sinks {

template <class Sink>
class SinkSlots {
public:
    // A record with every slot set, flags 1, the reserved words 0 and the
    // sink as impl; null (and the sink freed) when memory is short. report,
    // when given, must outlive the record's finish.
    static bufstream* MakeRecord(std::unique_ptr<Sink> sink, FinishReport* report = nullptr) noexcept {
        if (!sink) return nullptr;
        auto* record = new (std::nothrow) Record{};
        if (record == nullptr) return nullptr;
        record->bytes_available = &BytesAvailable;
        record->reserve = &Reserve;
        record->commit = &Commit;
        record->write_bytes = &WriteBytes;
        record->block_size = &BlockSize;
        record->control = &Control;
        record->next_part = &NextPart;
        record->finish = &Finish;
        record->release = &Release;
        record->flags = 1;
        record->impl = sink.release();
        record->report = report;
        return record;
    }

private:
    // The record and, behind it, where its finish is reported.
    struct Record : bufstream {
        FinishReport* report = nullptr;
    };

    static Sink* Of(bufstream* bs) noexcept { return bs != nullptr ? static_cast<Sink*>(bs->impl) : nullptr; }

    template <class Result, class Call>
    static Result Guarded(bufstream* bs, Result failure, Call call) noexcept {
        Sink* sink = Of(bs);
        if (sink == nullptr) return failure;
        try {
            return call(*sink);
        } catch (...) {
            return failure;
        }
    }

    static std::uint32_t TAMBERLY_CDECL BytesAvailable(bufstream* bs) {
        return Guarded<std::uint32_t>(bs, 0, [](Sink& s) { return s.bytes_available(); });
    }
    static std::uint8_t* TAMBERLY_CDECL Reserve(bufstream* bs, std::uint32_t n) {
        return Guarded<std::uint8_t*>(bs, nullptr, [n](Sink& s) { return s.reserve(n); });
    }
    static std::uint32_t TAMBERLY_CDECL Commit(bufstream* bs, std::uint32_t n) {
        return Guarded<std::uint32_t>(bs, 0, [n](Sink& s) { return s.commit(n); });
    }
    static std::uint32_t TAMBERLY_CDECL WriteBytes(bufstream* bs, const std::uint8_t* data, std::uint32_t n) {
        return Guarded<std::uint32_t>(bs, 0, [data, n](Sink& s) { return s.write_bytes(data, n); });
    }
    static std::uint32_t TAMBERLY_CDECL BlockSize(bufstream* bs) {
        return Guarded<std::uint32_t>(bs, 0, [](Sink& s) { return s.block_size(); });
    }
    static std::int32_t TAMBERLY_CDECL Control(bufstream* bs, std::uint32_t offset, std::uint32_t id, void* data,
                                               std::uint32_t size) {
        return Guarded<std::int32_t>(bs, -1, [=](Sink& s) { return s.control(offset, id, data, size); });
    }
    static std::uint32_t TAMBERLY_CDECL NextPart(bufstream* bs) {
        return Guarded<std::uint32_t>(bs, BUFSTREAM_NEXT_PART_FAILED, [](Sink& s) { return s.next_part(); });
    }
    static void TAMBERLY_CDECL Finish(bufstream* bs, std::int32_t /*abort*/) {
        Sink* sink = Of(bs);
        if (sink == nullptr) return;
        bs->impl = nullptr;
        bool finished = false;
        try {
            finished = sink->finish();
        } catch (...) {
            // Output that cannot be completed is already lost; freeing must go on.
        }
        delete sink;
        FinishReport* report = static_cast<Record*>(bs)->report;
        if (!finished && report != nullptr) report->failed = true;
    }
    static void TAMBERLY_CDECL Release(bufstream* bs) {
        if (bs == nullptr) return;
        Finish(bs, 0);
        delete static_cast<Record*>(bs);
    }
};

}  // namespace sinks
