#pragma once

#include "core/engine_string.h"

namespace ShaderTool {

class ShaderXMLReader;

// Reads a Shader XML into the translation context's description: from text when text
// is given (built-in shaders; path then only names it), else from the file at path
// (with reload, a copy cached by DataManager is dropped first). Sources are left out
// with skipSources. Afterwards the error log is moved into the report log, under the
// title "Failed to read the Shader XML" when the read failed. The caller holds the
// "ShaderTranslator" lock until ShaderTool::Reset.
bool ReadShaderXML(const String& path, const char* text, bool reload, bool skipSources);

// The context's Shader XML reader, made on first use when the context has none yet.
ShaderXMLReader* GetShaderXMLReader();

} // namespace ShaderTool
