// The shader members until the shader pool arrives: each reports once that it is not
// available and answers 0, false or null (index lookups -1).
#include "graphics/graphics_api.h"

#include "core/missing_member.h"

Shader* QV_Graphics_GetShader(const char* name)
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetShader");
    return nullptr;
}

void* QV_Graphics_GetShaderPixelConstant(Shader* shader, int index)
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetShaderPixelConstant");
    return nullptr;
}

int QV_Graphics_GetShaderPixelConstantIndex(Shader* shader, const char* name)
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetShaderPixelConstantIndex");
    return -1;
}

const char* QV_Graphics_GetShaderUserValue(Shader* shader, const char* id)
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetShaderUserValue");
    return nullptr;
}

void* QV_Graphics_GetShaderVertexConstant(Shader* shader, int index)
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetShaderVertexConstant");
    return nullptr;
}

int QV_Graphics_GetShaderVertexConstantIndex(Shader* shader, const char* name)
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetShaderVertexConstantIndex");
    return -1;
}

int QV_Graphics_GetShaderTextureIndex(Shader* shader, const char* name)
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetShaderTextureIndex");
    return -1;
}

bool QV_Graphics_IsShaderLoaded(Shader* shader)
{
    QVI_REPORT_MISSING_MEMBER("graphics->IsShaderLoaded");
    return false;
}

bool QV_Graphics_ReloadShader(Shader* shader)
{
    QVI_REPORT_MISSING_MEMBER("graphics->ReloadShader");
    return false;
}

void QV_Graphics_SetTextShader(Shader* shader) { QVI_REPORT_MISSING_MEMBER("graphics->SetTextShader"); }

void QV_Graphics_SetShader(Shader* shader) { QVI_REPORT_MISSING_MEMBER("graphics->SetShader"); }

void QV_Graphics_SetShaderPixelConstant(Shader* shader, int index, int unused, const void* value)
{
    QVI_REPORT_MISSING_MEMBER("graphics->SetShaderPixelConstant");
}

void QV_Graphics_SetShaderVertexConstant(Shader* shader, int index, int unused, const void* value)
{
    QVI_REPORT_MISSING_MEMBER("graphics->SetShaderVertexConstant");
}
