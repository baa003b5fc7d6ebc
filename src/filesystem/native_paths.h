#pragma once

#include "core/engine_string.h"
#include "filesystem/scheme.h"

// Conversions between engine paths ("res://a/b.png") and native paths under the
// schemes' current roots ("C:/game/a/b.png").

// In place: '\' becomes '/', then every parent step "/.." (followed by '/' or the end
// of the path; "/..foo" is a name) is removed with the component before it.
void QVI_NormalizeNativePath(char* path);

// The scheme's current root, one '/' and the text after "://". Empty when the scheme
// has no root (ugc:// until it is set, the per-user roots before start-up sets them):
// a path under a missing root must not land relative to the working folder.
String ConvertPathToNativePath(Scheme scheme, const char* path);

// As above for a path that carries its scheme; "" for a path without a scheme, with
// an unknown one, or whose scheme has no root.
String QV_ConvertStaticPathToNativeOSPath(const char* path);

// The engine path of a native path: the first scheme, in code order, whose non-empty
// root covers the path at a folder boundary; "" when none does.
String QVI_ConvertNativePathToPath(const char* nativePath);
