#pragma once

#include <cstdint>

#include "graphics/renderer/shader_record.h"

class ByteBuffer;
namespace ShaderTool {
class ShaderDescription;
}

// The pool of 128 shader records, found by name. Records are never given back during a
// run; releasing one keeps its name so the same name finds it again. The pool is guarded
// by the GET_SHADER lock, the upload queue by RESOURCE_QUEUE, and every use of the shader
// translator by the "ShaderTranslator" lock.

const int kShaderPoolSize = 128;

struct ShaderPool {
    Shader records[kShaderPoolSize];
    // Records ever named; a search by name looks at these, holes left by freed names
    // included, before a free record is taken.
    int32_t highWater;
};

extern ShaderPool g_shaderPool;

// What QVI_LoadShader answers.
enum ShaderLoadResult {
    SHADER_LOAD_DONE = 0,       // loaded, or queued for the main thread
    SHADER_LOAD_FAILED = 1,
    SHADER_LOAD_RETRY = 2,      // the developer asked to try again
    SHADER_LOAD_UNCHANGED = 3,  // nothing newer than what the record holds
};

// Sets or clears flag bits; atomic, since a game thread may finish a load while the main
// thread marks constants uploaded.
inline void QVI_SetShaderFlag(Shader* shader, uint8_t flag, bool on)
{
    if (on)
        __atomic_or_fetch(&shader->flags, flag, __ATOMIC_SEQ_CST);
    else
        __atomic_and_fetch(&shader->flags, static_cast<uint8_t>(~flag), __ATOMIC_SEQ_CST);
}

// ---- Records --------------------------------------------------------------------------

// Finds the record of that name (null stands for "!NONE") or names a free one; null,
// with a warning, when all 128 are taken.
Shader* QVI_GetShaderRecord(const char* name, bool* existed);
// True for a pointer to one of the pool's named records.
bool QVI_IsPooledShader(const Shader* shader);
// The members' check of their shader argument: anything but a pooled shader is logged
// (naming the member) and refused.
bool QVI_CheckShaderArgument(const Shader* shader, const char* member);
// Frees the record's tables and texture names; with releaseRenderer its renderer object
// too. Name and slot stay.
void QVI_ReleaseShader(Shader* shader, bool releaseRenderer);
// Releases the record and frees its name, so that the slot is free again (the built-in
// shaders at renderer shutdown).
void QVI_FreeShaderRecord(Shader* shader);

// ---- Loading --------------------------------------------------------------------------

// Reads or translates the shader named by the record and has the renderer create it;
// buildTables fills the record's inputs, constants and textures from the description.
// retry is 0 on first loads and re-initialisation, 1 on retries and reloads.
int QVI_LoadShader(Shader* shader, bool buildTables, int retry);
// The compiled code files "shaders/<language>/[bin/]<base name><level suffix>.vertex" and
// ".pixel" of a shader under "shaders/": 1 both read, 0 none to read (translate instead),
// -1 a file that is empty or could not be read whole.
int QVI_ReadShaderCodeFile(Shader* shader, ByteBuffer code[2]);
// With precompiled code only the description is read; otherwise the Shader XML is
// translated. 0 ok, 1 failed, 3 nothing newer than the record's time stamp.
int QVI_TranslateShader(Shader* shader, bool precompiled, int ignored, int retry);
// Creates the renderer object now, or queues it when this thread may not create shaders.
bool QVI_CreateShaderFromCode(Shader* shader, const ShaderTool::ShaderDescription* description,
                              const ByteBuffer code[2]);
// A shader given as Shader XML text with its code already compiled (the built-in shaders).
// The record is answered also when it could not be created.
Shader* QVI_TranslateShaderSource(const char* name, const char* shaderXmlText, const ByteBuffer code[2]);

// ---- The upload queue (creation on the main thread) -----------------------------------

void QVI_QueueShaderUpload(Shader* shader, const ShaderTool::ShaderDescription* description,
                           const ByteBuffer code[2]);
// Creates one pending shader from its queued request and takes it off the queue.
void QVI_CallRendererToLoadShader(Shader* shader);
// The frame's shader pass (main thread, renderer ready): every pending shader that still
// has a name is created; the others leave the queue.
void QVI_ProcessShaderUploads();
// True while the shader waits in the queue.
bool QVI_IsShaderPending(Shader* shader);
// Forgets every queued creation (renderer shutdown: the next initialisation loads the
// shaders anew).
void QVI_DropShaderUploads();

// ---- Tables ---------------------------------------------------------------------------

// Vertex inputs, both constant tables and the texture entries from a description; sets
// the constants-uploaded flag. False, with the tables left empty, for constants that do
// not fit a stage.
bool QVI_BuildShaderTables(Shader* shader, const ShaderTool::ShaderDescription* description);
// Frees the inputs, both constant tables and the texture entries.
void QVI_FreeShaderTables(Shader* shader);
void QVI_FreeConstantTable(ShaderConstantTable* table);
// The entry's value (its place in the table's value block); null for a bad index.
void* QVI_GetConstantValue(ShaderConstantTable* table, int index);
// Copies the entry's size in bytes from value when they differ; answers whether it did.
// The value is laid out as the entry is: every element on 16-byte registers, an N x N
// matrix as N registers holding row i of the engine's matrix in register i.
bool QVI_SetConstantValue(ShaderConstantTable* table, int index, int ignored, const void* value);
