#include "plugins/common/dvd_navigation.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "abi/bufstream.h"
#include "plugins/common/output_file.h"

namespace sinks {
namespace {

template <class Value>
bool ReadData(const void* data, std::uint32_t size, Value& value) {
    if (data == nullptr || size != sizeof(Value)) return false;
    std::memcpy(&value, data, sizeof(Value));
    return true;
}

}  // namespace

std::unique_ptr<DvdNavigation> DvdNavigation::Create(const std::string& first_part_file) {
    try {
        std::unique_ptr<DvdNavigation> navigation(new DvdNavigation);
        navigation->vobus_.reserve(kMaxVobus);
        navigation->cell_starts_.reserve(kMaxCells);
        navigation->audio_sync_.reserve(kAudioStreams);
        navigation->subpicture_sync_.reserve(kSubpictureStreams);
        navigation->parts_.push_back(Part{0, 0, 0, first_part_file});
        return navigation;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

std::int32_t DvdNavigation::Control(std::uint32_t offset, std::uint32_t id, const void* data, std::uint32_t size) {
    switch (id) {
        case BUFSTREAM_CMD_DVD_ADD_VOBU:
            return AddVobu(data, size);
        case BUFSTREAM_CMD_DVD_PART_END_PTM: {
            std::int32_t end_ptm = 0;
            if (ReadData(data, size, end_ptm)) parts_.back().end_ptm = end_ptm;
            return 0;
        }
        case BUFSTREAM_CMD_DVD_HIGHLIGHT:
            highlight_ = true;
            return 0;
        case BUFSTREAM_CMD_DVD_CELL_START:
            if (cell_starts_.size() < kMaxCells) cell_starts_.push_back(vobus_.size());
            return 0;
        case BUFSTREAM_CMD_DVD_NEW_AUDIO_SYNC:
            return NewSyncTable(audio_sync_, kAudioStreams);
        case BUFSTREAM_CMD_DVD_ADD_AUDIO_SYNC:
            return AddSyncValue(audio_sync_, data, size);
        case BUFSTREAM_CMD_DVD_NEW_SUBPIC_SYNC:
            return NewSyncTable(subpicture_sync_, kSubpictureStreams);
        case BUFSTREAM_CMD_DVD_ADD_SUBPIC_SYNC:
            return AddSyncValue(subpicture_sync_, data, size);
        case BUFSTREAM_CMD_DVD_SUBPIC_REFERENCE:
            subpicture_reference_ = static_cast<std::int32_t>(offset);
            return 0;
        default:
            return 0;
    }
}

std::int32_t DvdNavigation::AddVobu(const void* data, std::uint32_t size) {
    bufstream_dvd_vobu vobu{};
    if (!ReadData(data, size, vobu) || vobus_.size() >= kMaxVobus) return 0;
    vobus_.push_back(Vobu{vobu.start_sector, vobu.duration, vobu.flags});
    ++parts_.back().vobu_count;
    return 0;
}

std::int32_t DvdNavigation::NewSyncTable(std::vector<std::vector<std::int32_t>>& tables, std::size_t limit) {
    if (tables.size() >= limit) return -1;
    try {
        std::vector<std::int32_t> table;
        table.reserve(kMaxSyncEntries);
        tables.push_back(std::move(table));
    } catch (const std::bad_alloc&) {
        return -1;
    }
    return static_cast<std::int32_t>(tables.size() - 1);
}

std::int32_t DvdNavigation::AddSyncValue(std::vector<std::vector<std::int32_t>>& tables, const void* data,
                                         std::uint32_t size) {
    bufstream_dvd_sync_value entry{};
    if (!ReadData(data, size, entry)) return 0;
    if (entry.table < 0 || static_cast<std::size_t>(entry.table) >= tables.size()) return 0;
    auto& table = tables[static_cast<std::size_t>(entry.table)];
    if (table.size() < kMaxSyncEntries) table.push_back(entry.value);
    return 0;
}

bool DvdNavigation::BeginPart(const std::string& file_name) {
    try {
        parts_.push_back(Part{vobus_.size(), 0, 0, file_name});
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void DvdNavigation::FixUpParts() const {
    const VobuSearch search(vobus_);
    std::vector<std::size_t> cells = cell_starts_;
    std::sort(cells.begin(), cells.end());
    for (const Part& part : parts_) FixUpPart(part, search, cells);
}

DvdNavigation::Range DvdNavigation::CellAround(std::size_t vobu, const std::vector<std::size_t>& cells) const {
    const auto next = std::upper_bound(cells.begin(), cells.end(), vobu);
    const std::size_t first = next == cells.begin() ? 0 : *(next - 1);
    const std::size_t end = next == cells.end() ? vobus_.size() : *next;
    return {first, end};
}

NavPackPatch DvdNavigation::PatchFor(std::size_t vobu, const Part& part, Range range, const VobuSearch& search) const {
    NavPackPatch patch;
    patch.end_ptm = part.end_ptm;
    patch.highlight = highlight_;
    patch.search = search.Entries(vobu, range.first, range.end);
    for (std::size_t i = 0; i < audio_sync_.size(); ++i) {
        if (vobu < audio_sync_[i].size()) patch.audio_sync[i] = audio_sync_[i][vobu];
    }
    for (std::size_t i = 0; i < subpicture_sync_.size(); ++i) {
        if (vobu < subpicture_sync_[i].size()) patch.subpicture_sync[i] = subpicture_sync_[i][vobu];
    }
    return patch;
}

void DvdNavigation::FixUpPart(const Part& part, const VobuSearch& search, const std::vector<std::size_t>& cells) const {
    OutputFile file;
    if (!file.Open(part.file_name, OutputFile::Mode::Update)) return;
    const std::size_t part_end = std::min(part.first_vobu + part.vobu_count, vobus_.size());
    std::uint8_t sector[kSectorBytes];
    for (std::size_t vobu = part.first_vobu; vobu < part_end; ++vobu) {
        // Sector numbers count from the start of the part's own file, so no
        // search may leave the part.
        const Range cell = CellAround(vobu, cells);
        const Range range{std::max(cell.first, part.first_vobu), std::min(cell.end, part_end)};
        const std::int64_t position = std::int64_t{vobus_[vobu].start_sector} * std::int64_t{kSectorBytes};
        if (!file.Seek(position) || !file.ReadExactly(sector, sizeof sector)) return;
        // A sector that is no navigation pack is left untouched rather than
        // overwritten with navigation data.
        if (!IsNavPack(sector)) continue;
        PatchNavPack(sector, PatchFor(vobu, part, range, search));
        if (!file.Seek(position) || file.Write(sector, sizeof sector) != sizeof sector) return;
    }
}

}  // namespace sinks
