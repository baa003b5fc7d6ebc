#pragma once

#include "core/array.h"
#include "core/engine_string.h"

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
