// libFuzzer entry point for the profile text reader: any bytes either read
// as a profile, which then judges a few made-up frames, or give an error
// whose line and column lie inside the text.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <variant>

#include "libs/mpaprofile/profile_engine.h"
#include "libs/mpaprofile/profile_parser.h"
#include "libs/mpaprofile/verdict.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto parsed = mpaprofile::parse_profile(text);
    if (const auto* error = std::get_if<mpaprofile::parse_error>(&parsed)) {
        std::size_t lines = 1;
        for (const char c : text) lines += c == '\n' ? 1 : 0;
        if (error->line < 1 || static_cast<std::size_t>(error->line) > lines || error->column < 1 ||
            error->message.empty())
            std::abort();
        return 0;
    }
    mpaprofile::profile_engine engine(std::get<mpaprofile::profile>(std::move(parsed)));
    mpacheck::frame_facts facts;
    facts.version_code = 3;
    facts.layer = 2;
    facts.sampling_rate = 48000;
    facts.bitrate = 192000;
    facts.mode = 1;
    for (int n = 0; n < 3; ++n) {
        facts.frame = n;
        facts.emphasis = n;
        engine.on_frame(facts);
    }
    mpacheck::finding junk{mpacheck::finding_kind::junk, mpacheck::severity::warning, 0, 0, 0.0};
    junk.length = 7;
    engine.on_finding(junk);
    mpacheck::summary summary;
    summary.variable_bitrate = true;
    engine.finish(summary);
    (void)mpaprofile::summarize(engine.results());
    return 0;
}
