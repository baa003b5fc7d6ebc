#include "filesystem/search_path_manifest.h"

#include <cstring>

#include "filesystem/scheme.h"

namespace {

// Written before any program thread exists (start-up), read afterwards.
SearchPathManifestRegistrar g_manifestRegistrar = nullptr;

} // namespace

String QVI_GetSearchPathManifestName(const char* searchPath)
{
    int prefixLength = QVI_GetSchemePrefixLength(searchPath);
    if (prefixLength == 0)
        return String("");
    const char* rest = searchPath + prefixLength;
    size_t restLength = strlen(rest);
    if (restLength > 0 && rest[restLength - 1] == '/')
        --restLength;
    if (restLength == 0)
        return String("");
    String name = String::FromFormat("%.*smanifest-%.*s.xml", prefixLength, searchPath, static_cast<int>(restLength),
                                     rest);
    for (char* c = name.text ? name.text + prefixLength : nullptr; c && *c; ++c) {
        if (*c == '/')
            *c = '-';
    }
    return name;
}

void QVI_SetSearchPathManifestRegistrar(SearchPathManifestRegistrar registrar)
{
    g_manifestRegistrar = registrar;
}

void QVI_RegisterSearchPathManifest(const char* searchPath)
{
    if (!g_manifestRegistrar)
        return;
    String name = QVI_GetSearchPathManifestName(searchPath);
    if (name.text && name.text[0] != '\0')
        g_manifestRegistrar(name.text);
}
