#include "shadertool/description/shader_description.h"

namespace ShaderTool {

void ShaderDescription::Reset()
{
    vertex_output.Release();
    vertex_input.Release();
    vertex_constants.Release();
    sources.Release();
    pixel_textures.Release();
    pixel_output.Release();
    pixel_constants.Release();
    constants.Release();
    timeStamp = 0;
}

} // namespace ShaderTool
