#pragma once
// Runs one task per input file on several threads and prints what each task
// wrote in input order: a file's output is held until every file before it
// has been printed, then printed whole, so outputs never interleave. Only a
// few files may run ahead of the first unprinted one, which keeps memory
// flat over batches of any length.

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>

#include "cli/cli_options.h"

namespace cli {

// A file's task: writes to its own out and err and returns its exit code.
using FileTask = std::function<int(std::size_t index, std::ostream& out, std::ostream& err)>;

// Runs task for indices 0 to count - 1 on up to jobs threads (1: on the
// calling thread, one after the other) and returns the lowest non-zero exit
// code of all, or kExitOk.
int RunBatch(std::size_t count, unsigned jobs, const FileTask& task, std::ostream& out, std::ostream& err);

// The number of cores, at least 1.
[[nodiscard]] unsigned DefaultJobs();

// The --jobs option: DefaultJobs() when absent; nothing when the value is
// not a whole number from 1 to 1024.
[[nodiscard]] std::optional<unsigned> JobsOption(const Arguments& arguments);

// The lower of two exit codes that are not kExitOk, else the other one.
[[nodiscard]] int LowerFailure(int code, int other);

inline constexpr const char* kJobsHelpLine =
    "  --jobs N             files checked at once (default: the number of cores);\n"
    "                       output keeps the order of the FILEs\n";

}  // namespace cli
