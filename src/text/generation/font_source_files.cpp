// The files a font source names, found as the font loader finds them: the strings file of a
// UTF-8 font and TrueType files, beside the source, on the search paths or in the build
// folder.
#include "core/cstring_utils.h"
#include "core/engine_log.h"
#include "core/engine_string.h"
#include "filesystem/filesystem_api.h"
#include "filesystem/paths.h"
#include "quaven/api.h"
#include "quaven/filesystem.h"
#include "text/generation/font_generation.h"

namespace {

bool Exists(const char* path)
{
    return path && qv && qv->fileSystem && qv->fileSystem->FileExists && qv->fileSystem->FileExists(path);
}

// The last place a font's file is looked for, once it is neither where it is named nor beside
// its source: the build folder, else the path as given, with a warning.
void FindInBuildFolder(String* out, const char* path)
{
    const String build = String("../build/") + path;
    if (Exists(build.text)) {
        *out = build;
        return;
    }
    QVI_ReportPopup(QV_LOG_WARNING, "Unable to find font source file %s.", path);
    out->Assign(path);
}

// folder + "/" + path; a leading "./" of path adds nothing.
String JoinPath(const char* folder, const char* path)
{
    if (QVI_StartsWith(path, "./"))
        path += 2;
    if (QVI_IsEmptyText(folder))
        return String(path);
    String joined(folder);
    if (!QVI_EndsWith(folder, "/"))
        joined.Append("/");
    joined.Append(path);
    return joined;
}

}  // namespace

// The strings file named by the source: "!..." as it is, "./..." beside the source as the
// search paths find it, else as given or beside the source's own name.
String QVI_LocateFontStringsFile(const char* strings, const char* sourceName)
{
    if (strings[0] == '!')
        return String(strings);
    String path(strings);
    if (QVI_StartsWith(strings, "./")) {
        const char* resolved = QVI_ResolveFilePath(sourceName, true);
        if (!resolved)
            QVI_ReportPopup(QV_LOG_WARNING, "Unable to locate file '%s' in file system.", sourceName);
        const String folder = QVI_GetDirectory(resolved ? resolved : sourceName);
        path = QVI_NormalizePath(JoinPath(folder.text, strings).text);
    }
    if (!Exists(path.text)) {
        const String folder = QVI_GetDirectory(sourceName);
        const String beside = JoinPath(folder.text, strings);
        if (Exists(beside.text))
            path = beside;
        else
            QVI_ReportPopup(QV_LOG_ERROR, "Unable to find font language strings xml source file %s", path.text);
    }
    return path;
}

// The native path of a TrueType file named by the source, found as given or beside the source
// on the search paths; empty when there is none. FreeType opens the file itself, so finding
// it is the only look-up: it is not opened here first.
String QVI_FindFontTrueTypeFile(const char* ttf, const char* sourceFolder)
{
    String native = QVI_FindExistingNativePath(ttf);
    if (!QVI_IsEmptyText(native.text))
        return native;
    String located;
    if (!QVI_IsEmptyText(sourceFolder)) {
        String beside(sourceFolder);
        if (!QVI_EndsWith(sourceFolder, "/"))
            beside.Append("/");
        beside.Append(ttf);
        native = QVI_FindExistingNativePath(beside.text);
        if (!QVI_IsEmptyText(native.text))
            return native;
    }
    FindInBuildFolder(&located, ttf);
    const char* resolved = QVI_ResolveFilePath(located.text, true);
    if (!resolved)
        return String("");
    return QV_ConvertStaticPathToNativeOSPath(resolved);
}

void QVI_FindFontSourceFile(String* out, const char* path, const char* baseFolder)
{
    if (!out)
        return;
    if (!path) {
        out->Assign("");
        return;
    }
    if (Exists(path)) {
        out->Assign(path);
        return;
    }
    if (!QVI_IsEmptyText(baseFolder)) {
        String beside(baseFolder);
        if (!QVI_EndsWith(baseFolder, "/"))
            beside.Append("/");
        beside.Append(path);
        if (Exists(beside.text)) {
            *out = beside;
            return;
        }
    }
    FindInBuildFolder(out, path);
}
