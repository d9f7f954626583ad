// Fuzzes the frame-header model on arbitrary bytes: the vote of the whole-file
// classifier, the ID3v2 tag header, the next-header search and a page rebuild
// from a file holding the input.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "viewer/model/FrameNavigator.h"
#include "viewer/model/ID3v2Tag.h"
#include "viewer/model/MPAUtils.h"

namespace {

const std::string& ScratchFile() {
    static const std::string path = [] {
        char name[] = "/tmp/tamberly-fuzz-XXXXXX";
        const int fd = ::mkstemp(name);
        if (fd >= 0) ::close(fd);
        std::atexit([] { std::remove(ScratchFile().c_str()); });
        return std::string(name);
    }();
    return path;
}

void RebuildPageFromFile(const std::uint8_t* data, std::size_t size, std::int32_t layer, std::int32_t sampling,
                         std::int32_t version) {
    FILE* file = std::fopen(ScratchFile().c_str(), "wb");
    if (file == nullptr) return;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    static TFrameNavigator navigator;
    if (!navigator.OpenFile(ScratchFile())) return;
    navigator.SetExpectation(layer, sampling, version);
    navigator.RefreshPosition(size > 0 ? data[0] % 8 : 0, TFrameNavigator::kPageCapacity);
    for (int row = 0; row < navigator.FramesCount(); ++row) (void)navigator.ListView1Data(row);
    std::int64_t found = 0;
    navigator.SearchBackPackPositionFromPos(found, 3, static_cast<std::int64_t>(size / 2));
    navigator.CloseFile();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::int32_t layer = -1;
    std::int32_t sampling = -1;
    std::int32_t version = -1;
    MPAESVote(data, size, layer, sampling, version);
    std::int32_t packLength = 0;
    GetMPAESPackLength(data, size, packLength, size > 1 ? data[1] : 0, layer, sampling, version);
    TMPAHeader header{};
    parse_mpa_frame(data, size, header);
    (void)ID3v2TagBytes(data, size);
    RebuildPageFromFile(data, size, layer, sampling, version);
    return 0;
}
