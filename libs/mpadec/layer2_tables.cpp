// The Layer II allocation tables come from the shared header unit, which the
// stream checker uses too.

#include "libs/mpa_header/layer2_allocation.h"
#include "libs/mpadec/decoder.h"

namespace mpadec {

static_assert(mpa_header::layer2::kTableBytes == kAllocationTableBytes);

const std::int32_t* layer2_allocation_table(int index) { return mpa_header::layer2::kTables[index].data(); }

int layer2_sblimit(int index) { return mpa_header::layer2::kSblimits[index]; }

}  // namespace mpadec
