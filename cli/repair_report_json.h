#pragma once
// The repair report as one JSON object: input and output names, every
// change, the totals and the re-check of the output.

#include <iosfwd>
#include <string>

#include "libs/mparepair/mparepair.h"

namespace cli {

void WriteRepairJson(const mparepair::report& report, const std::string& inputName, const std::string& outputName,
                     std::ostream& out);

}  // namespace cli
