#include "shadertool/description/shader_description.h"

namespace ShaderTool {

void ShaderDescription::Reset()
{
    ReleaseArray(vertex_output);
    ReleaseArray(vertex_input);
    ReleaseArray(vertex_constants);
    ReleaseArray(sources);
    ReleaseArray(pixel_textures);
    ReleaseArray(pixel_output);
    ReleaseArray(pixel_constants);
    ReleaseArray(constants);
    timeStamp = 0;
}

} // namespace ShaderTool
