/* The validator's ABI header compiled as C: the layout facts the C++ tests
 * compare with their own. */
#include <stddef.h>

#include "libs/mpaverify/mpaverify.h"

void mpaverify_c_layout(size_t* out);

void mpaverify_c_layout(size_t* out) {
    out[0] = sizeof(mpaverify_event);
    out[1] = offsetof(mpaverify_event, value);
    out[2] = offsetof(mpaverify_event, unused);
    out[3] = offsetof(mpaverify_event, stream_offset);
    out[4] = (size_t)JUNK_BYTES;
}
