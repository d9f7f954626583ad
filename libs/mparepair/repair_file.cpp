#include "libs/mparepair/repair_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/atomic_output.h"

namespace mparepair {
namespace {

std::string reason(int error) { return std::strerror(error); }

// The sentence for a repair that stopped; nothing left under the output's name.
std::string failure_text(const result& r, const std::string& input_name, const std::string& output_name) {
    switch (r.outcome) {
    case status::cannot_read: return "cannot read " + input_name + ": " + reason(r.error);
    case status::cannot_write:
        return "cannot write " + output_name + ": " + reason(r.error) + "; nothing was left under that name";
    case status::no_audio: return input_name + " holds no MPEG audio frame; nothing written";
    case status::cancelled: return "the repair of " + input_name + " was cancelled; nothing written";
    case status::ok: break;
    }
    return {};
}

}  // namespace

file_result repair_file(const std::string& input_name, const std::string& output_name, const options& choice,
                        bool replace, const progress_callback& progress) {
    file_result done;
    done.repaired.outcome = status::cannot_write;
    std::error_code same_error;
    if (std::filesystem::equivalent(output_name, input_name, same_error)) {
        done.error = output_name + " is the input file; choose another output name";
        return done;
    }
    if (platform::CheckOutputName(output_name) == platform::OutputName::kOther ||
        (!replace && platform::CheckOutputName(output_name) != platform::OutputName::kFree)) {
        done.error = output_name + " already exists and is not replaced";
        return done;
    }
    const int input = platform::OpenRegularInput(input_name);
    if (input < 0) {
        done.repaired.outcome = status::cannot_read;
        done.error = "cannot open " + input_name + ": " + reason(errno);
        return done;
    }
    platform::AtomicOutputFile output;
    if (!output.Create(output_name)) {
        done.error = "cannot create " + output_name + ": " + reason(errno);
        ::close(input);
        return done;
    }
    done.repaired = repair(input, output.Handle(), choice, progress);
    ::close(input);
    if (done.repaired.outcome != status::ok) {
        output.Discard();
        done.error = failure_text(done.repaired, input_name, output_name);
    } else if (!output.Commit(replace)) {
        const int error = errno;
        output.Discard();
        done.repaired.outcome = status::cannot_write;
        done.repaired.error = error;
        done.error = "cannot write " + output_name + ": " + reason(error);
    }
    return done;
}

}  // namespace mparepair
