#include "filesystem/scheme.h"

#include <cstring>

namespace {

const char* const kSchemeNames[kSchemeCount] = {"cache", "docs", "http", "logs", "res", "save", "user", "ugc"};
const char* const kSchemePrefixes[kSchemeCount] = {"cache://", "docs://", "http://", "logs://",
                                                   "res://",   "save://", "user://", "ugc://"};
const char kSchemeSeparator[] = "://";

} // namespace

Scheme QVI_GetPathScheme(const char* path)
{
    if (!path)
        return SCHEME_NONE;
    for (int i = 0; i < kSchemeCount; ++i) {
        if (strncmp(path, kSchemePrefixes[i], strlen(kSchemePrefixes[i])) == 0)
            return static_cast<Scheme>(i);
    }
    return strstr(path, kSchemeSeparator) ? SCHEME_UNKNOWN : SCHEME_NONE;
}

int QVI_GetSchemePrefixLength(const char* path)
{
    const char* separator = path ? strstr(path, kSchemeSeparator) : nullptr;
    if (!separator)
        return 0;
    return static_cast<int>(separator - path) + 3;
}

bool QVI_IsServedScheme(Scheme scheme)
{
    return scheme >= 0 && scheme < kSchemeCount;
}

const char* QVI_GetSchemeName(Scheme scheme)
{
    return QVI_IsServedScheme(scheme) ? kSchemeNames[scheme] : "";
}

bool QVI_SchemeSkipsArchives(Scheme scheme)
{
    return scheme == SCHEME_LOGS || scheme == SCHEME_SAVE || scheme == SCHEME_USER;
}
