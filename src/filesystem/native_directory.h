#pragma once

#include "core/array.h"
#include "core/engine_string.h"
#include "filesystem/scheme.h"

// Creates one native folder. docs, save and user folders grant Everyone full access,
// inherited by what they will hold, so that every account of the machine can use
// them. True when the folder was created or already was a folder; a file of that name
// is a failure.
bool QVI_CreateNativeDirectory(const String& nativePath, Scheme scheme);

// Lists the files of nativeDir (ending in '/') that match the patterns, adding each
// as relativeDir + name through QVI_AddUniqueFileName. With recursive set, the files
// of deeper folders come first; within a folder the patterns keep their order.
void QVI_ListDirectory(Scheme scheme, const String& relativeDir, const String& nativeDir,
                       const Array<String>& patterns, bool recursive, Array<String>& results);

// One pass over nativeDir: files matching patterns[patternIndex], or, for index -1,
// every sub-folder (listed recursively).
void QVI_ListDirectoryPattern(Scheme scheme, const String& relativeDir, const String& nativeDir, int patternIndex,
                              const Array<String>& patterns, Array<String>& results);
