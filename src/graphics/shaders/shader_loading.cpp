// Loading one shader: its compiled code files or its translation, the renderer object
// made from the code, and the queue that carries creation to the main thread when the
// renderer creates shaders nowhere else.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/array.h"
#include "core/core_state.h"
#include "core/cstring_utils.h"
#include "core/engine_log.h"
#include "core/locks.h"
#include "core/threads.h"
#include "filesystem/open_files.h"
#include "graphics/renderer/renderer_implementation.h"
#include "graphics/setup/renderer_setup.h"
#include "graphics/shaders/shader_pool.h"
#include "platform/popups.h"
#include "shadertool/core/context.h"
#include "shadertool/core/target.h"
#include "shadertool/description/shader_description.h"
#include "shadertool/description/shader_xml_reader.h"
#include "shadertool/driver/translation_driver.h"

namespace {

// One creation waiting for the main thread, with its own copies of code and description.
struct ShaderLoadRequest {
    Shader* shader;
    ByteBuffer code[2];
    ShaderTool::ShaderDescription description;

    ShaderLoadRequest(Shader* target, const ShaderTool::ShaderDescription& sourceDescription, const ByteBuffer sourceCode[2])
        : shader(target), code{ByteBuffer(sourceCode[0]), ByteBuffer(sourceCode[1])}, description(sourceDescription)
    {
    }
    explicit ShaderLoadRequest(Shader* target) : shader(target) {}
};

// Both guarded by RESOURCE_QUEUE.
Array<Shader*> g_pendingShaders;
Array<ShaderLoadRequest*> g_shaderRequests;

const char kShaderFolder[] = "shaders/";

// The translator's state is global: one shader at a time reads or translates, from the
// read until the reset.
class TranslatorLock {
public:
    TranslatorLock() : mutex_(g_rendererSetup.shaderTranslatorLock) { QV_LockMutex(mutex_); }
    ~TranslatorLock() { QV_UnlockMutex(mutex_); }
    TranslatorLock(const TranslatorLock&) = delete;
    TranslatorLock& operator=(const TranslatorLock&) = delete;

private:
    Mutex* mutex_;
};

// The part of a code file's name that tells the HLSL11 profile the code was compiled for.
const char* LevelSuffix(int level)
{
    switch (level) {
    case ShaderTool::kShaderLevelDefault:
        return "_DEFAULT";
    case ShaderTool::kShaderLevelLow:
        return "_LOW";
    case ShaderTool::kShaderLevelXbox:
        return "_XBOX";
    }
    return "";
}

enum CodeFileResult { CODE_FILE_READ, CODE_FILE_MISSING, CODE_FILE_UNREADABLE };

// The whole file into buffer; source text gets a terminating zero.
CodeFileResult ReadCodeFile(const char* path, bool sourceText, ByteBuffer& buffer)
{
    const QuavenFileSystemAPI* fileSystem = qv->fileSystem;
    if (!fileSystem || !fileSystem->OpenFile || !fileSystem->Read || !fileSystem->CloseFile)
        return CODE_FILE_MISSING;
    FileHandle* file = fileSystem->OpenFile(path, "r");
    if (!file)
        return CODE_FILE_MISSING;

    // A file with no code is as unusable as one cut short; one too large for a buffer
    // could never have been compiled code.
    const int64_t size = file->size;
    uint8_t* bytes = nullptr;
    int64_t read = 0;
    if (size > 0 && size < INT32_MAX) {
        bytes = static_cast<uint8_t*>(malloc(static_cast<size_t>(size)));
        if (bytes)
            read = fileSystem->Read(bytes, static_cast<int>(size), file);
    }
    fileSystem->CloseFile(file);

    buffer.size = 0;
    buffer.readPos = 0;
    if (bytes && read == size)
        buffer.WriteBytes(bytes, static_cast<int>(size));
    free(bytes);
    if (size <= 0 || read != size || buffer.size != size) {
        buffer.size = 0;
        QVI_ReportPopup(QV_LOG_ERROR, "Failed to load shader: Failed to read shader code file '%s'.", path);
        return CODE_FILE_UNREADABLE;
    }
    if (sourceText)
        buffer.WriteByte(0);
    return CODE_FILE_READ;
}

bool MayCreateOnThisThread(RendererImplementation* renderer)
{
    return QV_IsMainThread() || !renderer || (renderer->GetThreadingCapabilities() & QV_THREADING_CREATE_SHADERS);
}

// Makes the renderer object now, on a thread that may.
bool CreateNow(Shader* shader, const ShaderTool::ShaderDescription* description, const ByteBuffer code[2])
{
    RendererImplementation* renderer = QVI_GetRenderer();
    bool created = false;
    if (renderer) {
        // A record is created afresh only after its old object is gone; one still there
        // (a queued creation meeting a direct one) would be lost to the renderer.
        if (shader->rendererData) {
            renderer->DestroyShader(shader);
            shader->rendererData = nullptr;
        }
        created = renderer->CreateShader(shader, description, code);
    }
    if (!created)
        QVI_ReportPopup(QV_LOG_ERROR, "Failed to load shader '%s' in renderer.", shader->name);
    QVI_SetShaderFlag(shader, kShaderLoaded, created);
    return created;
}

// The shader's request, out of the queue; null when it has none.
ShaderLoadRequest* TakeRequest(Shader* shader)
{
    for (int i = 0; i < g_shaderRequests.count; ++i) {
        ShaderLoadRequest* request = g_shaderRequests.data[i];
        if (request->shader == shader) {
            g_shaderRequests.RemoveAt(i);
            return request;
        }
    }
    return nullptr;
}

// A developer sees why the shader failed in a box that offers another try once the source
// is fixed, on whichever thread loads it (the box blocks only that thread; the translator's
// lock is already given back); anyone else finds it in the log.
int ReportTranslationFailure(const Shader* shader, const String& report)
{
    const String text = String::FromFormat("Failed to translate shader '%s':\n%s", shader->name, report.text);
    QVI_Report(QV_LOG_ERROR, "%s", text.text);
    if (!g_core.developerMode)
        return SHADER_LOAD_FAILED;
    const int answer = QVI_ShowMessageBox(QV_LOG_ERROR, POPUP_BUTTONS_CANCEL_TRY_CONTINUE, text.text);
    return answer == QV_POPUP_TRY_AGAIN ? SHADER_LOAD_RETRY : SHADER_LOAD_FAILED;
}

}  // namespace

// ---- Loading --------------------------------------------------------------------------

int QVI_LoadShader(Shader* shader, bool buildTables, int retry)
{
    if (!shader || !shader->name)
        return SHADER_LOAD_FAILED;
    ByteBuffer code[2];
    const int codeFiles = QVI_ReadShaderCodeFile(shader, code);

    int translated = SHADER_LOAD_FAILED;
    bool created = false;
    String report;
    {
        TranslatorLock lock;
        if (codeFiles != -1) {
            translated = QVI_TranslateShader(shader, codeFiles == 1, 0, retry);
            // The driver moves its error log into the report before it answers, so the
            // report is what tells the developer why.
            if (translated == SHADER_LOAD_FAILED)
                report = g_shaderContext.reportLog.text;
        }
        if (codeFiles != -1 && translated == SHADER_LOAD_DONE) {
            const ShaderTool::ShaderDescription* description = &ShaderTool::GetShaderXMLReader()->description;
            const bool tables = !buildTables || QVI_BuildShaderTables(shader, description);
            created = tables && QVI_CreateShaderFromCode(shader, description,
                                                         codeFiles == 1 ? code : g_shaderContext.codeBuffers);
        }
        ShaderTool::Reset();
    }

    if (translated == SHADER_LOAD_UNCHANGED)
        return SHADER_LOAD_UNCHANGED;
    if (!QVI_IsEmptyText(report.text))
        return ReportTranslationFailure(shader, report);
    return created ? SHADER_LOAD_DONE : SHADER_LOAD_FAILED;
}

int QVI_ReadShaderCodeFile(Shader* shader, ByteBuffer code[2])
{
    if (!shader || !shader->name || strncmp(shader->name, kShaderFolder, sizeof(kShaderFolder) - 1) != 0)
        return 0;
    RendererImplementation* renderer = QVI_GetRenderer();
    if (!renderer)
        return 0;
    const char* language = ShaderTool::GetTargetName(static_cast<uint32_t>(renderer->GetShaderLanguage()));
    if (!language)
        return 0;
    const bool precompiled = renderer->UsesPrecompiledShaders();
    const String baseName = ShaderTool::GetFileBaseName(shader->name);
    const String stem = String::FromFormat("shaders/%s/%s%s%s.", language, precompiled ? "bin/" : "",
                                           baseName.text ? baseName.text : "", LevelSuffix(renderer->GetShaderLevel()));

    const char* const stages[2] = {"vertex", "pixel"};
    for (int stage = 0; stage < 2; ++stage) {
        const String path = stem + stages[stage];
        switch (ReadCodeFile(path.text, !precompiled, code[stage])) {
        case CODE_FILE_READ:
            break;
        case CODE_FILE_MISSING:
            return 0;
        case CODE_FILE_UNREADABLE:
            return -1;
        }
    }
    return 1;
}

int QVI_TranslateShader(Shader* shader, bool precompiled, int ignored, int retry)
{
    (void)ignored;
    const String path(shader->name);
    if (precompiled)
        return ShaderTool::ReadShaderXML(path, nullptr, retry != 0, true) ? SHADER_LOAD_DONE : SHADER_LOAD_FAILED;

    RendererImplementation* renderer = QVI_GetRenderer();
    ShaderTool::TranslationOptions options;
    options.shaderLevel = renderer ? static_cast<uint32_t>(renderer->GetShaderLevel()) : 0;
    options.targetMask = renderer ? static_cast<uint32_t>(renderer->GetShaderLanguage()) : 0;
    options.previousStamp = static_cast<uint32_t>(shader->timeStamp);
    options.compile = renderer && renderer->UsesPrecompiledShaders() ? 1 : 0;
    const int32_t previous = shader->timeStamp;
    const bool translated = ShaderTool::TranslateShaderXML(path, options, retry != 0);
    shader->timeStamp = g_shaderContext.newestStamp;
    if (translated && shader->timeStamp > 0 && shader->timeStamp <= previous)
        return SHADER_LOAD_UNCHANGED;
    return translated ? SHADER_LOAD_DONE : SHADER_LOAD_FAILED;
}

bool QVI_CreateShaderFromCode(Shader* shader, const ShaderTool::ShaderDescription* description,
                              const ByteBuffer code[2])
{
    if (!MayCreateOnThisThread(QVI_GetRenderer())) {
        // Loaded once the main thread has made it; IsShaderLoaded waits for that.
        QVI_QueueShaderUpload(shader, description, code);
        return true;
    }
    const bool created = CreateNow(shader, description, code);
    // A creation still queued holds older code (a reload on the main thread overtook it).
    EngineLockHold lock(MUTEX_RESOURCE_QUEUE);
    if (g_pendingShaders.Remove(shader))
        delete TakeRequest(shader);
    return created;
}

// ---- The upload queue -----------------------------------------------------------------

void QVI_QueueShaderUpload(Shader* shader, const ShaderTool::ShaderDescription* description,
                           const ByteBuffer code[2])
{
    EngineLockHold lock(MUTEX_RESOURCE_QUEUE);
    if (g_pendingShaders.Contains(shader))
        return;
    g_pendingShaders.Add(shader);
    g_shaderRequests.Add(description && code ? new ShaderLoadRequest(shader, *description, code)
                                             : new ShaderLoadRequest(shader));
}

void QVI_CallRendererToLoadShader(Shader* shader)
{
    ShaderLoadRequest* request;
    {
        EngineLockHold lock(MUTEX_RESOURCE_QUEUE);
        request = TakeRequest(shader);
    }
    if (!request)
        request = new ShaderLoadRequest(shader);

    if (!MayCreateOnThisThread(QVI_GetRenderer())) {
        EngineLockHold lock(MUTEX_RESOURCE_QUEUE);
        g_shaderRequests.Add(request);
        if (!g_pendingShaders.Contains(shader))
            g_pendingShaders.Add(shader);
        return;
    }
    CreateNow(shader, &request->description, request->code);
    delete request;
    // Off the queue only now, so that a thread waiting in IsShaderLoaded finds the answer.
    EngineLockHold lock(MUTEX_RESOURCE_QUEUE);
    g_pendingShaders.Remove(shader);
}

void QVI_ProcessShaderUploads()
{
    Array<Shader*> pending;
    {
        EngineLockHold lock(MUTEX_RESOURCE_QUEUE);
        if (g_pendingShaders.count == 0)
            return;
        pending = g_pendingShaders;
    }
    for (int i = 0; i < pending.count; ++i) {
        Shader* shader = pending.data[i];
        if (shader->name) {
            QVI_CallRendererToLoadShader(shader);
            continue;
        }
        EngineLockHold lock(MUTEX_RESOURCE_QUEUE);
        delete TakeRequest(shader);
        g_pendingShaders.Remove(shader);
    }
}

bool QVI_IsShaderPending(Shader* shader)
{
    EngineLockHold lock(MUTEX_RESOURCE_QUEUE);
    return g_pendingShaders.Contains(shader);
}

void QVI_DropShaderUploads()
{
    EngineLockHold lock(MUTEX_RESOURCE_QUEUE);
    g_shaderRequests.DeleteAll();
    g_shaderRequests.Release();
    g_pendingShaders.Release();
}
