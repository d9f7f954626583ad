#pragma once
// What a sink tells its creator when it is finished. The record's finish slot
// has no result, so a creator that must know whether the output is complete
// hands one of these to the sink's Create function and keeps it alive until
// the record is released.

namespace sinks {

struct FinishReport {
    bool failed = false;  // finishing lost output: a flush, a close or a header rewrite failed
};

}  // namespace sinks
