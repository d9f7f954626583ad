#pragma once
// The delivered plugin files, loaded from bin/ with their real cores beside
// them, driven through their bound exports on files made by ffmpeg.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/plugins/ql_demux/plugin_library.h"
#include "tests/plugins/ql_demux/stderr_capture.h"
#include "tests/support/temp_dir.h"

namespace ql_demux_test {

using Bytes = std::vector<std::uint8_t>;

struct StreamRow {
    std::int32_t program = -1, stream = -1, media_type = -1;
    bool operator==(const StreamRow&) const = default;
};
using Listing = std::vector<StreamRow>;

inline std::string DemuxFixture(const std::string& name) { return testsupport::DemuxFixturePath(name); }

inline std::int32_t TAMBERLY_STDCALL AppendChunk(void* owner, const void* data, std::int32_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    auto& out = *static_cast<Bytes*>(owner);
    out.insert(out.end(), bytes, bytes + size);
    return 0;
}

class RealPlugin {
public:
    explicit RealPlugin(const char* base_name) {
        SendDebugLinesToStderr();
        loaded_ = library_.Load(base_name);
    }
    ~RealPlugin() {
        if (loaded_) api().UnloadFile();
    }

    [[nodiscard]] bool Loaded() const { return loaded_; }
    [[nodiscard]] const std::string& Error() const { return library_.Error(); }
    [[nodiscard]] const PluginExports& api() const { return library_.Exports(); }

    Listing List() const {
        std::int32_t count = 0;
        EXPECT_EQ(api().GetStreamsCount(&count), 0);
        Listing listing;
        for (std::int32_t i = 0; i < count; ++i) {
            StreamRow row;
            EXPECT_EQ(api().GetStreamMediaType(i, &row.program, &row.stream, &row.media_type), 0) << i;
            listing.push_back(row);
        }
        return listing;
    }

    // Extracts into path and reads it back (empty when nothing was written);
    // result is what the export must answer, nullopt where either may come.
    Bytes ToFile(std::int32_t index, const std::string& path, std::optional<std::int32_t> result = 0) const {
        const std::int32_t answer = api().DemuxStreamToFile(index, path.c_str());
        if (result) {
            EXPECT_EQ(answer, *result);
        }
        return testsupport::ReadFileBytes(path);
    }

    Bytes ToHost(std::int32_t index, std::optional<std::int32_t> result = 0) const {
        Bytes received;
        const std::int32_t answer = api().DemuxStreamCallBack(index, &AppendChunk, &received);
        if (result) {
            EXPECT_EQ(answer, *result);
        }
        return received;
    }

private:
    PluginLibrary library_;
    bool loaded_ = false;
};

}  // namespace ql_demux_test
