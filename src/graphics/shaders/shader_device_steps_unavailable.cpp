// What drawing keeps on the device, until drawing arrives: each step reports once that it
// is not available yet and does nothing; the renderer comes up without it.
#include "graphics/device_resources.h"

#include "core/missing_member.h"

void QVI_ReloadXmlShaders()
{
    QVI_REPORT_MISSING_RENDERER_STEP("reloading pooled shaders (QVI_LoadShader)");
}

void QVI_ReleasePooledShaderData()
{
    QVI_REPORT_MISSING_RENDERER_STEP("releasing the shader pool's renderer objects");
}
