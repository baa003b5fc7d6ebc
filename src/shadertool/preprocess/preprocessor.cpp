#include "shadertool/preprocess/preprocessor.h"

#include "shadertool/core/target.h"
#include "shadertool/description/shader_description.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace ShaderTool {

namespace {

const uint32_t kTargetBits[] = {kTargetESSL20, kTargetESSL30, kTargetGLSL21, kTargetGLSL31,
                                kTargetHLSL9,  kTargetHLSL11, kTargetPSSL};

// The group a target's code is usually shared with.
const char* GroupName(uint32_t target)
{
    switch (target) {
    case kTargetESSL20:
    case kTargetESSL30: return "ESSL";
    case kTargetGLSL21:
    case kTargetGLSL31: return "GLSL";
    case kTargetHLSL9:
    case kTargetHLSL11: return "HLSL";
    case kTargetPSSL: return "PSSL";
    default: return "";
    }
}

// A general constant's value as a macro: Bool and Int constants become integers
// (true 1, false 0), every other one a float. An Int wraps as a directive's literal
// does; only a count clamps it.
PreprocessorValue ConstantValue(const GeneralConstant& constant)
{
    const char* literal = GetGeneralConstantLiteral(constant);
    if (constant.type.baseKind == kBaseBool) {
        int32_t truth = 0;
        GetGeneralConstantInteger(constant, &truth);
        return PreprocessorValue::Integer(truth);
    }
    if (constant.type.baseKind == kBaseInt)
        return PreprocessorValue::Integer(ReadIntegerLiteral(literal));
    return PreprocessorValue::Float(ReadFloatLiteral(literal));
}

} // namespace

Preprocessor::Preprocessor(Log* log) : errorLog(log), tokenizer(log)
{
    conditionStack[0] = 1;
    AddBuiltInMacros();
    builtInMacroCount = macros.count;
}

void Preprocessor::AddMacro(const char* name, const PreprocessorValue& value)
{
    Macro macro;
    macro.name.Assign(name);
    macro.value = value;
    macros.Add(macro);
}

void Preprocessor::AddBuiltInMacros()
{
    AddMacro("_HALF_PI", PreprocessorValue::Text("1.5707963268f"));
    AddMacro("_PI", PreprocessorValue::Text("3.1415926536f"));
    AddMacro("_TWO_PI", PreprocessorValue::Text("6.2831853072f"));
    for (uint32_t target : kTargetBits) {
        String name = String::FromFormat("_TARGET_%s", GetTargetName(target));
        AddMacro(name.text, PreprocessorValue::Integer(static_cast<int32_t>(target)));
    }
    // The PSSL group (8) is named like the PSSL target, whose macro comes first.
    AddMacro("_TARGET_ESSL", PreprocessorValue::Integer(1));
    AddMacro("_TARGET_GLSL", PreprocessorValue::Integer(2));
    AddMacro("_TARGET_HLSL", PreprocessorValue::Integer(4));
}

void Preprocessor::AddRunMacros(uint32_t target)
{
    const char* targetName = GetTargetName(target);
    String targetText = String::FromFormat("_TARGET_%s", targetName ? targetName : "");
    AddMacro("_TARGET", PreprocessorValue::Text(targetText.text));
    String groupText = String::FromFormat("_TARGET_%s", GroupName(target));
    AddMacro("_TARGET_GROUP", PreprocessorValue::Text(groupText.text));
    bool vPointsUp = target == kTargetESSL20 || target == kTargetESSL30 || target == kTargetGLSL21 ||
                     target == kTargetGLSL31;
    AddMacro("_TEXTURE_COORDINATE_AXIS_V_POINTS_UP", PreprocessorValue::Integer(vPointsUp ? 1 : 0));

    if (!description)
        return;
    for (int32_t i = 0; i < description->constants.count; ++i) {
        const GeneralConstant& constant = description->constants.data[i];
        AddMacro(constant.name.text, ConstantValue(constant));
    }
}

const Macro* Preprocessor::FindMacro(const char* name) const
{
    if (!name)
        return nullptr;
    for (int32_t i = 0; i < macros.count; ++i) {
        const char* macroName = macros.data[i].name.text;
        if (macroName && strcmp(macroName, name) == 0)
            return &macros.data[i];
    }
    return nullptr;
}

void Preprocessor::Reset()
{
    for (int32_t i = builtInMacroCount; i < macros.count; ++i)
        macros.data[i].name.Assign(nullptr);
    if (macros.count > builtInMacroCount)
        macros.count = builtInMacroCount;
    output.Assign(nullptr);
    text_.Clear();
    tokenizer.Reset();
    depth = 0;
    for (int32_t& state : conditionStack)
        state = 0;
    conditionStack[0] = 1;
    newestTime = 0;
    ok = 1;
    for (int32_t i = 0; i < includes_.count; ++i)
        includes_.data[i].path.Assign(nullptr);
    includes_.count = 0;
    topFileName_.Assign(nullptr);
    directiveActs_ = true;
}

void Preprocessor::Report(int32_t line, int32_t column, const char* format, ...)
{
    char message[2048];
    va_list args;
    va_start(args, format);
    vsnprintf(message, sizeof(message), format, args);
    va_end(args);
    ok = 0;
    if (errorLog)
        errorLog->AppendSourceError(tokenizer.fileName.text, line, column, message);
}

void Preprocessor::ListMacros()
{
    int width = 0;
    for (int32_t i = 0; i < macros.count; ++i) {
        const char* name = macros.data[i].name.text;
        int length = name ? static_cast<int>(strlen(name)) : 0;
        if (length > width)
            width = length;
    }
    TextBuilder listing;
    for (int32_t i = 0; i < macros.count; ++i) {
        const Macro& macro = macros.data[i];
        listing.AppendFormat("%-*s ", width, macro.name.text ? macro.name.text : "");
        macro.value.AppendTextForm(listing);
        listing.AppendChar('\n');
    }
    if (errorLog)
        errorLog->Append(listing.Text());
}

bool Preprocessor::Run(const ShaderDescription* shaderDescription, uint32_t target, const SourceInput& input,
                       bool listMacros)
{
    Reset();
    description = shaderDescription;
    tokenizer.Begin(input, true);
    topFileName_ = input.fileName;

    if (trackTimes) {
        newestTime = description ? description->timeStamp : 0;
        RaiseNewestTime(input.fileName.text);
    }

    AddRunMacros(target);
    text_.ReserveFor(tokenizer.cursor.length + tokenizer.cursor.length / 4);
    if (listMacros) {
        ListMacros();
        return true;
    }

    DirectiveParser parser(tokenizer, *this);
    Token last;
    last.Clear();
    if (!parser.Parse(&last))
        ok = 0;
    // Lexical errors fail the source as much as the directive errors do.
    if (tokenizer.errorCount > 0)
        ok = 0;
    if (text_.OutOfMemory())
        Report(last.line, last.column, "out of memory.");

    if (ok && depth >= 1)
        Report(last.line, last.column, "expected endif directive.");
    if (!ok) {
        text_.MoveInto(output);
        return false;
    }

    TextBuilder substituted;
    substituted.ReserveFor(text_.Length() + text_.Length() / 4);
    SubstituteMacros(macros, text_.Text(), text_.Length(), substituted);
    text_.Clear();
    if (substituted.OutOfMemory()) {
        Report(last.line, last.column, "out of memory.");
        return false;
    }
    substituted.MoveInto(output);
    return true;
}

void Preprocessor::OnParseError(int32_t line, int32_t column, const char* message)
{
    Report(line, column, "%s", message);
}

} // namespace ShaderTool
