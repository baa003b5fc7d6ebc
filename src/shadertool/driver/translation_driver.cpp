#include "shadertool/driver/translation_driver.h"

#include "core/array.h"
#include "core/byte_buffer.h"
#include "shadertool/core/context.h"
#include "shadertool/core/lent_text.h"
#include "shadertool/description/shader_xml_reader.h"
#include "shadertool/driver/output_file.h"
#include "shadertool/hlsl_compiler/hlsl_compiler.h"
#include "shadertool/preprocess/preprocessor.h"
#include "shadertool/preprocess/tokenizer.h"
#include "shadertool/semantic/semantic_actions.h"
#include "shadertool/translator/glsl_translator.h"
#include "shadertool/translator/hlsl_translator.h"
#include "shadertool/translator/translator.h"

#include <climits>
#include <cstring>

namespace ShaderTool {

namespace {

Context& Ctx()
{
    return g_shaderContext;
}

const ShaderDescription& Description()
{
    return GetShaderXMLReader()->description;
}

// A new translator for one target bit, reporting into log: each target language has its
// own class, with the spellings and refusals of that language. Null for a bit no
// translator writes (CG, or anything that is not a single target).
Translator* MakeTranslator(uint32_t target, Log& log)
{
    switch (target) {
    case kTargetESSL20:
        return new ESSL20Translator(log);
    case kTargetESSL30:
        return new ESSL30Translator(log);
    case kTargetGLSL21:
        return new GLSL21Translator(log);
    case kTargetGLSL31:
        return new GLSL31Translator(log);
    case kTargetHLSL9:
        return new HLSL9Translator(log);
    case kTargetHLSL11:
        return new HLSL11Translator(log);
    case kTargetPSSL:
        return new PSSLTranslator(log);
    default:
        return nullptr;
    }
}

const char* StageName(uint32_t stage)
{
    return stage == kStageVertex ? "vertex" : "pixel";
}

// Appends text and its terminating zero to a stage's code; false when the buffer could not
// take it all.
bool AppendText(ByteBuffer& buffer, const char* text, size_t length)
{
    if (length >= static_cast<size_t>(INT_MAX) - static_cast<size_t>(buffer.size))
        return false;
    const int before = buffer.size;
    buffer.WriteBytes(text ? text : "", static_cast<int>(length));
    buffer.WriteByte(0);
    return buffer.size == before + static_cast<int>(length) + 1;
}

// Refuses the targets that cannot express the description: a failure for each, all of
// them examined, straight into the report.
bool CheckTargetCapabilities(uint32_t targetMask)
{
    Context& context = Ctx();
    const ShaderDescription& description = Description();
    bool texture3D = false;
    for (int32_t i = 0; i < description.pixel_textures.count; ++i)
        texture3D = texture3D || description.pixel_textures.data[i].type.textureDimension == kTexture3D;

    bool ok = true;
    for (uint32_t target = 1; target != 0 && target <= targetMask; target <<= 1) {
        if (!(targetMask & target))
            continue;
        const char* name = GetTargetName(target);
        const TargetCapabilities* capabilities = context.GetCapabilities(target);
        // A bit that names no target language has no translator to run; without this the
        // run would make no code and still answer success.
        const bool translates = !context.options.preprocessOnly && !context.options.listMacros;
        if (!capabilities || (translates && !context.translators[GetTargetIndex(target)])) {
            if (name)
                context.reportLog.AppendErrorFormat("target '%s' does not have a translator set up.", name);
            else
                context.reportLog.AppendErrorFormat("target %u is not a shader language.", target);
            ok = false;
            continue;
        }
        if (description.pixel_output.count >= 2 && !capabilities->multiplePixelOutputs) {
            context.reportLog.AppendErrorFormat("target '%s' does not support multiple pixel outputs.", name);
            ok = false;
        }
        if (texture3D && !capabilities->textures3D) {
            context.reportLog.AppendErrorFormat("target '%s' does not support 3D textures.", name);
            ok = false;
        }
    }
    return ok;
}

bool MakeJobs(uint32_t targetMask)
{
    Context& context = Ctx();
    ShaderDescription& description = GetShaderXMLReader()->description;
    uint32_t stageUnion[kShaderStageCount] = {0, 0};
    for (int32_t i = 0; i < description.sources.count; ++i) {
        ShaderSource& source = description.sources.data[i];
        if (!(source.targets & targetMask) || source.stage >= static_cast<uint32_t>(kShaderStageCount))
            continue;
        TranslationJob job;
        job.source = &source;
        job.number = i + 1;
        context.jobs.Add(job);
        stageUnion[source.stage] |= source.targets;
        if (source.targets != kTargetAll)
            context.ownTargetMasks[source.stage] |= source.targets;
    }
    // A requested target that no source of a stage serves would answer success with no
    // code for that stage.
    const bool covered = (stageUnion[kStageVertex] & targetMask) == targetMask;
    if (stageUnion[kStageVertex] != stageUnion[kStagePixel] || !covered) {
        context.errorLog.AppendError("some targets do not have both vertex and pixel shader source specified.");
        return false;
    }
    return true;
}

// Preprocesses, and unless only the preprocessed text is wanted, parses and checks the
// job's source. The up-to-date check may find it current instead.
void PrepareJob(TranslationJob& job, uint32_t target)
{
    Context& context = Ctx();
    const TranslationOptions& options = context.options;
    const ShaderSource& source = *job.source;
    SourceInput input;
    LentText fileName(input.fileName, source.path);
    LentText text(input.text, source.text);
    input.firstLine = source.firstLine;
    const bool preprocessed = context.preprocessor->Run(&Description(), target, input, options.listMacros != 0);
    if (options.listMacros) {
        job.parsedOk = preprocessed ? 1 : 0;
        return;
    }
    job.needsPreprocessing = 0;
    if (!preprocessed) {
        // A source that did not preprocess is never current, whatever its stamp.
        job.parsedOk = 0;
        return;
    }
    if (context.skipUpToDate) {
        const int32_t stamp = static_cast<int32_t>(context.preprocessor->newestTime);
        if (stamp > context.newestStamp)
            context.newestStamp = stamp;
        if (context.preprocessor->newestTime >= 1 && context.preprocessor->newestTime <= options.previousStamp) {
            job.upToDate = 1;
            job.parsedOk = 1;
            return;
        }
    }
    if (options.preprocessOnly)
        return;
    ShaderSource unit;
    LentText path(unit.path, source.path);
    LentText unitText(unit.text, context.preprocessor->output);
    unit.firstLine = source.firstLine;
    unit.targets = source.targets;
    unit.stage = source.stage;
    job.parsedOk = CheckTranslationUnit(context.parse, Description(), unit) ? 1 : 0;
}

bool Compile(uint32_t target, uint32_t stage, const String& text)
{
    Context& context = Ctx();
    const int family = GetTargetFamily(target);
    Compiler* compiler = family < 0 ? nullptr : context.compilers[family];
    if (!compiler) {
        context.errorLog.AppendErrorFormat("target '%s' does not have a compiler set up. If this occurred at runtime, "
                                           "most likely the target does not support runtime compilation.",
                                           GetTargetName(target));
        return false;
    }
    uint32_t levels = 0;
    if (target == kTargetHLSL11)
        levels = context.options.shaderLevel & (kShaderLevelDefault | kShaderLevelLow | kShaderLevelXbox);
    bool ok = true;
    if (levels == 0)
        return compiler->Compile(target, 0, stage, text, context.codeBuffers[stage]);
    for (uint32_t level = kShaderLevelDefault; level <= kShaderLevelXbox; level <<= 1) {
        if ((levels & level) && !compiler->Compile(target, level, stage, text, context.codeBuffers[stage]))
            ok = false;
    }
    return ok;
}

bool TranslateJobForTarget(TranslationJob& job, uint32_t target)
{
    Context& context = Ctx();
    const TranslationOptions& options = context.options;
    const uint32_t stage = job.source->stage;
    context.errorLog.AppendFormat("Translating for target '%s'...\n", GetTargetName(target));
    if (job.needsPreprocessing)
        PrepareJob(job, target);
    if (job.upToDate)
        return true;
    if (!job.parsedOk)
        return false;
    if (options.listMacros)
        return true;

    Translator* translator = context.translators[GetTargetIndex(target)];
    const String* text = &context.preprocessor->output;
    size_t length = 0;
    if (options.preprocessOnly) {
        length = text->text ? strlen(text->text) : 0;
    } else {
        if (!translator) {
            context.errorLog.AppendErrorFormat("target '%s' does not have a translator set up.", GetTargetName(target));
            return false;
        }
        const bool errorsBefore = context.errorLog.hasError != 0;
        const bool translated =
            translator->Translate(Description(), target, options.shaderLevel, stage, context.parse.root);
        // A translator that reported an error has failed, whatever it answered.
        if (!translated || !translator->succeeded || (!errorsBefore && context.errorLog.hasError))
            return false;
        text = &translator->body;
        length = translator->bodyLength;
    }

    const bool compileNeeded = target == kTargetHLSL11 || target == kTargetPSSL;
    const bool compiles = compileNeeded && options.compile && !options.preprocessOnly;
    // Compiled targets hand the renderer byte code; everything else hands it the text.
    if (!compiles && !AppendText(context.codeBuffers[stage], text->text, length)) {
        context.errorLog.AppendErrorFormat("out of memory keeping the %s code.", StageName(stage));
        return false;
    }
    bool ok = true;
    if (context.outputDirectory.text && context.outputDirectory.text[0]) {
        const String path = String::FromFormat("%s%s%s.%s", context.outputDirectory.text,
                                               context.outputName.text ? context.outputName.text : "", "",
                                               StageName(stage));
        ok = WriteOutputFile(path.text, text->text, length, context.errorLog);
    }
    if (compiles && !Compile(target, stage, *text))
        ok = false;
    return ok;
}

bool TranslateJobs()
{
    Context& context = Ctx();
    const uint32_t targetMask = context.options.targetMask;
    bool ok = true;
    for (int32_t i = 0; i < context.jobs.count; ++i) {
        TranslationJob& job = context.jobs.data[i];
        if (job.upToDate)
            continue;
        const uint32_t stage = job.source->stage;
        context.errorLog.AppendFormat("Translating %s shader code of shader source %i...\n", StageName(stage),
                                      job.number);
        for (uint32_t target = 1; target <= kTargetPSSL; target <<= 1) {
            if (!(job.source->targets & targetMask & target))
                continue;
            // An "ALL" source leaves the targets that have a source of their own to it.
            if (job.source->targets == kTargetAll && (context.ownTargetMasks[stage] & target))
                continue;
            if (!TranslateJobForTarget(job, target)) {
                ok = false;
                if (!job.parsedOk && !job.needsPreprocessing) {
                    context.errorLog.AppendError("parsing the source failed, skipping rest of the targets...");
                    break;
                }
            } else if (job.upToDate) {
                context.errorLog.Append("Shader source is up to date, skipping translation...\n");
                break;
            }
        }
    }
    return ok;
}

// With the up-to-date check, sources found current were not translated. When some were
// and some were not, the current ones are translated after all, since the shader's code
// is made of both stages; when all were, the shader is unchanged.
bool TranslateCurrentSourcesToo()
{
    Context& context = Ctx();
    int32_t current = 0;
    for (int32_t i = 0; i < context.jobs.count; ++i) {
        TranslationJob& job = context.jobs.data[i];
        job.upToDate = job.upToDate ? 0 : 1;
        if (!job.upToDate) {
            job.needsPreprocessing = 1;
            ++current;
        }
    }
    if (current == 0 || current == context.jobs.count)
        return true;
    context.errorLog.Append("Changes or target dependent code was detected, translating up-to-date shader sources...\n");
    context.skipUpToDate = 0;
    const bool ok = TranslateJobs();
    context.skipUpToDate = 1;
    return ok;
}

void EmptyCode()
{
    for (ByteBuffer& buffer : Ctx().codeBuffers) {
        buffer.size = 0;
        buffer.readPos = 0;
    }
}

} // namespace

bool Initialize(uint32_t targetMask, const String& outputDirectory, bool skipUpToDate)
{
    Context& context = Ctx();
    // A re-initialisation starts from nothing, whatever the last shader left.
    Reset();
    for (uint32_t target = 1; target <= kTargetPSSL; target <<= 1) {
        if (!(targetMask & target))
            continue;
        const int family = GetTargetFamily(target);
        if (target == kTargetHLSL11 && !context.compilers[family]) {
            Compiler* compiler = new HLSLCompiler(&context.errorLog);
            if (!compiler->Initialize()) {
                delete compiler;
                context.errorLog.MoveInto(context.reportLog, nullptr);
                context.reportLog.AppendErrorFormat("failed to initialize the compiler for target %s.",
                                                    GetTargetName(target));
                return false;
            }
            context.compilers[family] = compiler;
        }
        Translator*& slot = context.translators[GetTargetIndex(target)];
        if (!slot)
            slot = MakeTranslator(target, context.errorLog);
    }
    context.outputDirectory = outputDirectory;
    const char* directory = context.outputDirectory.text;
    if (directory && directory[0]) {
        const char last = directory[strlen(directory) - 1];
        if (last != '/' && last != '\\')
            context.outputDirectory.Append("/");
    }
    context.skipUpToDate = skipUpToDate ? 1 : 0;
    context.preprocessor->trackTimes = context.skipUpToDate;
    return true;
}

namespace {

// The translation of a Shader XML from its file, or from text when text is given.
bool Translate(const String& xmlPath, const char* text, const TranslationOptions& options, bool reload)
{
    Context& context = Ctx();
    context.reportLog.AppendFormat("Translating Shader XML '%s'...\n", xmlPath.text ? xmlPath.text : "");
    bool ok = ReadShaderXML(xmlPath, text, reload, false);
    if (ok) {
        context.options = options;
        ok = CheckTargetCapabilities(options.targetMask);
    }
    if (ok && options.targetMask == 0) {
        context.reportLog.AppendError("no target to translate for.");
        ok = false;
    }
    if (ok)
        ok = MakeJobs(options.targetMask);
    if (ok) {
        context.outputName = GetFileBaseName(xmlPath.text);
        ok = TranslateJobs();
        if (ok && context.skipUpToDate)
            ok = TranslateCurrentSourcesToo();
    }
    // An error a step reported without failing fails the translation all the same. The
    // report log is not asked: after the read it holds the reader's messages, among them
    // the tokenizer's word on a general constant's value, whose first token alone decides
    // its type, and refusals that have already failed their step.
    if (context.errorLog.hasError)
        ok = false;
    if (!ok)
        EmptyCode();
    context.errorLog.MoveInto(context.reportLog, nullptr);
    context.reportLog.Append(ok ? "\nTranslation SUCCEEDED\n" : "\nTranslation FAILED\n");
    return ok;
}

} // namespace

bool TranslateShaderXML(const String& xmlPath, const TranslationOptions& options, bool reload)
{
    return Translate(xmlPath, nullptr, options, reload);
}

bool TranslateShaderXMLText(const String& name, const char* text, const TranslationOptions& options)
{
    if (!text) {
        Ctx().reportLog.AppendError("no Shader XML text to translate.");
        return false;
    }
    return Translate(name, text, options, false);
}

void Reset()
{
    Context& context = Ctx();
    context.outputName.Assign(nullptr);
    context.errorLog.Clear();
    context.reportLog.Clear();
    for (Translator* translator : context.translators) {
        if (translator)
            translator->Reset();
    }
    ResetTranslationUnit(context.parse);
    context.preprocessor->Reset();
    context.preprocessor->trackTimes = context.skipUpToDate;
    context.tokenizer->Reset();
    EmptyCode();
    GetShaderXMLReader()->Reset();
    context.jobs.Release();
    context.options = TranslationOptions();
    for (uint32_t& mask : context.ownTargetMasks)
        mask = 0;
    context.newestStamp = 0;
}

} // namespace ShaderTool
