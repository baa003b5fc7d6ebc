#include "shadertool/description/target_list.h"

#include "shadertool/core/target.h"

#include <cstring>

namespace ShaderTool {

namespace {

// A name this long or longer cannot be one of the target names.
const size_t kMaxTargetNameLength = 16;

uint32_t TargetOfName(const char* name, size_t length)
{
    if (length >= kMaxTargetNameLength)
        return 0;
    char buffer[kMaxTargetNameLength];
    memcpy(buffer, name, length);
    buffer[length] = '\0';
    if (strcmp(buffer, "ALL") == 0)
        return kTargetAll;
    for (uint32_t target = 1; target <= kTargetPSSL; target <<= 1) {
        const char* targetName = GetTargetName(target);
        if (targetName && strcmp(buffer, targetName) == 0)
            return target;
    }
    return 0;
}

} // namespace

uint32_t ParseTargetList(const char* list)
{
    if (!list || !list[0])
        return kTargetAll;
    uint32_t mask = 0;
    const char* name = list;
    for (;;) {
        const char* comma = strchr(name, ',');
        size_t length = comma ? static_cast<size_t>(comma - name) : strlen(name);
        bool trailingComma = comma && comma[1] == '\0';
        uint32_t target = TargetOfName(name, length);
        if (target == 0)
            return 0;
        mask |= target;
        if (!comma || trailingComma)
            return mask;
        name = comma + 1;
    }
}

} // namespace ShaderTool
