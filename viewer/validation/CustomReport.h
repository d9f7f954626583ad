#pragma once
// One report item as a module delivered it.

#include <cstdint>
#include <string>

namespace validation {

struct TCustomReport {
    std::int32_t Module = 0;      // module type of the reporting module
    std::int32_t ReportType = 0;  // a ReportTypeCode
    std::string ReportMessage;    // UTF-8, converted from the module's UTF-16 text
    std::int32_t StreamID = -1;   // negative: no particular stream
};

}  // namespace validation
