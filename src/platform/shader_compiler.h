#pragma once

#include <cstddef>
#include <cstdint>

// The platform's HLSL compiler: a library loaded at run time, so that the engine starts on
// systems without it, and what its compilation hands back. platform/windows implements
// these with the D3DCompile of "d3dcompiler_%i.dll".

struct OsShaderCompiler;  // opaque; the compiler library and its compile function
struct OsShaderBlob;      // opaque; bytes the compiler hands out, released once

// A record that has found no library yet. Never null (running out of memory throws).
OsShaderCompiler* QVI_OsNewShaderCompiler();
// Releases the library when one is loaded, and the record. Null is ignored.
void QVI_OsDeleteShaderCompiler(OsShaderCompiler* compiler);

// Tries the library of each version in order and keeps the first one that has the compile
// function; a library that loads without it is released again. False, with the record
// unchanged, when none has it.
bool QVI_OsLoadShaderCompiler(OsShaderCompiler* compiler, const int* versions, int count);
// True once a library with the compile function is kept.
bool QVI_OsHasShaderCompiler(const OsShaderCompiler* compiler);

// Compiles size bytes of source (no name, macros, include handler or flags) for the entry
// point and profile. Answers the compiler's result code, negative for a failure. *code and
// *messages receive the compiled code and the compiler's messages, or null for none; each
// blob handed out is released with QVI_OsReleaseShaderBlob. Needs a kept library.
int32_t QVI_OsCompileShader(OsShaderCompiler* compiler, const char* source, size_t size, const char* entryPoint,
                            const char* profile, OsShaderBlob** code, OsShaderBlob** messages);

size_t QVI_OsShaderBlobSize(OsShaderBlob* blob);
const void* QVI_OsShaderBlobBytes(OsShaderBlob* blob);
void QVI_OsReleaseShaderBlob(OsShaderBlob* blob);
