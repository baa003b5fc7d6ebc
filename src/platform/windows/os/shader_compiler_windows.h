// The record behind platform/shader_compiler.h's OsShaderCompiler. Only its implementation
// and the tests, which put a stand-in in place of D3DCompile and compare the module with the
// system's, include this header.
#pragma once

#include "platform/shader_compiler.h"

#include "platform/windows/win32.h"

#include <d3dcommon.h>

// D3DCompile as the compiler library exports it: the standard calling convention of
// the Windows API, which a 32-bit caller must match exactly.
typedef HRESULT(WINAPI* D3DCompileFunction)(const void* source, SIZE_T sourceSize, const char* sourceName,
                                            const D3D_SHADER_MACRO* defines, ID3DInclude* include,
                                            const char* entryPoint, const char* profile, UINT flags1,
                                            UINT flags2, ID3DBlob** code, ID3DBlob** messages);

struct OsShaderCompiler {
    HMODULE module = nullptr;               // null until a library is loaded
    D3DCompileFunction compile = nullptr;   // null until found
};
