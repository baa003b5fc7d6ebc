#include "shadertool/description/file_base_name.h"

#include <cstdlib>
#include <cstring>

namespace ShaderTool {

String GetFileBaseName(const char* path)
{
    String result;
    if (!path)
        return result;
    const char* name = path;
    for (const char* p = path; *p; ++p) {
        if (*p == '/' || *p == '\\')
            name = p + 1;
    }
    const char* dot = strrchr(name, '.');
    size_t length = dot ? static_cast<size_t>(dot - name) : strlen(name);
    char* block = static_cast<char*>(malloc(length + 1));
    if (!block)
        return result;
    memcpy(block, name, length);
    block[length] = '\0';
    result.text = block;
    return result;
}

} // namespace ShaderTool
