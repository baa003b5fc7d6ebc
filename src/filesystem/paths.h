#pragma once

#include <cstdint>

#include "core/array.h"
#include "core/engine_string.h"

// Engine paths ("res://a/b.png"): their schemes, the native root folder behind each
// scheme, which paths are valid, and the native paths they stand for.

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

// Whether a file at this path (with a scheme) is written straight into a folder on the
// disk, so that a writer replaces it whole through a temporary file and a rename. save://
// is not: its mount buffers what is written and replaces the file whole at Unmount, and a
// temporary file written through it never reaches the disk to be renamed.
bool QVI_IsWrittenToDiskFolder(const char* path);

// Native root folders of the URL schemes, indexed by scheme code (cache 0, docs 1,
// http 2, logs 3, res 4, save 5, user 6, ugc 7). Roots use '/' and carry no
// trailing '/' (the http root is "http://"). Every entry starts as a null String and
// is filled when the file system sets up its base paths. An empty root means the
// scheme has no folder (yet): its paths open, list and create nothing.
const int kUrlSchemeRootCount = 8;

// The roots in use now (changed e.g. by SetUGCBasePath).
extern String g_currentUrlRoots[kUrlSchemeRootCount];
// The roots as the file system first set them up.
extern String g_defaultUrlRoots[kUrlSchemeRootCount];

// Sets the default roots (docs: documents folder; res: the executable's folder;
// user: the application-data folder; http: "http://"; all others "") and makes the
// current roots copies of them. True when the per-user folder is known.
bool QVI_InitBasePaths();

// The folder names under the per-user folder: the developer name as it is ("Kelmark"
// when empty) and the title with every character but ASCII letters, digits and '-'
// made '_' ("unknown" when empty).
String QVI_GetDeveloperFolderName(const char* developerName);
String QVI_GetTitleFolderName(const char* title);

// Start-up, once the configuration names the developer and the title: creates the
// per-user folder "<application data>/<developer>/<title>" and makes it the user://
// root; cache:// and logs:// become its "cache" and "logs" folders, and docs:// and
// save:// its "documents" and "save" folders unless something already moved their
// roots away from the defaults. Creates user://cache, user://logs and (when docs:// is
// not moved) user://documents. False when the per-user folder is unknown (the roots
// then stay as they were) or a folder could not be created.
bool QVI_SetUpUserFolders(const char* developerName, const char* title);

// Longest engine path, exclusive: a valid path has at most 511 characters.
const int kMaxEnginePathLength = 512;

// A path is valid when it is not null and its scheme is not unknown; has a scheme when
// requireScheme is set; is shorter than 512 characters; and the text after the scheme
// (or the whole scheme-less path) does not begin with '/', is not empty (unless
// allowEmpty is set and there is a scheme), contains neither ".." nor "//", and uses
// only letters, digits, space and "()-./@_".
bool QVI_IsPathValid(const char* path, bool requireScheme, bool allowEmpty);

// Splits a ';'-separated wildcard list ("*.xml;*.dat") into patterns appended to out.
// Each pattern is shorter than 512 characters and made of '*' and the path characters
// ('?' is no wildcard); a pattern that could step out of the listed folder ("..") is
// refused. One bad pattern makes the whole list invalid and nothing is appended. A
// null list is valid and gives no patterns.
bool QVI_ParseWildcards(const char* list, Array<String>& out);

// In place: '\' becomes '/', then every parent step "/.." (followed by '/' or the end
// of the path; "/..foo" is a name) is removed with the component before it.
void QVI_NormalizeNativePath(char* path);

// The scheme's current root, one '/' and the text after "://". Under an empty root (ugc://
// until it is set, the per-user roots before start-up sets them) the text after "://"
// alone, which names a place relative to the working folder.
String ConvertPathToNativePath(Scheme scheme, const char* path);

// As above for a path that carries its scheme; "" for a path without a scheme, with
// an unknown one, or whose scheme has no root.
String QV_ConvertStaticPathToNativeOSPath(const char* path);

// The engine path of a native path: the first scheme, in code order, whose non-empty
// root covers the path at a folder boundary; "" when none does.
String QVI_ConvertNativePathToPath(const char* nativePath);

// Native-path-sized buffers that QVI_ResolveFilePath answers in.
const int kResolvedPathBytes = 260;
const int kResolvedPathBufferCount = 32;

// Whether a file could be created at path: a file that does not exist yet is created
// and deleted again. An existing file is never touched (false), even when it cannot be
// read, so a probe never destroys data.
bool QVI_IsPathCreatable(const char* path);

// The path to use for a file: a path with a scheme when it opens for reading (or,
// with mustExist false, when the file could be created there); for any other path
// the first search path, in priority order, that has it (or could take it) followed
// by the path. A candidate that does not fit a buffer is skipped. The answer lives in
// one of 32 rotating buffers, valid until 32 further calls; null when nothing fits.
const char* QVI_ResolveFilePath(const char* path, bool mustExist);
