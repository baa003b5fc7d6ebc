// The translation driver is still to come: a Shader XML without compiled code files fails
// to load with a report that says so, and the reset empties what the translator has so far
// (its logs, the Shader XML reader and the code buffers).
#include "graphics/shaders/shader_translation.h"

#include "shadertool/core/context.h"
#include "shadertool/description/shader_xml_reader.h"

bool QVI_TranslateShaderXML(const String& path, const ShaderTool::TranslationOptions* options, int retry)
{
    (void)options;
    (void)retry;
    g_shaderContext.reportLog.AppendFormat("Translating Shader XML '%s'...\n", path.text ? path.text : "");
    g_shaderContext.reportLog.AppendError("the shader translator is not available yet.");
    g_shaderContext.reportLog.Append("\nTranslation FAILED\n");
    return false;
}

void QVI_ResetShaderTranslator()
{
    g_shaderContext.outputName.Assign(nullptr);
    g_shaderContext.errorLog.Clear();
    g_shaderContext.reportLog.Clear();
    ShaderTool::GetShaderXMLReader()->Reset();
    for (ByteBuffer& buffer : g_shaderContext.codeBuffers) {
        buffer.size = 0;
        buffer.readPos = 0;
    }
}
