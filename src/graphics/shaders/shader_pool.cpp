// The shader pool's records and the members that find, load, reload and choose shaders,
// with the two steps renderer set-up runs for the pool.
#include "graphics/shaders/shader_pool.h"

#include <cstdint>
#include <cstring>

#include "core/cstring_utils.h"
#include "core/engine_log.h"
#include "core/locks.h"
#include "core/threads.h"
#include "data/datamanager/data_manager.h"
#include "graphics/device_resources.h"
#include "graphics/drawing/batch_renderer.h"
#include "graphics/drawing/builtin_shader_code.h"
#include "graphics/graphics_api.h"
#include "graphics/renderer/renderer_implementation.h"
#include "graphics/setup/renderer_setup.h"
#include "shadertool/core/context.h"
#include "shadertool/description/shader_xml_reader.h"
#include "shadertool/driver/translation_driver.h"

ShaderPool g_shaderPool;

namespace {

// A null name asks for this record, so that a game's null never reaches a comparison.
const char kNoShaderName[] = "!NONE";
// The only state a record has in this engine.
const int32_t kShaderStateCreated = 4;

// Names the free record at index; false when the name cannot be copied.
bool NameRecord(int index, const char* name)
{
    Shader& record = g_shaderPool.records[index];
    memset(&record, 0, sizeof(record));
    record.name = QVI_StrDup(name);
    record.state = kShaderStateCreated;
    record.slot = index;
    return record.name != nullptr;
}

// Loads until the developer stops asking to try again; the first attempt may use what is
// cached, later ones read the files anew.
int LoadWithRetries(Shader* shader, bool buildTables, bool releaseOnFailure)
{
    int retry = 0;
    for (;;) {
        const int result = QVI_LoadShader(shader, buildTables, retry);
        if (result != SHADER_LOAD_DONE && releaseOnFailure)
            QVI_ReleaseShader(shader, false);
        if (result != SHADER_LOAD_RETRY)
            return result;
        retry = 1;
    }
}

bool IsBuiltInShader(const Shader* shader)
{
    return shader == g_batch.defaultShader || shader == g_batch.distanceFieldShader;
}

}  // namespace

// ---- Records --------------------------------------------------------------------------

Shader* QVI_GetShaderRecord(const char* name, bool* existed)
{
    if (!name)
        name = kNoShaderName;
    if (existed)
        *existed = false;

    Shader* record = nullptr;
    bool outOfRecords = false;
    {
        EngineLockHold lock(MUTEX_GET_SHADER);
        ShaderPool& pool = g_shaderPool;
        // The whole used range is searched before a free record is taken: a hole left by a
        // freed name must not give a second record of a name that stands further on.
        int freeIndex = -1;
        for (int i = 0; i < pool.highWater; ++i) {
            const char* recordName = pool.records[i].name;
            if (!recordName) {
                if (freeIndex < 0)
                    freeIndex = i;
            } else if (strcmp(recordName, name) == 0) {
                if (existed)
                    *existed = true;
                return &pool.records[i];
            }
        }

        QVI_Report(QV_LOG_INFO, "Caching shader '%s'...", name);
        if (freeIndex < 0 && pool.highWater < kShaderPoolSize)
            freeIndex = pool.highWater;
        if (freeIndex < 0) {
            outOfRecords = true;
        } else if (NameRecord(freeIndex, name)) {
            if (freeIndex == pool.highWater)
                ++pool.highWater;
            record = &pool.records[freeIndex];
        }
    }

    if (outOfRecords)
        QVI_ReportPopup(QV_LOG_WARNING, "Failed to load shader '%s': Quaven is out of free shaders.", name);
    else if (!record)
        QVI_Report(QV_LOG_ERROR, "Failed to load shader '%s': out of memory for its name.", name);
    return record;
}

bool QVI_IsPooledShader(const Shader* shader)
{
    const uintptr_t first = reinterpret_cast<uintptr_t>(&g_shaderPool.records[0]);
    const uintptr_t address = reinterpret_cast<uintptr_t>(shader);
    if (!shader || address < first)
        return false;
    const uintptr_t offset = address - first;
    return offset % sizeof(Shader) == 0 && offset / sizeof(Shader) < static_cast<uintptr_t>(kShaderPoolSize) &&
           shader->name != nullptr;
}

bool QVI_CheckShaderArgument(const Shader* shader, const char* member)
{
    if (QVI_IsPooledShader(shader))
        return true;
    QVI_Report(QV_LOG_WARNING, "graphics->%s: %s.", member,
               shader ? "the shader is not one that GetShader gave" : "the shader is null");
    return false;
}

void QVI_ReleaseShader(Shader* shader, bool releaseRenderer)
{
    if (!shader)
        return;
    if (releaseRenderer) {
        RendererImplementation* renderer = QVI_GetRenderer();
        if (shader->rendererData && renderer)
            renderer->DestroyShader(shader);
        shader->rendererData = nullptr;
        QVI_SetShaderFlag(shader, kShaderLoaded, false);
    }
    QVI_FreeShaderTables(shader);
    shader->timeStamp = 0;
}

void QVI_FreeShaderRecord(Shader* shader)
{
    if (!QVI_IsPooledShader(shader))
        return;
    QVI_ReleaseShader(shader, true);
    EngineLockHold lock(MUTEX_GET_SHADER);
    QVI_Free(shader->name);
    shader->name = nullptr;
}

// ---- Members --------------------------------------------------------------------------

Shader* QV_Graphics_GetShader(const char* name)
{
    bool existed = false;
    Shader* shader = QVI_GetShaderRecord(name, &existed);
    if (!shader || existed)
        return shader;
    // A shader that failed stays in the pool under its name, not loaded: the members that
    // need a loaded shader ignore it, and ReloadShader may bring it in later.
    LoadWithRetries(shader, true, true);
    return shader;
}

bool QV_Graphics_IsShaderLoaded(Shader* shader)
{
    if (!QVI_CheckShaderArgument(shader, "IsShaderLoaded"))
        return false;
    // Elsewhere than on the main thread the shader may wait for the main thread to create
    // it; the answer is only known once it has left the queue.
    if (!QV_IsMainThread()) {
        while (QVI_IsShaderPending(shader) && qv->Sleep)
            qv->Sleep(1);
    }
    return (shader->flags & kShaderLoaded) != 0;
}

bool QV_Graphics_ReloadShader(Shader* shader)
{
    if (!QVI_CheckShaderArgument(shader, "ReloadShader"))
        return false;
    // The built-in shaders come from text held by the engine, not from files: reloading one
    // could only lose it.
    if (IsBuiltInShader(shader)) {
        QVI_Report(QV_LOG_WARNING, "Shader '%s' is built into the engine and is not reloaded.", shader->name);
        return false;
    }

    BatchRenderer::Flush();
    Shader old = *shader;
    {
        EngineLockHold lock(MUTEX_GET_SHADER);
        memset(shader, 0, sizeof(*shader));
        shader->name = old.name;
        shader->state = kShaderStateCreated;
        shader->slot = old.slot;
        shader->timeStamp = old.timeStamp;
    }

    int result;
    for (;;) {
        result = QVI_LoadShader(shader, true, 1);
        if (result != SHADER_LOAD_RETRY)
            break;
        QVI_ReleaseShader(shader, false);
    }

    if (result == SHADER_LOAD_UNCHANGED) {
        QVI_ReleaseShader(shader, false);
        EngineLockHold lock(MUTEX_GET_SHADER);
        *shader = old;
        return false;
    }
    if (result != SHADER_LOAD_DONE)
        QVI_ReleaseShader(shader, false);
    // The old renderer object belongs to nothing any more, whether the reload made a new
    // one or failed (the shader then stays unloaded).
    QVI_ReleaseShader(&old, true);

    if (g_batch.boundShader == shader) {
        // The renderer was given the old object; the next flush must hand it the new one.
        g_batch.boundShader = nullptr;
    }
    if (g_batch.currentShader == shader) {
        BatchRenderer::SetShader(nullptr);
        BatchRenderer::SetShader(shader);
    }
    return result == SHADER_LOAD_DONE;
}

void QV_Graphics_SetShader(Shader* shader)
{
    if (shader && !QVI_CheckShaderArgument(shader, "SetShader"))
        return;
    if (shader && !(shader->flags & kShaderLoaded))
        return;
    BatchRenderer::SetShader(shader);
}

void QV_Graphics_SetTextShader(Shader* shader)
{
    if (shader && !QVI_CheckShaderArgument(shader, "SetTextShader"))
        return;
    if (shader && !(shader->flags & kShaderLoaded))
        return;
    g_batch.textShader = (shader && shader->rendererData) ? shader : g_batch.defaultShader;
}

const char* QV_Graphics_GetShaderUserValue(Shader* shader, const char* id)
{
    if (!QVI_CheckShaderArgument(shader, "GetShaderUserValue"))
        return nullptr;
    if (!id) {
        QVI_Report(QV_LOG_WARNING, "graphics->GetShaderUserValue: the id is null.");
        return nullptr;
    }
    // The shader's own file, which loading it has already put into DataManager's cache.
    return DataManager::GetDatabase(shader->name)->GetParameter("user", id, "value");
}

// ---- Built-in shaders -----------------------------------------------------------------

Shader* QVI_TranslateShaderSource(const char* name, const char* shaderXmlText, const ByteBuffer code[2])
{
    bool existed = false;
    Shader* shader = QVI_GetShaderRecord(name, &existed);
    // A record that exists is answered as it is, loaded or not. A built-in shader's name is
    // the exception: a game may have asked for it while the built-ins were given back (and
    // got a record that could not load); the engine's own text fills that record, or the
    // batch renderer would be left without its default shader.
    const bool takeOver = existed && !(shader && (shader->flags & kShaderLoaded)) && QVI_IsBuiltInShaderName(name);
    if (!shader || (existed && !takeOver))
        return shader;
    if (existed)
        QVI_ReleaseShader(shader, true);

    bool created = false;
    String report;
    Mutex* translatorLock = g_rendererSetup.shaderTranslatorLock;
    QV_LockMutex(translatorLock);
    if (ShaderTool::ReadShaderXML(String(shader->name), shaderXmlText, false, true)) {
        const ShaderTool::ShaderDescription* description = &ShaderTool::GetShaderXMLReader()->description;
        created = QVI_BuildShaderTables(shader, description) && QVI_CreateShaderFromCode(shader, description, code);
    } else {
        report = g_shaderContext.reportLog.text;
    }
    ShaderTool::Reset();
    QV_UnlockMutex(translatorLock);

    if (!QVI_IsEmptyText(report.text))
        QVI_ReportPopup(QV_LOG_ERROR, "Failed to translate shader '%s':\n%s", shader->name, report.text);
    if (!created)
        QVI_ReleaseShader(shader, false);
    return shader;
}

// ---- Renderer set-up ------------------------------------------------------------------

void QVI_ReloadXmlShaders()
{
    const int used = g_shaderPool.highWater;
    for (int i = 0; i < used; ++i) {
        Shader* shader = &g_shaderPool.records[i];
        if (!shader->name || !QVI_EndsWith(shader->name, ".xml"))
            continue;
        // The device's code is gone, so an unchanged Shader XML must still give code: the
        // translation starts from no time stamp.
        shader->timeStamp = 0;
        // A shader that never loaded has no tables yet; one that did keeps the ones the
        // game has looked its constants up in.
        const bool buildTables = shader->vertexInputCount == 0;
        LoadWithRetries(shader, buildTables, false);
    }
}

void QVI_ReleasePooledShaderData()
{
    // Re-initialisation loads every shader anew; a creation still queued would make a
    // second renderer object.
    QVI_DropShaderUploads();
    RendererImplementation* renderer = QVI_GetRenderer();
    const int used = g_shaderPool.highWater;
    for (int i = 0; i < used; ++i) {
        Shader* shader = &g_shaderPool.records[i];
        if (!shader->name)
            continue;
        if (shader->rendererData && renderer)
            renderer->DestroyShader(shader);
        shader->rendererData = nullptr;
        QVI_SetShaderFlag(shader, kShaderLoaded, false);
    }
}
