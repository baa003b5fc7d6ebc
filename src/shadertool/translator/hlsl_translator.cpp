#include "shadertool/translator/hlsl_translator.h"

#include "shadertool/core/builtin_functions.h"
#include "shadertool/core/operator_table.h"
#include "shadertool/core/target.h"
#include "shadertool/description/shader_description.h"

#include <cstring>

namespace ShaderTool {

namespace {

const char* const kSamplingFunctions[] = {"sampleTexture", "sampleTextureGrad", "sampleTextureLod",
                                          "sampleTextureLodOffset"};

const char* const kReciprocalDimensionsName = "_const_reciprocal_texture_dimensions_";

const int kMaxPixelTextures = 4;

// The type an expression has in the output. The int-to-float conversions that the checks
// insert are calls of a float constructor left without a type; their type follows from
// the constructor.
Type ExpressionType(const Node* node)
{
    const Type* type = GetNodeType(node);
    if (type && type->baseKind != kBaseNone)
        return *type;
    if (node && node->kind == kNodeCall) {
        const FunctionNode* call = static_cast<const FunctionNode*>(node);
        if (call->isBuiltIn && call->op >= kConstructorFloat && call->op <= kConstructorFloat4)
            return Type(kBaseFloat, 1 + static_cast<int32_t>(call->op - kConstructorFloat));
    }
    return Type();
}

int32_t ComponentCount(const Type& type)
{
    return type.vectorSize > 1 ? type.vectorSize : 1;
}

bool IsMatrix(const Type& type)
{
    return type.matrixSize >= 1;
}

bool IsVector(const Type& type)
{
    return type.vectorSize >= 2;
}

const ListNode* Arguments(const FunctionNode* call)
{
    return call ? call->Parameters() : nullptr;
}

int32_t ArgumentCount(const FunctionNode* call)
{
    const ListNode* arguments = Arguments(call);
    return arguments ? arguments->children.count : 0;
}

const Node* Argument(const FunctionNode* call, int32_t index)
{
    const ListNode* arguments = Arguments(call);
    if (!arguments || index < 0 || index >= arguments->children.count)
        return nullptr;
    return arguments->children.data[index];
}

// The name of the member a "." node selects; null for anything else.
const char* SelectedMember(const Node* node)
{
    if (!node || node->kind != kNodeOperator)
        return nullptr;
    const OperatorNode* select = static_cast<const OperatorNode*>(node);
    if (select->op != kOpMemberSelect || !select->right || select->right->kind != kNodeSymbol)
        return nullptr;
    return static_cast<const SymbolNode*>(select->right)->name.text;
}

// The texture a sampling call's first argument names ("texture.d" gives d); null when the
// argument is not a member of "texture".
const char* SampledTextureName(const FunctionNode* call)
{
    const Node* texture = Argument(call, 0);
    if (!texture || texture->kind != kNodeOperator)
        return nullptr;
    const OperatorNode* select = static_cast<const OperatorNode*>(texture);
    if (select->op != kOpMemberSelect || !select->left || select->left->kind != kNodeSymbol)
        return nullptr;
    const SymbolNode* base = static_cast<const SymbolNode*>(select->left);
    if (!base->name.text || strcmp(base->name.text, "texture") != 0)
        return nullptr;
    return SelectedMember(select);
}

const char* VertexInputSemantic(uint32_t element)
{
    switch (element) {
    case 1:
        return "POSITION";
    case 2:
        return "COLOR";
    case 4:
        return "TEXCOORD0";
    case 8:
        return "NORMAL";
    case 16:
        return "TEXCOORD1";
    case 32:
        return "TANGENT";
    case 64:
        return "BINORMAL";
    case 128:
        return "BLENDINDICES";
    case 256:
        return "BLENDWEIGHT";
    default:
        return "";
    }
}

const uint32_t kBoneIndicesElement = 128;

} // namespace

// ---------------------------------------------------------------------------------------
// HLSL9

HLSL9Translator::HLSL9Translator(Log& log) : HLSL9Translator(log, "COLOR", "POSITION") {}

HLSL9Translator::HLSL9Translator(Log& log, const char* pixelOutput, const char* position)
    : Translator(log),
      facingDeclaration(nullptr),
      instanceIdDeclaration(nullptr),
      pixelOutputSemantic(pixelOutput),
      positionSemantic(position),
      pixelTextures(nullptr),
      reciprocalDeclared{0, 0, 0, 0}
{
    for (const char* sampling : kSamplingFunctions)
        functionRenames[sampling] = "tex";
}

HLSL9Translator::~HLSL9Translator() = default;

void HLSL9Translator::Reset()
{
    Translator::Reset();
    facingDeclaration = nullptr;
    instanceIdDeclaration = nullptr;
    pixelTextures = nullptr;
    memset(reciprocalDeclared, 0, sizeof(reciprocalDeclared));
}

void HLSL9Translator::WriteFunctionName(const FunctionNode* call)
{
    if (!call)
        return;
    Translator::WriteFunctionName(call);
    if (!IsSamplingOperator(call->op))
        return;
    Type texture = ExpressionType(Argument(call, 0));
    Append(TextureDimensionSuffix(texture.textureDimension, true));
    if (call->op == kBuiltInSampleTextureGrad)
        Append("grad");
    else if (call->op == kBuiltInSampleTextureLod || call->op == kBuiltInSampleTextureLodOffset)
        Append("lod");
}

void HLSL9Translator::SetShaderDescription(const ShaderDescription& description)
{
    pixelTextures = stage == kStagePixel ? &description.pixel_textures : nullptr;
}

int HLSL9Translator::FindPixelTexture(const char* name) const
{
    if (!pixelTextures || !name)
        return -1;
    for (int i = 0; i < pixelTextures->count; ++i) {
        const char* textureName = pixelTextures->data[i].name.text;
        if (textureName && strcmp(textureName, name) == 0)
            return i;
    }
    return -1;
}

void HLSL9Translator::WriteFunctionCall(const FunctionNode* call)
{
    if (!call)
        return;
    if (!call->isBuiltIn) {
        Translator::WriteFunctionCall(call);
        return;
    }
    const uint32_t op = call->op;
    const bool vectorConstructor = (op >= kConstructorFloat2 && op <= kConstructorFloat4) ||
                                   (op >= kConstructorInt2 && op <= kConstructorInt4);
    const bool matrixConstructor = op >= kConstructorFloat2x2 && op <= kConstructorFloat4x4;
    if ((vectorConstructor || matrixConstructor) && ArgumentCount(call) == 1) {
        // HLSL's constructors take exactly the components they need: a scalar to spread, a
        // longer vector or a larger matrix to cut go through a cast. The size comes from the
        // constructor's id, since the int-to-float conversions are calls left without a type.
        Type argument = ExpressionType(Argument(call, 0));
        int32_t size = op >= kConstructorInt2 ? static_cast<int32_t>(op - kConstructorInt) + 1
                                              : static_cast<int32_t>(op - kConstructorFloat) + 1;
        bool reshapes = vectorConstructor ? !IsMatrix(argument) && ComponentCount(argument) != size : IsMatrix(argument);
        if (reshapes) {
            Append("(");
            WriteFunctionName(call);
            Append(")(");
            WriteNode(Argument(call, 0));
            Append(")");
            return;
        }
    }
    if (IsSamplingOperator(op)) {
        WriteSampleCall(call);
        return;
    }
    Translator::WriteFunctionCall(call);
}

// Shader model 3 has no level-of-detail argument: tex2Dlod reads it from the fourth
// coordinate, and the offset form moves the coordinates by whole texels through the
// texture's reciprocal dimensions, which the engine sets.
void HLSL9Translator::WriteSampleCall(const FunctionNode* call)
{
    const uint32_t op = call->op;
    if (op != kBuiltInSampleTextureLod && op != kBuiltInSampleTextureLodOffset) {
        Translator::WriteFunctionCall(call);
        return;
    }
    String reciprocal;
    if (op == kBuiltInSampleTextureLodOffset) {
        reciprocal.Assign(kReciprocalDimensionsName);
        int index = FindPixelTexture(SampledTextureName(call));
        if (index >= 0) {
            reciprocal.AppendFormat("%i", index);
            if (index < kMaxPixelTextures && !reciprocalDeclared[index]) {
                uint32_t dimension = pixelTextures->data[index].type.textureDimension;
                const char* type = dimension == kTexture2D ? "float2" : dimension == kTexture3D ? "float3" : "";
                header.AppendFormat("%s %s;\n", type, reciprocal.text);
                reciprocalDeclared[index] = 1;
            }
        }
    }
    WriteFunctionName(call);
    Append("(");
    WriteNode(Argument(call, 0));
    Append(", float4(");
    WriteNode(Argument(call, 1));
    if (op == kBuiltInSampleTextureLodOffset) {
        AppendFormat(" + %s * ", reciprocal.text);
        WriteNode(Argument(call, 3));
    }
    AppendFormat(", %s", ComponentCount(ExpressionType(Argument(call, 1))) == 2 ? "0.0f, " : "");
    WriteNode(Argument(call, 2));
    Append("))");
}

void HLSL9Translator::WriteFunctionDefinition(const FunctionNode* function)
{
    if (!function || !function->name.text || strcmp(function->name.text, "main") != 0) {
        Translator::WriteFunctionDefinition(function);
        return;
    }
    const Node* body = function->children.count > 1 ? function->children.data[1] : nullptr;
    // A prototype and its definition share one node, which the unit may list twice.
    if (!function->isDefined || !body || body->kind != kNodeList || writtenFunctions.Contains(function))
        return;
    writtenFunctions.Add(function);
    const char* outputName = stage == kStagePixel ? "PixelOutput" : "VertexOutput";
    const char* inputName = stage == kStagePixel ? "PixelInput" : "VertexInput";
    bool sectionUsed = currentSection && currentSection->text && currentSection->text[0] != '\0';
    AppendFormat("%s%s main(%s input)\n", sectionUsed ? "\n" : "", outputName, inputName);
    WriteIndentation();
    Append("{\n");
    ++indentation;
    WriteIndentation();
    AppendFormat("%s output;\n", outputName);
    const ListNode* statements = static_cast<const ListNode*>(body);
    inFunction = 1;
    WriteStatementList(statements, false);
    inFunction = 0;
    if (statements->children.count > 0)
        Append("\n");
    WriteIndentation();
    Append("return output;\n");
    --indentation;
    WriteIndentation();
    Append("}");
}

void HLSL9Translator::WriteOperatorExpression(const OperatorNode* node)
{
    if (!node) {
        Translator::WriteOperatorExpression(node);
        return;
    }
    const uint32_t op = node->op;
    if (op == kOpMultiply || op == kOpMultiplyAssign) {
        Type left = ExpressionType(node->left);
        Type right = ExpressionType(node->right);
        bool product = (IsMatrix(left) && (IsVector(right) || IsMatrix(right))) || (IsVector(left) && IsMatrix(right));
        if (product) {
            if (op == kOpMultiplyAssign) {
                WriteNode(node->left);
                Append(" = ");
            }
            Append("mul(");
            WriteNode(node->left);
            Append(", ");
            WriteNode(node->right);
            Append(")");
            return;
        }
    }
    if (op == kOpEqual || op == kOpNotEqual) {
        // HLSL compares vectors and matrices component by component; the language asks
        // whether all are equal or any differs.
        Type left = ExpressionType(node->left);
        if (IsVector(left) || IsMatrix(left)) {
            Append(op == kOpEqual ? "all(" : "any(");
            Translator::WriteOperatorExpression(node);
            Append(")");
            return;
        }
    }
    if (op == kOpIndex && node->left && node->left->kind == kNodeSymbol) {
        // An int constant array of the description: the cast goes on the element, an
        // array cannot be cast.
        const SymbolNode* base = static_cast<const SymbolNode*>(node->left);
        if (base->isDescriptionConstant && base->type.baseKind == kBaseInt && base->type.arraySize > 0) {
            AppendFormat("int%i(%s[", ComponentCount(base->type), base->name.text ? base->name.text : "");
            WriteNode(node->right);
            Append("])");
            return;
        }
    }
    if (op == kOpMemberSelect && node->left && node->left->kind == kNodeSymbol) {
        const char* baseName = static_cast<const SymbolNode*>(node->left)->name.text;
        const char* member = SelectedMember(node);
        if (baseName && member && strcmp(baseName, "input") == 0) {
            if (strcmp(member, "face_direction") == 0) {
                WriteFaceDirection();
                if (!facingDeclaration)
                    WriteFacing();
                return;
            }
            if (strcmp(member, "instance_id") == 0) {
                WriteInstanceIdExpression();
                if (!instanceIdDeclaration)
                    WriteInstanceId();
                return;
            }
            if (strcmp(member, "is_front_facing") == 0) {
                WriteIsFrontFacing();
                if (!facingDeclaration)
                    WriteFacing();
                return;
            }
        }
        if (baseName && member && strcmp(baseName, "texture") == 0) {
            AppendFormat("_tex_%s", member);
            return;
        }
    }
    Translator::WriteOperatorExpression(node);
}

void HLSL9Translator::WriteSymbol(const SymbolNode* symbol)
{
    if (symbol && symbol->isDescriptionConstant && symbol->type.baseKind == kBaseInt && symbol->type.arraySize == 0) {
        AppendFormat("int%i(%s)", ComponentCount(symbol->type), symbol->name.text ? symbol->name.text : "");
        return;
    }
    Translator::WriteSymbol(symbol);
}

void HLSL9Translator::WriteDeclarationType(const ListNode* list)
{
    if (!inFunction)
        Append("static ");
    Translator::WriteDeclarationType(list);
}

void HLSL9Translator::WriteOutputStructure(const ShaderDescription& description, const char* structureName,
                                           bool withFacing)
{
    header.AppendFormat("struct %s\n{\n", structureName);
    for (int i = 0; i < description.vertex_output.count; ++i) {
        const VertexOutput& output = description.vertex_output.data[i];
        const char* type = GetTypeName(output.type);
        header.AppendFormat("\t%s %s : ", type, output.name.text ? output.name.text : "");
        switch (output.semantic) {
        case kOutputColor:
            header.AppendFormat("COLOR%i", output.semanticIndex);
            break;
        case kOutputPosition:
            header.Append(positionSemantic);
            break;
        case kOutputTextureCoordinate:
            header.AppendFormat("TEXCOORD%i", output.semanticIndex);
            break;
        default:
            break;
        }
        header.Append(";\n");
    }
    if (withFacing && facingDeclaration)
        header.AppendFormat("\t%s;\n", facingDeclaration);
    header.Append("};\n");
}

void HLSL9Translator::WriteInterfaceStructures(const ShaderDescription& description)
{
    if (header.text && header.text[0] != '\0')
        header.Append("\n");
    if (stage == kStageVertex) {
        header.Append("struct VertexInput\n{\n");
        for (int i = 0; i < description.vertex_input.count; ++i) {
            const VertexInput& input = description.vertex_input.data[i];
            const char* type = input.element == kBoneIndicesElement ? "uint4" : GetTypeName(input.type);
            header.AppendFormat("\t%s %s : %s;\n", type, input.name.text ? input.name.text : "",
                                VertexInputSemantic(input.element));
        }
        if (instanceIdDeclaration)
            header.AppendFormat("\t%s;\n", instanceIdDeclaration);
        header.Append("};\n");
        WriteConstantsBlock(description.vertex_constants);
        if (description.vertex_output.count > 0)
            header.Append("\n");
        WriteOutputStructure(description, "VertexOutput", false);
    } else if (stage == kStagePixel) {
        WriteOutputStructure(description, "PixelInput", true);
        WriteConstantsBlock(description.pixel_constants);
        WriteTextureDeclarations(description);
        if (description.pixel_output.count > 0)
            header.Append("\n");
        header.Append("struct PixelOutput\n{\n");
        for (int i = 0; i < description.pixel_output.count; ++i) {
            const char* name = description.pixel_output.data[i].text;
            header.AppendFormat("\tfloat4 %s : %s%i;\n", name ? name : "", pixelOutputSemantic, i);
        }
        header.Append("};\n");
    }
}

void HLSL9Translator::WriteFacing()
{
    facingDeclaration = "float _facing : VFACE";
}

void HLSL9Translator::WriteInstanceId() {}

// Shader model 3 has no integer registers for the program to fill: an int4 constant is
// stored as float4 and read back through int4() (see WriteSymbol).
void HLSL9Translator::WriteConstantsBlock(const Array<ShaderConstant>& constants)
{
    if (constants.count > 0)
        header.Append("\n");
    for (int i = 0; i < constants.count; ++i) {
        const ShaderConstant& constant = constants.data[i];
        Type type = constant.type;
        if (type.baseKind == kBaseInt && type.vectorSize == 4)
            type.baseKind = kBaseFloat;
        const char* typeName = GetTypeName(type);
        const char* name = constant.name.text ? constant.name.text : "";
        if (type.arraySize != 0)
            header.AppendFormat("%s %s[%i];\n", typeName, name, type.arraySize);
        else
            header.AppendFormat("%s %s;\n", typeName, name);
    }
}

void HLSL9Translator::WriteFaceDirection()
{
    Append("input._facing");
}

void HLSL9Translator::WriteInstanceIdExpression()
{
    ReportError("'input.instance_id' is not supported.");
}

void HLSL9Translator::WriteIsFrontFacing()
{
    Append("(input._facing > 0.0f)");
}

void HLSL9Translator::WriteTextureDeclarations(const ShaderDescription& description)
{
    if (description.pixel_textures.count > 0)
        header.Append("\n");
    for (int i = 0; i < description.pixel_textures.count; ++i) {
        const char* name = description.pixel_textures.data[i].name.text;
        header.AppendFormat("sampler _tex_%s : register(s%i);\n", name ? name : "", i);
    }
}

// ---------------------------------------------------------------------------------------
// HLSL11

HLSL11Translator::HLSL11Translator(Log& log) : HLSL11Translator(log, "SV_TARGET", "SV_POSITION", "cbuffer") {}

HLSL11Translator::HLSL11Translator(Log& log, const char* pixelOutput, const char* position, const char* blockKeyword)
    : HLSL9Translator(log, pixelOutput, position), constantBlockKeyword(blockKeyword)
{
    allowBitwise = 1;
}

void HLSL11Translator::WriteOperatorExpression(const OperatorNode* node)
{
    HLSL9Translator::WriteOperatorExpression(node);
    if (node && (shaderLevelMask & kShaderLevelLow) && IsBitwiseOperator(node->op))
        ReportError("bit-wise operations are not supported in level 'HLSL11_LOW'.");
}

void HLSL11Translator::WriteFacing()
{
    facingDeclaration = "bool _facing : SV_IsFrontFace";
}

void HLSL11Translator::WriteInstanceId()
{
    instanceIdDeclaration = "uint _instance_id : SV_InstanceID";
}

// The engine uploads a stage's constants as one block, each constant and each array
// element on whole 16-byte registers (GetConstantElementBytes). HLSL's own packing gives
// the same places for the types a constant may have: a matrix and an array element always
// start a register, and a float4 never fits into the unused tail of a float2x2's or
// float3x3's last column. packoffset would pin them explicitly, but Wine's compiler refuses
// it, so the order and the types alone carry the layout (the tests read the offsets back).
// The stage's only buffer is given slot 0, where the renderer sets it, without asking.
void HLSL11Translator::WriteConstantsBlock(const Array<ShaderConstant>& constants)
{
    if (constants.count == 0)
        return;
    header.AppendFormat("\n%s Constants\n{\n", constantBlockKeyword);
    for (int i = 0; i < constants.count; ++i) {
        const ShaderConstant& constant = constants.data[i];
        const char* typeName = GetTypeName(constant.type);
        const char* name = constant.name.text ? constant.name.text : "";
        if (constant.type.arraySize != 0)
            header.AppendFormat("\t%s %s[%i];\n", typeName, name, constant.type.arraySize);
        else
            header.AppendFormat("\t%s %s;\n", typeName, name);
    }
    header.Append("};\n");
}

void HLSL11Translator::WriteFaceDirection()
{
    Append("(input._facing ? 1.0f : -1.0f)");
}

void HLSL11Translator::WriteInstanceIdExpression()
{
    Append("input._instance_id");
}

void HLSL11Translator::WriteIsFrontFacing()
{
    Append("input._facing");
}

void HLSL11Translator::WriteTextureDeclarations(const ShaderDescription& description)
{
    if (description.pixel_textures.count > 0)
        header.Append("\n");
    for (int i = 0; i < description.pixel_textures.count; ++i) {
        const PixelTexture& texture = description.pixel_textures.data[i];
        const char* name = texture.name.text ? texture.name.text : "";
        header.AppendFormat("SamplerState _smp_%s : register(s%i);\n", name, i);
        header.AppendFormat("Texture%s _tex_%s : register(t%i);\n",
                            TextureDimensionSuffix(texture.type.textureDimension, false), name, i);
    }
}

const char* HLSL11Translator::GetSampleMethodName(uint32_t op)
{
    switch (op) {
    case kBuiltInSampleTexture:
        return "Sample";
    case kBuiltInSampleTextureGrad:
        return "SampleGrad";
    case kBuiltInSampleTextureLod:
    case kBuiltInSampleTextureLodOffset:
        return "SampleLevel";
    default:
        return "";
    }
}

void HLSL11Translator::WriteSampleCall(const FunctionNode* call)
{
    const char* texture = SampledTextureName(call);
    if (!texture) {
        Translator::WriteFunctionCall(call);
        return;
    }
    AppendFormat("_tex_%s.%s(_smp_%s", texture, GetSampleMethodName(call->op), texture);
    for (int32_t i = 1; i < ArgumentCount(call); ++i) {
        Append(", ");
        WriteNode(Argument(call, i));
    }
    Append(")");
}

// ---------------------------------------------------------------------------------------
// PSSL

PSSLTranslator::PSSLTranslator(Log& log) : HLSL11Translator(log, "S_TARGET_OUTPUT", "S_POSITION", "ConstantBuffer") {}

void PSSLTranslator::WriteFunctionCall(const FunctionNode* call)
{
    if (call && call->isBuiltIn && (call->op == kBuiltInAll || call->op == kBuiltInAny) && ArgumentCount(call) == 1) {
        Type argument = ExpressionType(Argument(call, 0));
        AppendFormat("%s((bool%i)(", NodeName(call), ComponentCount(argument));
        WriteNode(Argument(call, 0));
        Append("))");
        return;
    }
    HLSL11Translator::WriteFunctionCall(call);
}

void PSSLTranslator::WriteOperatorExpression(const OperatorNode* node)
{
    HLSL9Translator::WriteOperatorExpression(node);
}

void PSSLTranslator::WriteFacing()
{
    facingDeclaration = "float _facing : S_FRONT_FACE";
}

void PSSLTranslator::WriteInstanceId()
{
    instanceIdDeclaration = "uint _instance_id : S_INSTANCE_ID";
}

void PSSLTranslator::WriteFaceDirection()
{
    Append("input._facing");
}

void PSSLTranslator::WriteIsFrontFacing()
{
    Append("(input._facing > 0.0f)");
}

const char* PSSLTranslator::GetSampleMethodName(uint32_t op)
{
    switch (op) {
    case kBuiltInSampleTextureGrad:
        return "SampleGradient";
    case kBuiltInSampleTextureLod:
    case kBuiltInSampleTextureLodOffset:
        return "SampleLOD";
    default:
        return HLSL11Translator::GetSampleMethodName(op);
    }
}

} // namespace ShaderTool
