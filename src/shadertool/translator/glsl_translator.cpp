#include "shadertool/translator/glsl_translator.h"

#include "shadertool/core/builtin_functions.h"
#include "shadertool/core/operator_table.h"
#include "shadertool/core/target.h"
#include "shadertool/description/shader_description.h"

#include <cstdarg>
#include <cstring>

namespace ShaderTool {

namespace {

// The vertex element bit of a position input.
const uint32_t kElementPosition = 1;

const char* const kExtensionGpuShader4 = "GL_EXT_gpu_shader4";

// The local copy of a pixel input that main changes.
const char* const kInputCopyPrefix = "_input_";

bool IsNamed(const String& name, const char* text)
{
    return name.text && strcmp(name.text, text) == 0;
}

bool IsExplicitLodSamplingOp(uint32_t op)
{
    return op >= kBuiltInSampleTextureGrad && op <= kBuiltInSampleTextureLodOffset;
}

const Node* FirstArgument(const FunctionNode* call)
{
    const ListNode* arguments = call->Parameters();
    return arguments && arguments->children.count > 0 ? arguments->children.data[0] : nullptr;
}

// A float literal of the given text.
LiteralNode FloatLiteral(const char* text)
{
    LiteralNode literal;
    literal.type = Type(kBaseFloat, 1);
    literal.type.isConstant = 1;
    literal.text.Assign(text);
    return literal;
}

int32_t VectorSizeOf(const Node* node)
{
    const Type* type = GetNodeType(node);
    return type && type->vectorSize > 1 ? type->vectorSize : 1;
}

// Fills a declaration or name template; the templates are the translator's own texts.
void AppendTemplate(TextSection& to, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    to.AppendFormatArguments(format, args);
    va_end(args);
}

} // namespace

// ---- GLSL 1.20 ----------------------------------------------------------------------------

GLSL21Translator::GLSL21Translator(Log& log)
    : Translator(log),
      declarationTemplates{"attribute %s _in_%s;\n", "varying %s _vary_%s;\n", "varying %s _vary_%s;\n", "",
                           "uniform %s %s;\n", "uniform %s %s[%i];\n", "uniform sampler%s _tex_%s;\n"},
      nameTemplates{"_in_%s", "_vary_%s", "gl_Position", "_vary_%s", "gl_FragColor", "_tex_%s"},
      explicitLocations(0), positionInput(nullptr), positionOutput(nullptr), pixelInputs(nullptr), copiesInputs(0)
{
    functionRenames["atan2"] = "atan";
    functionRenames["frac"] = "fract";
    functionRenames["lerp"] = "mix";
    functionRenames["rsqrt"] = "inversesqrt";
    functionRenames["sampleTexture"] = "texture";
    functionRenames["sampleTextureGrad"] = "texture";
    functionRenames["sampleTextureLod"] = "texture";
    functionRenames["sampleTextureLodOffset"] = "texture";
}

GLSL21Translator::~GLSL21Translator()
{
    extensions.Release();
}

void GLSL21Translator::Reset()
{
    Translator::Reset();
    extensions.Release();
    positionInput = nullptr;
    positionOutput = nullptr;
    pixelInputs = nullptr;
    copiesInputs = 0;
}

void GLSL21Translator::WriteFunctionName(const FunctionNode* call)
{
    Translator::WriteFunctionName(call);
    if (!IsSamplingOperator(call->op))
        return;
    const Type* texture = GetNodeType(FirstArgument(call));
    Append(TextureDimensionSuffix(texture ? texture->textureDimension : kTextureNone));
    if (call->op == kBuiltInSampleTextureGrad)
        Append("Grad");
    else if (call->op == kBuiltInSampleTextureLod)
        Append("Lod");
    else if (call->op == kBuiltInSampleTextureLodOffset)
        Append("LodOffset");
}

const char* GLSL21Translator::GetTypeName(const Type& type)
{
    // Indexed by vector or matrix size; sizes 0 and 1 are the scalar.
    static const char* const kFloatVectors[5] = {"float", "float", "vec2", "vec3", "vec4"};
    static const char* const kMatrices[5] = {"float", "mat1", "mat2", "mat3", "mat4"};
    static const char* const kIntVectors[5] = {"int", "int", "ivec2", "ivec3", "ivec4"};
    // "bool3" is no GL type.
    static const char* const kBoolVectors[5] = {"bool", "bool", "bvec2", "bvec3", "bvec4"};
    const bool vectorInTable = type.vectorSize <= 4;
    switch (type.baseKind) {
    case kBaseFloat:
        if (type.vectorSize >= 2)
            return vectorInTable ? kFloatVectors[type.vectorSize] : Translator::GetTypeName(type);
        if (type.matrixSize >= 1 && type.matrixSize <= 4)
            return kMatrices[type.matrixSize];
        return type.matrixSize >= 1 ? Translator::GetTypeName(type) : "float";
    case kBaseInt:
        return vectorInTable ? kIntVectors[type.vectorSize > 1 ? type.vectorSize : 0] : Translator::GetTypeName(type);
    case kBaseBool:
        return vectorInTable ? kBoolVectors[type.vectorSize > 1 ? type.vectorSize : 0] : Translator::GetTypeName(type);
    default:
        return Translator::GetTypeName(type);
    }
}

void GLSL21Translator::WriteHeader()
{
    if (extensions.count == 0)
        return;
    String lines;
    for (int32_t i = 0; i < extensions.count; ++i)
        lines.AppendFormat("#extension %s : require\n", extensions.data[i]);
    lines.Append("\n");
    header.Prepend(lines.text);
}

void GLSL21Translator::SetShaderDescription(const ShaderDescription& description)
{
    if (stage == kStagePixel)
        pixelInputs = &description.vertex_output;
    if (stage != kStageVertex)
        return;
    for (int32_t i = 0; i < description.vertex_input.count && !positionInput; ++i) {
        if (description.vertex_input.data[i].element == kElementPosition)
            positionInput = &description.vertex_input.data[i];
    }
    // The output that carries the position is the one the description says does; an
    // output merely named like the position input comes second.
    for (int32_t i = 0; i < description.vertex_output.count && !positionOutput; ++i) {
        if (description.vertex_output.data[i].semantic == kOutputPosition)
            positionOutput = &description.vertex_output.data[i];
    }
    for (int32_t i = 0; i < description.vertex_output.count && !positionOutput && positionInput; ++i) {
        const VertexOutput& output = description.vertex_output.data[i];
        if (positionInput->name.text && IsNamed(output.name, positionInput->name.text))
            positionOutput = &output;
    }
}

void GLSL21Translator::WriteArrayInitializer(const OperatorNode* assignment)
{
    const Node* symbol = assignment->left;
    const Type* type = GetNodeType(symbol);
    if (!type)
        type = &assignment->type;
    const char* typeName = GetTypeName(*type);
    AppendFormat(" = %s[]\n", typeName);
    WriteIndentation();
    Append("(\n");
    ++indentation;
    const Node* items = assignment->right;
    if (items && items->kind == kNodeList) {
        const ListNode* list = static_cast<const ListNode*>(items);
        for (int32_t i = 0; i < list->children.count; ++i) {
            if (i > 0)
                Append(",\n");
            WriteIndentation();
            WriteNode(list->children.data[i]);
        }
    }
    --indentation;
    Append("\n");
    WriteIndentation();
    Append(")");
}

void GLSL21Translator::WriteFunctionCall(const FunctionNode* call)
{
    if (call->isBuiltIn && (call->op == kBuiltInAll || call->op == kBuiltInAny)) {
        const Node* argument = FirstArgument(call);
        AppendFormat("%s(bvec%i(", NodeName(call), VectorSizeOf(argument));
        WriteNode(argument);
        Append("))");
        return;
    }
    if (call->isBuiltIn && call->op == kBuiltInSaturate) {
        // Made once, like the constants they are.
        static const LiteralNode zero = FloatLiteral("0.0f");
        static const LiteralNode one = FloatLiteral("1.0f");
        Append("clamp(");
        WriteNode(FirstArgument(call));
        Append(", ");
        WriteLiteral(&zero);
        Append(", ");
        WriteLiteral(&one);
        Append(")");
        return;
    }
    if (call->isBuiltIn && IsExplicitLodSamplingOp(call->op))
        RequireExtension(kExtensionGpuShader4);
    Translator::WriteFunctionCall(call);
}

void GLSL21Translator::WriteFunctionPrologue(const FunctionNode* function)
{
    if (stage != kStagePixel || !pixelInputs || !(function->flags & kNodeFlagWritesInputs) ||
        !IsNamed(function->name, "main"))
        return;
    copiesInputs = 1;
    for (int32_t i = 0; i < pixelInputs->count; ++i) {
        const VertexOutput& input = pixelInputs->data[i];
        WriteIndentation();
        AppendFormat("%s %s%s = ", GetTypeName(input.type), kInputCopyPrefix, input.name.text);
        AppendTemplate(*currentSection, nameTemplates[kNamePixelInput], input.name.text);
        Append(";\n");
    }
    if (pixelInputs->count > 0)
        Append("\n");
}

void GLSL21Translator::WriteOperatorExpression(const OperatorNode* node)
{
    if (node->op == kOpModulo || node->op == kOpModuloAssign) {
        WriteRemainder(node);
        return;
    }
    if (node->op == kOpMemberSelect && WriteInterfaceMember(node))
        return;
    const Type* index = node->op == kOpIndex ? GetNodeType(node->right) : nullptr;
    if (index && index->baseKind != kBaseInt) {
        // An array takes an index of any type; GL indexes with integers only.
        WriteNode(node->left);
        Append("[int(");
        WriteNode(node->right);
        Append(")]");
        return;
    }
    Translator::WriteOperatorExpression(node);
}

void GLSL21Translator::WriteInterfaceStructures(const ShaderDescription& description)
{
    if (stage == kStageVertex) {
        for (int32_t i = 0; i < description.vertex_input.count; ++i) {
            const VertexInput& input = description.vertex_input.data[i];
            // Attributes are float vectors; an integer input is converted where it is read.
            Type declared = input.type.baseKind == kBaseFloat ? input.type : Type(kBaseFloat, input.type.vectorSize);
            const char* typeName = GetTypeName(declared);
            AppendTemplate(header, declarationTemplates[kDeclareVertexInput], typeName, input.name.text);
        }
        WriteConstants(description.vertex_constants);
        if (description.vertex_output.count > 0)
            header.Append("\n");
        for (int32_t i = 0; i < description.vertex_output.count; ++i) {
            const VertexOutput& output = description.vertex_output.data[i];
            const char* typeName = GetTypeName(output.type);
            AppendTemplate(header, declarationTemplates[kDeclareVertexOutput], typeName, output.name.text);
        }
        return;
    }
    if (stage != kStagePixel)
        return;
    for (int32_t i = 0; i < description.vertex_output.count; ++i) {
        const VertexOutput& output = description.vertex_output.data[i];
        const char* typeName = GetTypeName(output.type);
        AppendTemplate(header, declarationTemplates[kDeclarePixelInput], typeName, output.name.text);
    }
    WriteConstants(description.pixel_constants);
    if (description.pixel_textures.count > 0)
        header.Append("\n");
    for (int32_t i = 0; i < description.pixel_textures.count; ++i) {
        const PixelTexture& texture = description.pixel_textures.data[i];
        AppendTemplate(header, declarationTemplates[kDeclareSampler], TextureDimensionSuffix(texture.type.textureDimension),
                       texture.name.text);
    }
    if (!declarationTemplates[kDeclarePixelOutput][0])
        return;
    if (description.pixel_output.count > 0)
        header.Append("\n");
    for (int32_t i = 0; i < description.pixel_output.count; ++i) {
        const char* name = description.pixel_output.data[i].text;
        if (explicitLocations)
            AppendTemplate(header, declarationTemplates[kDeclarePixelOutput], i, name);
        else
            AppendTemplate(header, declarationTemplates[kDeclarePixelOutput], name);
    }
}

void GLSL21Translator::WriteCondition(const Node* condition)
{
    const Type* type = GetNodeType(condition);
    // GLSL converts no int to bool by itself; bool() of an ivec takes its first component.
    if (type && type->baseKind == kBaseInt && type->arraySize == 0) {
        Append("bool(");
        WriteNode(condition);
        Append(")");
        return;
    }
    WriteNode(condition);
}

void GLSL21Translator::WriteFacing()
{
    Append("(gl_FrontFacing ? 1.0f : -1.0f)");
}

void GLSL21Translator::WriteInstanceId()
{
    // GLSL 1.20 has no gl_InstanceID; writing it would only move the error to the driver.
    ReportError("'input.instance_id' is not supported.");
}

void GLSL21Translator::RequireExtension(const char* name)
{
    for (int32_t i = 0; i < extensions.count; ++i) {
        if (strcmp(extensions.data[i], name) == 0)
            return;
    }
    extensions.Add(name);
}

bool GLSL21Translator::WriteInterfaceMember(const OperatorNode* node)
{
    if (!node->left || node->left->kind != kNodeSymbol || !node->right || node->right->kind != kNodeSymbol)
        return false;
    const String& base = static_cast<const SymbolNode*>(node->left)->name;
    const SymbolNode* member = static_cast<const SymbolNode*>(node->right);
    const char* memberName = member->name.text ? member->name.text : "";

    bool isInput = IsNamed(base, "input");
    bool isOutput = IsNamed(base, "output");
    bool isTexture = IsNamed(base, "texture");
    if (isInput && strcmp(memberName, "face_direction") == 0) {
        WriteFacing();
        return true;
    }
    if (isInput && strcmp(memberName, "instance_id") == 0) {
        WriteInstanceId();
        return true;
    }
    if (isInput && strcmp(memberName, "is_front_facing") == 0) {
        Append("gl_FrontFacing");
        return true;
    }

    int32_t index = -1;
    if (isTexture)
        index = kNameTexture;
    else if (stage == kStageVertex && isInput)
        index = kNameVertexInput;
    else if (stage == kStageVertex && isOutput)
        index = positionOutput && IsNamed(positionOutput->name, memberName) ? kNamePositionOutput : kNameVertexOutput;
    else if (stage == kStagePixel && isInput)
        index = kNamePixelInput;
    else if (stage == kStagePixel && isOutput)
        index = kNamePixelOutput;
    if (index == kNamePixelInput && copiesInputs) {
        Append(kInputCopyPrefix);
        Append(memberName);
        return true;
    }
    if (index < 0)
        return false;

    bool converted = stage == kStageVertex && isInput && node->type.baseKind != kBaseFloat;
    if (converted) {
        const char* typeName = GetTypeName(node->type);
        AppendFormat("%s(", typeName);
    }
    // Name templates hold at most one "%s", the member's name.
    const char* templateText = nameTemplates[index];
    const char* slot = strstr(templateText, "%s");
    if (!slot) {
        Append(templateText);
    } else {
        currentSection->Append(templateText, static_cast<int32_t>(slot - templateText));
        Append(memberName);
        Append(slot + 2);
    }
    if (converted)
        Append(")");
    return true;
}

void GLSL21Translator::WriteRemainder(const OperatorNode* node)
{
    // GL before 1.30 has no integer "%": the remainder goes through float mod.
    int32_t leftSize = VectorSizeOf(node->left);
    int32_t rightSize = VectorSizeOf(node->right);
    if (node->op == kOpModuloAssign) {
        WriteNode(node->left);
        Append(" = ");
    }
    const char* intType = GetTypeName(Type(kBaseInt, leftSize));
    const char* floatType = GetTypeName(Type(kBaseFloat, leftSize));
    AppendFormat("%s(mod(%s(", intType, floatType);
    WriteNode(node->left);
    const char* rightType = GetTypeName(Type(kBaseFloat, rightSize));
    AppendFormat("), %s(", rightType);
    WriteNode(node->right);
    Append(")))");
}

void GLSL21Translator::WriteConstants(const Array<ShaderConstant>& constants)
{
    if (constants.count > 0)
        header.Append("\n");
    for (int32_t i = 0; i < constants.count; ++i) {
        const ShaderConstant& constant = constants.data[i];
        const char* typeName = GetTypeName(constant.type);
        if (constant.type.arraySize != 0)
            AppendTemplate(header, declarationTemplates[kDeclareUniformArray], typeName, constant.name.text,
                           constant.type.arraySize);
        else
            AppendTemplate(header, declarationTemplates[kDeclareUniform], typeName, constant.name.text);
    }
}

// ---- ESSL 1.00 ----------------------------------------------------------------------------

ESSL20Translator::ESSL20Translator(Log& log) : GLSL21Translator(log) {}

void ESSL20Translator::WriteHeader()
{
    if (stage != kStagePixel)
        return;
    header.Prepend("#if defined(GL_FRAGMENT_PRECISION_HIGH)\n\nprecision highp float;\n\n#else\n\n"
                   "precision mediump float;\n\n#endif\n\n");
}

void ESSL20Translator::WriteArrayInitializer(const OperatorNode* assignment)
{
    const Node* symbol = assignment->left;
    const char* name = symbol && symbol->kind == kNodeSymbol && static_cast<const SymbolNode*>(symbol)->name.text
                           ? static_cast<const SymbolNode*>(symbol)->name.text
                           : "";
    // Without array constructors the elements are assigned one by one, which only a
    // function body can do.
    if (!inFunction) {
        ReportError("global array initializer of '%s' is not supported.", name);
        return;
    }
    const Node* items = assignment->right;
    if (!items || items->kind != kNodeList)
        return;
    const ListNode* list = static_cast<const ListNode*>(items);
    for (int32_t i = 0; i < list->children.count; ++i) {
        Append(";\n");
        WriteIndentation();
        AppendFormat("%s[%i] = ", name, i);
        WriteNode(list->children.data[i]);
    }
}

void ESSL20Translator::WriteFunctionCall(const FunctionNode* call)
{
    if (call->isBuiltIn && (IsExplicitLodSamplingOp(call->op) || call->op == kBuiltInTranspose)) {
        ReportError("function '%s' is not supported.", NodeName(call));
        return;
    }
    GLSL21Translator::WriteFunctionCall(call);
}

void ESSL20Translator::WriteLiteral(const LiteralNode* literal)
{
    // ESSL 1.00 has no float suffix.
    const char* text = literal->text.text ? literal->text.text : "";
    size_t length = strlen(text);
    if (literal->type.baseKind == kBaseFloat && length > 0 && (text[length - 1] == 'f' || text[length - 1] == 'F')) {
        currentSection->Append(text, static_cast<int32_t>(length - 1));
        return;
    }
    Translator::WriteLiteral(literal);
}

void ESSL20Translator::WriteFacing()
{
    Append("(gl_FrontFacing ? 1.0 : -1.0)");
}

void ESSL20Translator::WriteInstanceId()
{
    ReportError("'input.instance_id' is not supported.");
}

// ---- GLSL 1.40 ----------------------------------------------------------------------------

GLSL31Translator::GLSL31Translator(Log& log) : GLSL21Translator(log)
{
    declarationTemplates[kDeclareVertexInput] = "in %s _in_%s;\n";
    declarationTemplates[kDeclareVertexOutput] = "out %s _vary_%s;\n";
    declarationTemplates[kDeclarePixelInput] = "in %s _vary_%s;\n";
    declarationTemplates[kDeclarePixelOutput] = "out vec4 _out_%s;\n";
    nameTemplates[kNamePixelOutput] = "_out_%s";
    allowBitwise = 1;
    functionRenames["sampleTextureGrad"] = "textureGrad";
    functionRenames["sampleTextureLod"] = "textureLod";
    functionRenames["sampleTextureLodOffset"] = "textureLodOffset";
}

void GLSL31Translator::WriteFunctionName(const FunctionNode* call)
{
    Translator::WriteFunctionName(call);
}

void GLSL31Translator::WriteFunctionCall(const FunctionNode* call)
{
    if (call->isBuiltIn && IsExplicitLodSamplingOp(call->op)) {
        Translator::WriteFunctionCall(call);
        return;
    }
    GLSL21Translator::WriteFunctionCall(call);
}

void GLSL31Translator::WriteInstanceId()
{
    Append("gl_InstanceID");
}

// ---- ESSL 3.00 ----------------------------------------------------------------------------

ESSL30Translator::ESSL30Translator(Log& log) : GLSL31Translator(log)
{
    declarationTemplates[kDeclarePixelOutput] = "layout(location = %i) out vec4 _out_%s;\n";
    explicitLocations = 1;
}

void ESSL30Translator::WriteHeader()
{
    if (stage != kStagePixel)
        return;
    header.Prepend("precision highp float;\nprecision lowp sampler3D;\n\n");
}

} // namespace ShaderTool
