#pragma once
// Nothing is thrown across a core's C boundary: each export runs its body
// through Guarded, which turns any exception into the export's failure
// result.

namespace cores {

template <class Result, class Body>
Result Guarded(Result failure, Body body) noexcept {
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

}  // namespace cores
