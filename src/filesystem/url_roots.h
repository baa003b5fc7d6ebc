#pragma once

#include "core/engine_string.h"

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
