#pragma once

// The file system's messages go through the API table's logging members, as the
// program's own do (QVI_Report, QVI_ReportPopup).
#include "core/engine_log.h"

// The common misuse report: "File System %s: path '%s' is invalid, see IsPathValid() for more info."
void QVI_ReportInvalidPath(const char* member, const char* path);
// "File System %s: path prefix is invalid in path '%s', see %s() for more info."
void QVI_ReportInvalidPrefix(const char* member, const char* path);
// "File System %s: attempted to modify path '%s', which is not writable."
void QVI_ReportNotWritable(const char* member, const char* path);
