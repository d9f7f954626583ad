#pragma once
// Judges a stream against a profile while the stream checker reads it: fed
// the checker's findings and frame facts as they come and its summary at the
// end, with no second pass over the data. Memory stays constant: per rule a
// count, the first few positions and the first few offending values.

#include <cstdint>
#include <vector>

#include "libs/mpacheck/frame_facts.h"
#include "libs/mpacheck/mpacheck.h"
#include "libs/mpaprofile/profile.h"

namespace mpaprofile {

struct position {
    std::int64_t frame = mpacheck::kNoFrame;
    std::uint64_t offset = 0;
    double time = 0;
};

inline constexpr int kKeptPositions = 8;
inline constexpr int kKeptValues = 4;

struct rule_result {
    const rule* judged = nullptr;  // points into the engine's profile
    bool passed = true;
    std::int64_t count = 0;  // frames, changes, bytes or findings that break the rule
    std::vector<position> positions;  // the first kKeptPositions
    std::vector<std::int64_t> values; // the first kKeptValues distinct offending values
    double measure = 0;               // ancillary_data: fewest bits; duration_drift: seconds
    std::string label;                // the first offending tag, or the VBR header's name
    std::string detail;               // "bitrate 256 not allowed in 12 frames"; empty when passed
};

class profile_engine {
public:
    explicit profile_engine(profile judged);
    // The results point into the engine's own profile.
    profile_engine(const profile_engine&) = delete;
    profile_engine& operator=(const profile_engine&) = delete;

    void on_finding(const mpacheck::finding& finding);
    void on_frame(const mpacheck::frame_facts& facts);
    // The end of the stream: settles the rules judged on the whole stream
    // and writes each result's detail. Once only.
    void finish(const mpacheck::summary& summary);

    [[nodiscard]] const profile& judged() const { return profile_; }
    [[nodiscard]] const std::vector<rule_result>& results() const { return results_; }

private:
    void breach(rule_result& result, const position& at, std::int64_t value, std::int64_t amount = 1);
    void judge_frame(rule_result& result, const mpacheck::frame_facts& facts, const position& at);
    void judge_finding(rule_result& result, const mpacheck::finding& finding);
    void judge_summary(rule_result& result, const mpacheck::summary& summary);

    profile profile_;
    std::vector<rule_result> results_;
    mpacheck::frame_facts previous_{};
    bool have_previous_ = false;
    // Frames the VBR header declares against the frames found (or bytes,
    // when bytes_declared), from a stream_truncated or stream_appended finding.
    std::int64_t declared_ = 0;
    std::int64_t counted_ = 0;
    bool count_checked_ = false;
    bool bytes_declared_ = false;
};

}  // namespace mpaprofile
