#pragma once

#include <cstddef>
#include <cstdint>

namespace ShaderTool {

// A fixed text record in which the preprocessor keeps names and text values.
struct ShortName {
    static constexpr int kCapacity = 128;

    int32_t length = 0;
    char text[kCapacity] = {};

    // A text of kCapacity characters or more is refused (false) and leaves the record
    // as it was; a null text makes it empty.
    bool Assign(const char* source);
};

static_assert(sizeof(ShortName) == 132, "ShortName layout");
static_assert(offsetof(ShortName, text) == 4, "ShortName layout");

} // namespace ShaderTool
