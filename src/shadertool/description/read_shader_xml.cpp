#include "shadertool/description/read_shader_xml.h"

#include "shadertool/core/context.h"
#include "shadertool/description/shader_xml_reader.h"

namespace ShaderTool {

ShaderXMLReader* GetShaderXMLReader()
{
    if (!g_shaderContext.reader)
        g_shaderContext.reader = new ShaderXMLReader(&g_shaderContext.errorLog);
    if (!g_shaderContext.reader->errorLog)
        g_shaderContext.reader->errorLog = &g_shaderContext.errorLog;
    return g_shaderContext.reader;
}

bool ReadShaderXML(const String& path, const char* text, bool reload, bool skipSources)
{
    ShaderXMLReader* reader = GetShaderXMLReader();
    bool read = text ? reader->ReadText(path.text, text, skipSources) : reader->ReadFile(path.text, reload, skipSources);
    g_shaderContext.errorLog.MoveInto(g_shaderContext.reportLog, read ? nullptr : "Failed to read the Shader XML");
    return read;
}

} // namespace ShaderTool
