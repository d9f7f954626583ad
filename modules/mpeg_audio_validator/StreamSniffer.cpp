#include "modules/mpeg_audio_validator/StreamSniffer.h"

#include "libs/mpacheck/mpacheck.h"

namespace mpeg_audio_validation {

StreamFamily SniffStreamFamily(const std::uint8_t* data, std::size_t size) {
    mpacheck::checker checker([](const mpacheck::finding&) {});
    if (data != nullptr) checker.feed(data, size);
    checker.finish();
    const mpacheck::summary& found = checker.result();
    constexpr int kMpeg1 = 3;
    if (found.frames == 0) return StreamFamily::Unknown;
    return found.version_code == kMpeg1 && (found.layer == 1 || found.layer == 2) ? StreamFamily::LayerIOrII
                                                                                     : StreamFamily::Other;
}

}  // namespace mpeg_audio_validation
