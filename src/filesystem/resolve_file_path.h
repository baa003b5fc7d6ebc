#pragma once

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
