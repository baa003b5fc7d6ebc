#pragma once

#include "core/engine_string.h"

// Path helpers for engine paths, which always use '/' as the separator.

// Pointer into path just past the last '.' of its final component ("gz" for
// archive.tar.gz, "hidden" for .hidden). Null for a null or empty path, a path
// without '.', or when a '/' follows the last '.'.
const char* QVI_GetFileExtension(const char* path);

// The path before its last '/'; an allocated empty text when there is no '/'
// (or only a leading one) and for a null path.
String QVI_GetDirectory(const char* path);

// Collapses each "component/../" against the component before it, one at a time,
// rescanning after each step: a/b/../c gives a/c, a/b/../../c gives c, a leading
// "/../" is dropped whole and a leading "../" is kept. Null path gives a null String.
String QVI_NormalizePath(const char* path);
