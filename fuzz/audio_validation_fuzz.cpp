// libFuzzer entry point for the validation run that the MPEG Audio Validator
// module and `tamberly-cli validate` share: the input's first bytes choose the
// event kinds and the chunk size, the rest is written to a file and validated
// (format sniffing, feeding, event messages, the summary).

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "modules/mpeg_audio_validator/AudioValidation.h"

namespace {

// One scratch file per fuzzing process, rewritten for every input.
const std::string& ScratchFile() {
    static const std::string path = [] {
        std::string name = (std::filesystem::temp_directory_path() / "audio_validation_fuzz_XXXXXX").string();
        const int fd = mkstemp(name.data());
        if (fd >= 0) close(fd);
        std::atexit([] { std::remove(ScratchFile().c_str()); });
        return name;
    }();
    return path;
}

bool WriteScratch(const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(ScratchFile().c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    // The first byte switches off walker and stream checker kinds.
    const mpeg_audio_validation::EnabledKinds kinds(
        mpeg_audio_validation::kAllKinds & ~(static_cast<std::uint32_t>(data[0]) << 10),
        mpeg_audio_validation::kAllCheckerKinds & ~(static_cast<std::uint32_t>(data[0]) << 4));
    const std::size_t chunk = 1 + static_cast<std::size_t>(data[1]) * 97 + data[2];
    if (!WriteScratch(data + 3, size - 3)) return 0;
    mpeg_audio_validation::ValidationCallbacks callbacks;
    callbacks.report = [](const mpeg_audio_validation::ValidationItem&) {};
    mpeg_audio_validation::ValidateFileInChunks(ScratchFile(), kinds, callbacks, chunk);
    return 0;
}
