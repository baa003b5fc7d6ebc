#include "core/paths.h"

#include <cstring>

namespace {

const char kParentStep[] = "/../";
const int kParentStepLength = 4;

// Removes count bytes at start from a zero-terminated text, in place.
void RemoveRange(char* text, int start, int count)
{
    memmove(text + start, text + start + count, strlen(text + start + count) + 1);
}

} // namespace

const char* QVI_GetFileExtension(const char* path)
{
    if (!path || path[0] == '\0')
        return nullptr;
    for (const char* p = path + strlen(path) - 1;; --p) {
        if (*p == '/')
            return nullptr;
        if (*p == '.')
            return p + 1;
        if (p == path)
            return nullptr;
    }
}

String QVI_GetDirectory(const char* path)
{
    const char* lastSlash = path ? strrchr(path, '/') : nullptr;
    if (!lastSlash || lastSlash == path)
        return String("");
    return String(path).Substring(0, static_cast<int>(lastSlash - path));
}

String QVI_NormalizePath(const char* path)
{
    String result(path);
    char* text = result.text;
    if (!text)
        return result;

    // segmentStart is where the component before the '/' under the scan begins.
    // Each collapse removes only the "component/../" just found and starts over at
    // position 1, so a "/../" that a collapse brings to the very front stays put.
    int segmentStart = 0;
    int position = 0;
    while (text[position] != '\0') {
        if (text[position] != '/') {
            ++position;
            continue;
        }
        if (strncmp(text + position, kParentStep, kParentStepLength) != 0) {
            ++position;
            segmentStart = position;
            continue;
        }
        RemoveRange(text, segmentStart, position + kParentStepLength - segmentStart);
        segmentStart = 0;
        position = 1;
        if (text[0] == '\0')
            break;
    }
    return result;
}
