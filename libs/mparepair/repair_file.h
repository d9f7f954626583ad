#pragma once
// A repair from one named file to another, for the command line and the
// viewer alike: the output never names the input (not through a link
// either), appears under its name only when complete, and replaces an
// existing regular file only when asked (platform/atomic_output.h).

#include <string>

#include "libs/mparepair/mparepair.h"

namespace mparepair {

struct file_result {
    result repaired;
    // Empty on success; otherwise one sentence naming the file and the
    // reason ("cannot write out.mp3: No space left on device").
    std::string error;
};

[[nodiscard]] file_result repair_file(const std::string& input_name, const std::string& output_name,
                                      const options& choice, bool replace, const progress_callback& progress = {});

}  // namespace mparepair
