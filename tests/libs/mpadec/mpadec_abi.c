/* The decoder's ABI header compiled as C: the layout facts the C++ tests
 * compare with their own. */
#include <stddef.h>

#include "libs/mpadec/mpadec.h"

void mpadec_c_layout(size_t* out);

void mpadec_c_layout(size_t* out) {
    out[0] = sizeof(mpa_frame_info);
    out[1] = sizeof(mpa_statistics);
    out[2] = sizeof(mpa_reset_params);
    out[3] = sizeof(mpa_pcm_buffer);
    out[4] = offsetof(mpa_statistics, samples_clipped);
    out[5] = offsetof(mpa_frame_info, frame_length);
    out[6] = offsetof(mpa_pcm_buffer, size);
    out[7] = sizeof(bufstream);
}
