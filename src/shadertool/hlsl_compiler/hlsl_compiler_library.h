// The loaded compiler library behind HLSLCompiler. Only the compiler wrapper and its
// tests include this header: it brings in the Windows and Direct3D declarations.
#pragma once

#include "platform/windows/win32.h"

#include <d3dcommon.h>

namespace ShaderTool {

struct Log;

// D3DCompile as the compiler library exports it: the standard calling convention of
// the Windows API, which a 32-bit caller must match exactly.
typedef HRESULT(WINAPI* D3DCompileFunction)(const void* source, SIZE_T sourceSize, const char* sourceName,
                                            const D3D_SHADER_MACRO* defines, ID3DInclude* include,
                                            const char* entryPoint, const char* profile, UINT flags1,
                                            UINT flags2, ID3DBlob** code, ID3DBlob** messages);

struct HLSLCompilerLibrary {
    Log* stepLog = nullptr;                 // the compiler's error log (borrowed)
    HMODULE module = nullptr;               // null until a library is loaded
    D3DCompileFunction compile = nullptr;   // null until found
};

// The library versions Initialize tries, newest first.
extern const int kCompilerLibraryVersions[];
extern const int kCompilerLibraryVersionCount;

// Tries "d3dcompiler_%i.dll" for each version in order and keeps the module and the
// D3DCompile of the first one that has it; a library that loads without it is
// released again. False, with the record unchanged, when none has it.
bool LoadCompilerLibrary(HLSLCompilerLibrary* library, const int* versions, int count);

} // namespace ShaderTool
