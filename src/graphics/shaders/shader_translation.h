#pragma once

#include "core/engine_string.h"

namespace ShaderTool {
struct TranslationOptions;
}

// The two services of the translation driver the pool calls besides reading Shader XML.
// The caller holds the "ShaderTranslator" lock around both.

// Translates the Shader XML at path for the options' target and level: on success the
// translator's context holds the description, the code of both stages and the newest
// time stamp of the sources; on failure its report log says why.
bool QVI_TranslateShaderXML(const String& path, const ShaderTool::TranslationOptions* options, int retry);
// Empties the translator's logs, description and code between two shaders.
void QVI_ResetShaderTranslator();
