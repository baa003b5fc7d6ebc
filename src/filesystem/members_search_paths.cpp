// File-system members that manage the search paths.

#include "filesystem/filesystem_members.h"

#include <cstring>

#include "core/engine_log.h"
#include "core/engine_string.h"
#include "filesystem/file_system_messages.h"
#include "filesystem/path_validity.h"
#include "filesystem/scheme.h"
#include "filesystem/search_path_manifest.h"
#include "filesystem/search_paths.h"

namespace {

// Beyond this many search paths every further one draws a warning.
const int kSearchPathWarningCount = 128;

bool IsSearchableScheme(Scheme scheme)
{
    return scheme == SCHEME_DOCS || scheme == SCHEME_RES || scheme == SCHEME_UGC;
}

String WithTrailingSlash(const char* path)
{
    String result(path);
    size_t length = result.text ? strlen(result.text) : 0;
    if (length == 0 || result.text[length - 1] != '/')
        result.Append("/");
    return result;
}

void Log(const char* format, const char* text)
{
    if (qv && qv->Log)
        qv->Log(format, text);
}

} // namespace

void QV_FileSystem_AddSearchPath(const char* path, bool first)
{
    if (!path)
        return;
    if (!QVI_IsPathValid(path, true, true)) {
        QVI_ReportInvalidPath("AddSearchPath", path);
        return;
    }
    if (!IsSearchableScheme(QVI_GetPathScheme(path))) {
        QVI_ReportInvalidPrefix("AddSearchPath", path);
        return;
    }
    String searchPath = WithTrailingSlash(path);
    if (!searchPath.text)
        return;

    int countBefore = 0;
    SearchPathSnapshot after;
    QVI_InsertSearchPath(searchPath.text, first, &countBefore, &after);

    Log("Adding search path '%s'...", searchPath.text);
    if (countBefore >= kSearchPathWarningCount)
        QVI_ReportPopup(QV_LOG_WARNING, "File System AddSearchPath: %i search paths exist.", countBefore);
    for (int32_t i = 0; i < after.count; ++i) {
        if (qv && qv->Log)
            qv->Log("Search path priority #%i: '%s'.", i + 1, after.data[i]);
    }
    QVI_RegisterSearchPathManifest(searchPath.text);
}

void QV_FileSystem_RemoveSearchPath(const char* path)
{
    if (!path)
        return;
    String searchPath = WithTrailingSlash(path);
    if (!searchPath.text)
        return;
    int index = QVI_RemoveSearchPathEntry(searchPath.text);
    if (index < 0) {
        QVI_ReportPopup(QV_LOG_WARNING,
                        "File System RemoveSearchPath: path '%s' was not found in added search paths.",
                        searchPath.text);
        return;
    }
    if (qv && qv->Log)
        qv->Log("Removed search path #%i: '%s'.", index + 1, searchPath.text);
}

bool QV_FileSystem_IsSearchPath(const char* path)
{
    if (!path)
        return false;
    String searchPath = WithTrailingSlash(path);
    return searchPath.text && QVI_FindSearchPath(searchPath.text) >= 0;
}

int QV_FileSystem_GetSearchPathCount()
{
    return QVI_GetSearchPathListCount();
}

const char* QV_FileSystem_GetSearchPath(int index)
{
    return QVI_GetSearchPathAt(index);
}
