#pragma once
// DVD navigation mode of the file sink. A multiplexer that writes a
// DVD-Video program stream through the sink reports every VOBU, cell start,
// synchronisation value and part end time; when the sink finishes, the
// navigation pack of every VOBU in every part file is rewritten from them.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "plugins/common/nav_pack.h"
#include "plugins/common/vobu_search.h"

namespace sinks {

class DvdNavigation {
public:
    static constexpr std::size_t kMaxVobus = 50400;
    static constexpr std::size_t kMaxCells = 999;
    static constexpr std::size_t kMaxSyncEntries = 50400;

    // Takes the tables and the first part record (first VOBU 0, the given
    // file); null when memory is short.
    static std::unique_ptr<DvdNavigation> Create(const std::string& first_part_file);

    // The navigation commands other than enabling and suppressing. Returns
    // the command's result (0 when the command does not apply).
    std::int32_t Control(std::uint32_t offset, std::uint32_t id, const void* data, std::uint32_t size);

    // Starts a part record for a new part file; false when memory is short.
    bool BeginPart(const std::string& file_name);

    // Rewrites the navigation packs of every part file, in part order.
    void FixUpParts() const;

private:
    struct Part {
        std::size_t first_vobu = 0;
        std::size_t vobu_count = 0;
        std::int32_t end_ptm = 0;
        std::string file_name;
    };
    struct Range {
        std::size_t first;
        std::size_t end;
    };

    DvdNavigation() = default;

    std::int32_t AddVobu(const void* data, std::uint32_t size);
    std::int32_t NewSyncTable(std::vector<std::vector<std::int32_t>>& tables, std::size_t limit);
    std::int32_t AddSyncValue(std::vector<std::vector<std::int32_t>>& tables, const void* data, std::uint32_t size);

    void FixUpPart(const Part& part, const VobuSearch& search, const std::vector<std::size_t>& cells) const;
    [[nodiscard]] NavPackPatch PatchFor(std::size_t vobu, const Part& part, Range range,
                                        const VobuSearch& search) const;
    [[nodiscard]] Range CellAround(std::size_t vobu, const std::vector<std::size_t>& cells) const;

    std::vector<Vobu> vobus_;
    std::vector<std::size_t> cell_starts_;
    std::vector<std::vector<std::int32_t>> audio_sync_;
    std::vector<std::vector<std::int32_t>> subpicture_sync_;
    std::int32_t subpicture_reference_ = 0;
    bool highlight_ = false;
    std::vector<Part> parts_;
};

}  // namespace sinks
