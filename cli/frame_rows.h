#pragma once
// Writers of the frame list's rows in the three output forms: aligned text
// columns, CSV with the captions as the first line, and one JSON document.
// Rows are written as they come, so a whole file's list needs no memory.

#include <memory>
#include <ostream>
#include <string>

#include "cli/output_format.h"
#include "viewer/model/FrameNavigator.h"

namespace cli {

class FrameRowWriter {
public:
    virtual ~FrameRowWriter() = default;
    virtual void Begin(const std::string& fileName) = 0;
    virtual void Row(const TFrameNavigator::RowTexts& texts) = 0;
    virtual void End() = 0;
};

[[nodiscard]] std::unique_ptr<FrameRowWriter> MakeFrameRowWriter(OutputFormat format, std::ostream& out);

}  // namespace cli
