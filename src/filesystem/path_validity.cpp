#include "filesystem/path_validity.h"

#include <cstring>

#include "filesystem/scheme.h"

namespace {

bool IsPathCharacter(char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return c != '\0' && strchr(" ()-./@_", c) != nullptr;
}

bool HasOnlyPathCharacters(const char* text, size_t length, bool allowStar)
{
    for (size_t i = 0; i < length; ++i) {
        if (allowStar && text[i] == '*')
            continue;
        if (!IsPathCharacter(text[i]))
            return false;
    }
    return true;
}

// Whether text[0, length) contains needle.
bool ContainsWithin(const char* text, size_t length, const char* needle)
{
    size_t needleLength = strlen(needle);
    for (size_t i = 0; i + needleLength <= length; ++i) {
        if (memcmp(text + i, needle, needleLength) == 0)
            return true;
    }
    return false;
}

} // namespace

bool QVI_IsPathValid(const char* path, bool requireScheme, bool allowEmpty)
{
    if (!path)
        return false;
    Scheme scheme = QVI_GetPathScheme(path);
    if (scheme == SCHEME_UNKNOWN)
        return false;
    bool hasScheme = scheme != SCHEME_NONE;
    if (requireScheme && !hasScheme)
        return false;
    // strnlen stops at the limit, so an enormous text is not measured in full.
    size_t length = strnlen(path, kMaxEnginePathLength);
    if (length >= static_cast<size_t>(kMaxEnginePathLength))
        return false;

    const char* rest = path + QVI_GetSchemePrefixLength(path);
    size_t restLength = length - static_cast<size_t>(rest - path);
    if (rest[0] == '/')
        return false;
    if (restLength == 0 && !(allowEmpty && hasScheme))
        return false;
    if (ContainsWithin(rest, restLength, "..") || ContainsWithin(rest, restLength, "//"))
        return false;
    return HasOnlyPathCharacters(rest, restLength, false);
}

bool QVI_ParseWildcards(const char* list, Array<String>& out)
{
    if (!list)
        return true;
    Array<String> patterns;
    const char* start = list;
    for (;;) {
        const char* end = strchr(start, ';');
        size_t length = end ? static_cast<size_t>(end - start) : strlen(start);
        if (length >= static_cast<size_t>(kMaxEnginePathLength))
            return false;
        if (!HasOnlyPathCharacters(start, length, true) || ContainsWithin(start, length, ".."))
            return false;
        patterns.Add(String::FromFormat("%.*s", static_cast<int>(length), start));
        if (!end)
            break;
        start = end + 1;
    }
    for (int32_t i = 0; i < patterns.count; ++i)
        out.Add(patterns.data[i]);
    return true;
}
