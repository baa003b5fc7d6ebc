#include "shadertool/description/short_name.h"

#include <cstring>

namespace ShaderTool {

bool ShortName::Assign(const char* source)
{
    if (!source) {
        length = 0;
        text[0] = '\0';
        return true;
    }
    size_t sourceLength = strnlen(source, kCapacity);
    if (sourceLength >= static_cast<size_t>(kCapacity))
        return false;
    memmove(text, source, sourceLength + 1);
    length = static_cast<int32_t>(sourceLength);
    return true;
}

} // namespace ShaderTool
