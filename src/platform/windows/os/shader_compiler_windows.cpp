// platform/shader_compiler.h on Win32: D3DCompile from the newest d3dcompiler library found.
#include "platform/windows/os/shader_compiler_windows.h"

#include <cstdio>

// A blob handed out is the compiler's own ID3DBlob: the opaque type is never defined, only
// converted.
namespace {

ID3DBlob* BlobOf(OsShaderBlob* blob)
{
    return reinterpret_cast<ID3DBlob*>(blob);
}

}  // namespace

OsShaderCompiler* QVI_OsNewShaderCompiler()
{
    return new OsShaderCompiler();
}

void QVI_OsDeleteShaderCompiler(OsShaderCompiler* compiler)
{
    if (!compiler)
        return;
    if (compiler->module)
        FreeLibrary(compiler->module);
    delete compiler;
}

bool QVI_OsLoadShaderCompiler(OsShaderCompiler* compiler, const int* versions, int count)
{
    if (!compiler || !versions)
        return false;
    for (int i = 0; i < count; ++i) {
        char name[32];
        snprintf(name, sizeof(name), "d3dcompiler_%i.dll", versions[i]);
        HMODULE module = LoadLibraryA(name);
        if (!module)
            continue;
        FARPROC address = GetProcAddress(module, "D3DCompile");
        if (!address) {
            FreeLibrary(module);
            continue;
        }
        compiler->module = module;
        compiler->compile = reinterpret_cast<D3DCompileFunction>(reinterpret_cast<void*>(address));
        return true;
    }
    return false;
}

bool QVI_OsHasShaderCompiler(const OsShaderCompiler* compiler)
{
    return compiler->compile != nullptr;
}

int32_t QVI_OsCompileShader(OsShaderCompiler* compiler, const char* source, size_t size, const char* entryPoint,
                            const char* profile, OsShaderBlob** code, OsShaderBlob** messages)
{
    ID3DBlob* codeBlob = nullptr;
    ID3DBlob* messageBlob = nullptr;
    HRESULT result = compiler->compile(source, size, nullptr, nullptr, nullptr, entryPoint, profile, 0, 0, &codeBlob,
                                       &messageBlob);
    *code = reinterpret_cast<OsShaderBlob*>(codeBlob);
    *messages = reinterpret_cast<OsShaderBlob*>(messageBlob);
    return result;
}

size_t QVI_OsShaderBlobSize(OsShaderBlob* blob)
{
    return BlobOf(blob)->GetBufferSize();
}

const void* QVI_OsShaderBlobBytes(OsShaderBlob* blob)
{
    return BlobOf(blob)->GetBufferPointer();
}

void QVI_OsReleaseShaderBlob(OsShaderBlob* blob)
{
    BlobOf(blob)->Release();
}
