#pragma once

#include "graphics/renderer/shader_record.h"

class ByteBuffer;
namespace ShaderTool {
class ShaderDescription;
}

// The pool of 128 shader records, found by name. Records are never given back during a
// run; releasing one keeps its name so the same name finds it again.

const int kShaderPoolSize = 128;

// Finds the record of that name or takes a free one (null: the pool is full).
Shader* QVI_GetShaderRecord(const char* name, bool* existed);
// Frees the record's tables and texture names; with releaseRenderer its renderer object
// too. Name and slot stay.
void QVI_ReleaseShader(Shader* shader, bool releaseRenderer);
// Releases the record and frees its name, so that the slot is free again (the built-in
// shaders at renderer shutdown).
void QVI_FreeShaderRecord(Shader* shader);
// A shader given as Shader XML text with its code already compiled (the built-in shaders).
Shader* QVI_TranslateShaderSource(const char* name, const char* shaderXmlText, const ByteBuffer code[2]);
