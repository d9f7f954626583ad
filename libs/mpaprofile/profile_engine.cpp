#include "libs/mpaprofile/profile_engine.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "libs/mpaprofile/rule_detail.h"

namespace mpaprofile {
namespace {

using mpacheck::finding_kind;

bool allows(const rule& r, std::int32_t value) {
    return std::find(r.allowed.begin(), r.allowed.end(), value) != r.allowed.end();
}

bool judged_per_frame(rule_kind kind) {
    switch (kind) {
        case rule_kind::bitrate_mode:
        case rule_kind::junk:
        case rule_kind::metadata:
        case rule_kind::duration_drift:
        case rule_kind::findings: return false;
        default: return true;
    }
}

// Stereo and joint stereo carry the same two channels; encoders switch
// between them frame by frame, as the stream checker allows too.
bool same_channels(std::int32_t before, std::int32_t now) { return before == now || (before <= 1 && now <= 1); }

bool is_id3(const char* label) { return label[0] == 'I' && label[1] == 'D' && label[2] == '3'; }

}  // namespace

profile_engine::profile_engine(profile judged) : profile_(std::move(judged)) {
    results_.reserve(profile_.rules.size());
    for (const rule& r : profile_.rules) {
        rule_result result;
        result.judged = &r;
        results_.push_back(std::move(result));
    }
}

void profile_engine::breach(rule_result& result, const position& at, std::int64_t value, std::int64_t amount) {
    result.count += amount;
    if (result.positions.size() < kKeptPositions) result.positions.push_back(at);
    if (result.values.size() < kKeptValues &&
        std::find(result.values.begin(), result.values.end(), value) == result.values.end())
        result.values.push_back(value);
}

void profile_engine::on_frame(const mpacheck::frame_facts& facts) {
    const position at{facts.frame, facts.offset, facts.time};
    for (rule_result& result : results_)
        if (judged_per_frame(result.judged->kind)) judge_frame(result, facts, at);
    previous_ = facts;
    have_previous_ = true;
}

void profile_engine::judge_frame(rule_result& result, const mpacheck::frame_facts& facts, const position& at) {
    const rule& r = *result.judged;
    const auto check_set = [&](std::int32_t value) {
        if (!allows(r, value)) breach(result, at, value);
    };
    const auto check_change = [&](std::int32_t before, std::int32_t now) {
        if (r.required && have_previous_ && before != now) breach(result, at, now);
    };
    switch (r.kind) {
        case rule_kind::versions: check_set(facts.version_code); break;
        case rule_kind::layers: check_set(facts.layer); break;
        case rule_kind::sampling_rates: check_set(facts.sampling_rate); break;
        case rule_kind::bitrates: check_set(facts.bitrate); break;
        case rule_kind::channel_modes: check_set(facts.mode); break;
        case rule_kind::emphasis: check_set(facts.emphasis); break;
        case rule_kind::crc:
            if (r.required && !facts.crc_present) breach(result, at, 0);
            break;
        case rule_kind::ancillary_data:
            if (facts.ancillary_bits >= 0 && facts.ancillary_bits < r.limit) {
                if (result.count == 0 || facts.ancillary_bits < result.measure) result.measure = facts.ancillary_bits;
                breach(result, at, facts.ancillary_bits);
            }
            break;
        case rule_kind::scf_crc:
            // The last frame's check word would be in a frame that is not there.
            if (r.required && facts.layer == 2 && facts.scf_crc != mpacheck::scf_crc_state::match &&
                facts.scf_crc != mpacheck::scf_crc_state::unknown)
                breach(result, at, static_cast<std::int64_t>(facts.scf_crc));
            break;
        case rule_kind::rate_change: check_change(previous_.sampling_rate, facts.sampling_rate); break;
        case rule_kind::mode_change:
            if (!same_channels(previous_.mode, facts.mode)) check_change(previous_.mode, facts.mode);
            break;
        case rule_kind::bitrate_change: check_change(previous_.bitrate, facts.bitrate); break;
        default: break;
    }
}

void profile_engine::on_finding(const mpacheck::finding& finding) {
    if (finding.kind == finding_kind::stream_truncated || finding.kind == finding_kind::stream_appended) {
        declared_ = finding.expected;
        counted_ = finding.actual;
        bytes_declared_ = finding.length != 0;
        count_checked_ = true;
    }
    for (rule_result& result : results_)
        if (!judged_per_frame(result.judged->kind)) judge_finding(result, finding);
}

void profile_engine::judge_finding(rule_result& result, const mpacheck::finding& finding) {
    const rule& r = *result.judged;
    const position at{finding.frame, finding.offset, finding.time};
    switch (r.kind) {
        case rule_kind::junk:
            if (finding.kind == finding_kind::junk || finding.kind == finding_kind::sync_lost)
                breach(result, at, 0, static_cast<std::int64_t>(finding.length));
            break;
        case rule_kind::metadata:
            if (finding.kind != finding_kind::metadata || r.metadata == metadata_policy::any) break;
            if (r.metadata == metadata_policy::id3 && is_id3(finding.label)) break;
            if (result.label.empty()) result.label = finding.label;
            breach(result, at, 0);
            break;
        case rule_kind::duration_drift:
            if (finding.kind == finding_kind::stream_truncated || finding.kind == finding_kind::stream_appended) {
                result.label = finding.label;
                result.positions.assign(1, at);
            }
            break;
        case rule_kind::findings:
            if ((r.kinds >> static_cast<int>(finding.kind) & 1u) != 0)
                breach(result, at, static_cast<std::int64_t>(finding.kind));
            break;
        default: break;
    }
}

void profile_engine::judge_summary(rule_result& result, const mpacheck::summary& summary) {
    const rule& r = *result.judged;
    switch (r.kind) {
        case rule_kind::bitrate_mode:
            if (summary.variable_bitrate != (r.mode == bitrate_mode::variable))
                breach(result, {}, summary.variable_bitrate ? 1 : 0);
            result.passed = result.count == 0;
            return;
        case rule_kind::junk: result.passed = result.count <= r.limit; return;
        case rule_kind::duration_drift: {
            if (!count_checked_ || summary.sampling_rate <= 0) return;
            const double missing = static_cast<double>(std::llabs(declared_ - counted_));
            result.measure = bytes_declared_
                                 ? (summary.average_bitrate > 0 ? missing * 8 / summary.average_bitrate : 0)
                                 : missing * samples_per_frame(summary.version_code, summary.layer) /
                                       summary.sampling_rate;
            result.count = static_cast<std::int64_t>(missing);
            result.passed = result.measure <= r.seconds;
            return;
        }
        default: result.passed = result.count == 0; return;
    }
}

void profile_engine::finish(const mpacheck::summary& summary) {
    for (rule_result& result : results_) {
        judge_summary(result, summary);
        if (!result.passed) result.detail = describe_breach(result);
        else if (result.judged->kind == rule_kind::duration_drift) result.positions.clear();
    }
}

}  // namespace mpaprofile
