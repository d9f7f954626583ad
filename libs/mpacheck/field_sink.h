#pragma once
// Where the readers of a frame's payload report what they read, field by
// field: each field's name, value, first bit and width, bits counted from the
// first bit of the frame's header. Groups (a granule's channel, the scale
// factors) nest fields. The checker itself reads without a sink.

#include <string_view>

namespace mpacheck {

class field_sink {
public:
    virtual ~field_sink() = default;
    virtual void open_group(std::string_view name) = 0;
    virtual void close_group() = 0;
    virtual void field(std::string_view name, int value, int bit_offset, int width) = 0;
    // A number that follows from the fields (a table choice, a limit), not a
    // field of its own: no bits.
    virtual void derived(std::string_view name, int value, std::string_view meaning) = 0;
};

}  // namespace mpacheck
