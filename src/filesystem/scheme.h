#pragma once

#include <cstdint>

// The URL scheme of an engine path. The first eight values index the root tables and
// the back-end table; the last two describe paths that no back end serves.
enum Scheme : int32_t {
    SCHEME_CACHE = 0,
    SCHEME_DOCS = 1,
    SCHEME_HTTP = 2,
    SCHEME_LOGS = 3,
    SCHEME_RES = 4,
    SCHEME_SAVE = 5,
    SCHEME_USER = 6,
    SCHEME_UGC = 7,
    SCHEME_NONE = 9,     // no "://" in the path
    SCHEME_UNKNOWN = 10  // "://" with a prefix that is none of the eight
};

static_assert(sizeof(Scheme) == 4, "Scheme is a 32-bit code");

const int kSchemeCount = 8;

// The scheme whose prefix ("res://" ...) the path starts with, compared
// case-sensitively; SCHEME_NONE for a null path or one without "://".
Scheme QVI_GetPathScheme(const char* path);

// Length of the prefix up to and including "://"; 0 when the path has none.
int QVI_GetSchemePrefixLength(const char* path);

// True for the eight schemes that have roots and back ends.
bool QVI_IsServedScheme(Scheme scheme);

// "cache", "docs", ... for the eight schemes; "" for any other value.
const char* QVI_GetSchemeName(Scheme scheme);

// True for the schemes whose folders never hold PAK archives (logs, save, user).
bool QVI_SchemeSkipsArchives(Scheme scheme);
