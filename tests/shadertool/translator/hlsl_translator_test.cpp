// The HLSL family translators: checked trees in, text out. The exact text is asserted where
// the form matters to the engine (interface structures, constant registers, products,
// sampling); the platform's compiler judges HLSL11 output at every shader level in a child
// process and D3DReflect shows where each constant lands; the outputs are also written to
// files for glslangValidator's HLSL front end (check_hlsl_outputs.sh).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/byte_buffer.h"
#include "shadertool/core/builtin_functions.h"
#include "shadertool/core/context.h"
#include "shadertool/description/shader_description.h"
#include "shadertool/hlsl_compiler/hlsl_compiler.h"
#include "shadertool/hlsl_compiler/hlsl_compiler_library.h"
#include "shadertool/translator/hlsl_translator.h"
#include "support/child_run.h"

#include <d3d11shader.h>

namespace hlsl_translator_test {
namespace {

using namespace ShaderTool;

std::string Text(const Log& log) { return log.text.text ? log.text.text : ""; }

Type F(int size = 1) { return Type(kBaseFloat, size); }
Type I(int size = 1) { return Type(kBaseInt, size); }
Type M(int size) { return Type::MakeMatrix(size); }

// Builds checked trees the way the semantic actions leave them: typed operators, member
// selections with a Symbol on the right, calls resolved to their built-in ids.
class Tree {
public:
    Tree() = default;

    SymbolNode* Sym(const char* name, const Type& type, bool descriptionConstant = false) {
        SymbolNode* symbol = CreateSymbolNode(context, type, name, At());
        symbol->isDescriptionConstant = descriptionConstant ? 1 : 0;
        return symbol;
    }
    LiteralNode* Float(const char* text) { return CreateLiteralNode(context, kBaseFloat, text, At()); }
    LiteralNode* Int(const char* text) { return CreateLiteralNode(context, kBaseInt, text, At()); }
    OperatorNode* Op(uint32_t op, const Type& type, Node* left, Node* right = nullptr) {
        OperatorNode* node = CreateOperatorNode(context, op, At());
        node->type = type;
        node->left = left;
        node->right = right;
        return node;
    }
    // base.member, typed as the member.
    OperatorNode* Member(Node* base, const char* member, const Type& type) {
        return Op(kOpMemberSelect, type, base, Sym(member, type));
    }
    OperatorNode* In(const char* member, const Type& type) { return Member(Sym("input", Type()), member, type); }
    OperatorNode* Out(const char* member, const Type& type) { return Member(Sym("output", Type()), member, type); }
    OperatorNode* Tex(const char* member, uint32_t dimension) {
        return Member(Sym("texture", Type()), member, Type::MakeTexture(dimension));
    }
    OperatorNode* Assign(Node* left, Node* right) { return Op(kOpAssign, *GetNodeType(left), left, right); }
    FunctionNode* Call(uint32_t op, const char* name, const Type& type, std::vector<Node*> arguments) {
        FunctionNode* call = CreateFunctionNode(context, kNodeCall, op, name, At());
        call->type = type;
        call->isBuiltIn = op != kOpFunction;
        for (Node* argument : arguments)
            AppendToList(call->Parameters(), argument);
        return call;
    }
    ListNode* Declare(const Type& type, std::vector<Node*> declarators) {
        ListNode* list = CreateListNode(context, kOpDeclarationList, At());
        list->type = type;
        for (Node* declarator : declarators)
            AppendToList(list, declarator);
        return list;
    }
    // The unit: globals, then "main" with the statements.
    ListNode* Unit(std::vector<Node*> statements, std::vector<Node*> globals = {}) {
        ListNode* root = CreateListNode(context, kOpStatementList, At());
        for (Node* global : globals)
            AppendToList(root, global);
        FunctionNode* main = CreateFunctionNode(context, kNodeFunction, kOpFunction, "main", At());
        main->type = Type(kBaseVoid, 0);
        main->isDefined = 1;
        ListNode* body = CreateListNode(context, kOpStatementList, At());
        MarkAsBlock(body);
        for (Node* statement : statements)
            AppendToList(body, statement);
        main->children.Add(body);
        AppendToList(root, main);
        return root;
    }
    // Every node gets the next line, so an error names the node that caused it.
    SourcePosition At() { return SourcePosition{3, ++line_}; }

    ParseContext context;

private:
    int line_ = 0;
};

// The description parts the translators read.
struct Description {
    ShaderDescription d;

    Description& Input(const char* name, uint32_t element, const Type& type) {
        VertexInput input;
        input.name.Assign(name);
        input.element = element;
        input.type = type;
        d.vertex_input.Add(input);
        return *this;
    }
    Description& Output(const char* name, const Type& type, uint32_t semantic) {
        VertexOutput output;
        output.name.Assign(name);
        output.type = type;
        output.semantic = semantic;
        for (int i = 0; i < d.vertex_output.count; ++i)
            output.semanticIndex += d.vertex_output.data[i].semantic == semantic;
        d.vertex_output.Add(output);
        return *this;
    }
    Description& Constant(bool pixel, const char* name, Type type, int count = 0) {
        ShaderConstant constant;
        constant.name.Assign(name);
        type.arraySize = count;
        type.qualifiers = kQualifierConst;
        constant.type = type;
        constant.byteSize = GetConstantElementBytes(type) * (count > 0 ? count : 1);
        (pixel ? d.pixel_constants : d.vertex_constants).Add(constant);
        return *this;
    }
    Description& Texture(const char* name, uint32_t dimension) {
        PixelTexture texture;
        texture.name.Assign(name);
        texture.type = Type::MakeTexture(dimension);
        d.pixel_textures.Add(texture);
        return *this;
    }
    Description& PixelOutput(const char* name) {
        d.pixel_output.Add(String(name));
        return *this;
    }
};

// A sprite shader: position through a world-view-projection matrix, constants of every
// shape, one texture sampled and tinted, the face read in the pixel stage.
Description SpriteDescription() {
    Description description;
    description.Input("position", 1, F(4)).Input("color", 2, F(4)).Input("uv", 4, F(2));
    description.Output("position", F(4), kOutputPosition).Output("color", F(4), kOutputColor);
    description.Output("uv", F(2), kOutputTextureCoordinate);
    description.Constant(false, "rotation", M(3)).Constant(false, "tint", F(4)).Constant(false, "skew", M(2));
    description.Constant(false, "offsets", F(4), 2).Constant(false, "wvp", M(4));
    description.Constant(true, "glow", F(4)).Texture("sprite", kTexture2D).PixelOutput("color");
    return description;
}

ListNode* SpriteVertex(Tree& t) {
    // output.position = input.position * wvp + offsets[1] * tint.x;
    Node* moved = t.Op(kOpMultiply, F(4), t.In("position", F(4)), t.Sym("wvp", M(4), true));
    Node* offset = t.Op(kOpMultiply, F(4), t.Op(kOpIndex, F(4), t.Sym("offsets", Type(kBaseFloat, 4, 1, 2), true), t.Int("1")),
                        t.Member(t.Sym("tint", F(4), true), "x", F(1)));
    Node* position = t.Assign(t.Out("position", F(4)), t.Op(kOpAdd, F(4), moved, offset));
    // output.color = float4(input.color.rgb * rotation, input.color.a);
    Node* rgb = t.Op(kOpMultiply, F(3), t.Member(t.In("color", F(4)), "rgb", F(3)), t.Sym("rotation", M(3), true));
    Node* color = t.Assign(t.Out("color", F(4)), t.Call(kConstructorFloat4, "float4", F(4), {rgb, t.Member(t.In("color", F(4)), "a", F(1))}));
    // output.uv = input.uv * skew;
    Node* uv = t.Assign(t.Out("uv", F(2)), t.Op(kOpMultiply, F(2), t.In("uv", F(2)), t.Sym("skew", M(2), true)));
    return t.Unit({position, color, uv});
}

ListNode* SpritePixel(Tree& t) {
    // output.color = sampleTexture(texture.sprite, input.uv) * input.color * input.face_direction + glow;
    Node* sample = t.Call(kBuiltInSampleTexture, "sampleTexture", F(4), {t.Tex("sprite", kTexture2D), t.In("uv", F(2))});
    Node* tinted = t.Op(kOpMultiply, F(4), sample, t.In("color", F(4)));
    Node* faced = t.Op(kOpMultiply, F(4), tinted, t.In("face_direction", F(1)));
    return t.Unit({t.Assign(t.Out("color", F(4)), t.Op(kOpAdd, F(4), faced, t.Sym("glow", F(4), true)))});
}

std::string Translate(Translator& translator, uint32_t target, const Description& description, ListNode* root,
                      uint32_t stage, uint32_t levels = kShaderLevelDefault) {
    if (!translator.Translate(description.d, target, levels, stage, root, "sprite.xml"))
        return "FAILED";
    return translator.GetText();
}

TEST(HLSL11Translation, VertexStageDeclaresInputsConstantsInTheEnginesOrderAndOutputs) {
    Log log;
    HLSL11Translator translator(log);
    Tree t;
    Description description = SpriteDescription();
    EXPECT_EQ(Translate(translator, kTargetHLSL11, description, SpriteVertex(t), kStageVertex),
              "struct VertexInput\n{\n\tfloat4 position : POSITION;\n\tfloat4 color : COLOR;\n\tfloat2 uv : TEXCOORD0;\n};\n"
              "\ncbuffer Constants : register(b0)\n{\n"
              "\tfloat3x3 rotation;\n\tfloat4 tint;\n"
              "\tfloat2x2 skew;\n\tfloat4 offsets[2];\n"
              "\tfloat4x4 wvp;\n};\n"
              "\nstruct VertexOutput\n{\n\tfloat4 position : SV_POSITION;\n\tfloat4 color : COLOR0;\n\tfloat2 uv : TEXCOORD0;\n};\n"
              "\nVertexOutput main(VertexInput input)\n{\n\tVertexOutput output;\n"
              "\toutput.position = mul(input.position, wvp) + offsets[1] * tint.x;\n"
              "\toutput.color = float4(mul(input.color.rgb, rotation), input.color.a);\n"
              "\toutput.uv = mul(input.uv, skew);\n\n\treturn output;\n}\n");
    EXPECT_EQ(log.hasError, 0);
}

TEST(HLSL11Translation, PixelStageDeclaresTexturesSamplersOutputsAndTheFaceItReads) {
    Log log;
    HLSL11Translator translator(log);
    Tree t;
    Description description = SpriteDescription();
    description.PixelOutput("glow");
    EXPECT_EQ(Translate(translator, kTargetHLSL11, description, SpritePixel(t), kStagePixel),
              "struct PixelInput\n{\n\tfloat4 position : SV_POSITION;\n\tfloat4 color : COLOR0;\n\tfloat2 uv : TEXCOORD0;\n"
              "\tbool _facing : SV_IsFrontFace;\n};\n"
              "\ncbuffer Constants : register(b0)\n{\n\tfloat4 glow;\n};\n"
              "\nSamplerState _smp_sprite : register(s0);\nTexture2D _tex_sprite : register(t0);\n"
              "\nstruct PixelOutput\n{\n\tfloat4 color : SV_TARGET0;\n\tfloat4 glow : SV_TARGET1;\n};\n"
              "\nPixelOutput main(PixelInput input)\n{\n\tPixelOutput output;\n"
              "\toutput.color = _tex_sprite.Sample(_smp_sprite, input.uv) * input.color * (input._facing ? 1.0f : -1.0f) + glow;\n"
              "\n\treturn output;\n}\n");
    // The face member belongs to the shader that read it, not to the next one.
    Tree plain;
    std::string text = Translate(translator, kTargetHLSL11, description,
                                 plain.Unit({plain.Assign(plain.Out("color", F(4)), plain.In("color", F(4)))}), kStagePixel);
    EXPECT_EQ(text.find("_facing"), std::string::npos) << text;
}

TEST(HLSL9Translation, SamplersTexFunctionsAndIntConstantsStoredAsFloat) {
    Log log;
    HLSL9Translator translator(log);
    Tree t;
    Description description;
    description.Output("uv", F(2), kOutputTextureCoordinate).PixelOutput("color").Texture("sky", kTextureCube).Texture("d", kTexture2D);
    description.Constant(true, "counts", I(4)).Constant(true, "steps", I(4), 3);
    Node* lod = t.Call(kBuiltInSampleTextureLod, "sampleTextureLod", F(4), {t.Tex("d", kTexture2D), t.In("uv", F(2)), t.Float("2.0")});
    Node* offset = t.Call(kBuiltInSampleTextureLodOffset, "sampleTextureLodOffset", F(4),
                          {t.Tex("d", kTexture2D), t.In("uv", F(2)), t.Float("1.0"), t.Sym("o", I(2))});
    Node* cube = t.Call(kBuiltInSampleTexture, "sampleTexture", F(4), {t.Tex("sky", kTextureCube), t.Sym("n", F(3))});
    Node* count = t.Member(t.Sym("counts", I(4), true), "x", I(1));
    Node* step = t.Op(kOpIndex, I(4), t.Sym("steps", Type(kBaseInt, 4, 1, 3), true), t.Int("2"));
    ListNode* root = t.Unit({t.Assign(t.Out("color", F(4)), lod), t.Assign(t.Out("color", F(4)), offset),
                             t.Assign(t.Out("color", F(4)), cube), t.Declare(I(1), {t.Assign(t.Sym("k", I(1)), count)}),
                             t.Declare(I(4), {t.Assign(t.Sym("s", I(4)), step)})});
    std::string text = Translate(translator, kTargetHLSL9, description, root, kStagePixel);
    EXPECT_EQ(text.rfind("float2 _const_reciprocal_texture_dimensions_1;\n\nstruct PixelInput\n{\n\tfloat2 uv : TEXCOORD0;\n};\n"
                         "\nfloat4 counts;\nfloat4 steps[3];\n"
                         "\nsampler _tex_sky : register(s0);\nsampler _tex_d : register(s1);\n"
                         "\nstruct PixelOutput\n{\n\tfloat4 color : COLOR0;\n};\n", 0), 0u) << text;
    EXPECT_NE(text.find("\toutput.color = tex2Dlod(_tex_d, float4(input.uv, 0.0f, 2.0f));\n"
                        "\toutput.color = tex2Dlod(_tex_d, float4(input.uv + _const_reciprocal_texture_dimensions_1 * o, 0.0f, 1.0f));\n"
                        "\toutput.color = texCUBE(_tex_sky, n);\n"
                        "\tint k = int4(counts).x;\n\tint4 s = int4(steps[2]);\n"), std::string::npos) << text;
}

TEST(PSSLTranslation, OwnSemanticsBlockKeywordMethodsAndBoolCastsForAllAndAny) {
    Log log;
    PSSLTranslator translator(log);
    Tree t;
    Description description;
    description.Output("uv", F(3), kOutputTextureCoordinate).PixelOutput("color").Texture("v", kTexture3D).Constant(true, "c", F(4));
    Node* lod = t.Call(kBuiltInSampleTextureLod, "sampleTextureLod", F(4), {t.Tex("v", kTexture3D), t.In("uv", F(3)), t.Float("0.0")});
    Node* any = t.Call(kBuiltInAny, "any", Type(kBaseBool, 1), {t.In("uv", F(3))});
    Node* front = t.Op(kOpLogicalAnd, Type(kBaseBool, 1), any, t.In("is_front_facing", Type(kBaseBool, 1)));
    ListNode* root = t.Unit({t.Declare(Type(kBaseBool, 1), {t.Assign(t.Sym("b", Type(kBaseBool, 1)), front)}),
                             t.Assign(t.Out("color", F(4)), lod)});
    std::string text = Translate(translator, kTargetPSSL, description, root, kStagePixel);
    EXPECT_NE(text.find("\tfloat _facing : S_FRONT_FACE;\n};\n\nConstantBuffer Constants\n{\n\tfloat4 c;\n};\n"
                        "\nSamplerState _smp_v : register(s0);\nTexture3D _tex_v : register(t0);\n"
                        "\nstruct PixelOutput\n{\n\tfloat4 color : S_TARGET_OUTPUT0;\n};\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\tbool b = any((bool3)(input.uv)) && (input._facing > 0.0f);\n"
                        "\toutput.color = _tex_v.SampleLOD(_smp_v, input.uv, 0.0f);\n"), std::string::npos) << text;
}

TEST(HLSLTranslation, ProductsComparisonsAndReshapingConstructors) {
    Log log;
    HLSL11Translator translator(log);
    Tree t;
    Description description;
    description.Output("position", F(4), kOutputPosition);
    Node* m = t.Sym("m", M(4));
    Node* n = t.Sym("n", M(4));
    Node* v = t.Sym("v", F(4));
    std::vector<Node*> statements = {
        t.Declare(M(4), {t.Assign(t.Sym("mn", M(4)), t.Op(kOpMultiply, M(4), m, n))}),
        t.Op(kOpMultiplyAssign, F(4), v, m),
        t.Op(kOpMultiplyAssign, M(4), m, t.Float("2.0")),
        t.Declare(Type(kBaseBool, 1), {t.Assign(t.Sym("same", Type(kBaseBool, 1)), t.Op(kOpEqual, Type(kBaseBool, 1), v, v))}),
        t.Declare(Type(kBaseBool, 1), {t.Assign(t.Sym("moved", Type(kBaseBool, 1)), t.Op(kOpNotEqual, Type(kBaseBool, 1), m, n))}),
        t.Declare(Type(kBaseBool, 1), {t.Assign(t.Sym("zero", Type(kBaseBool, 1)), t.Op(kOpEqual, Type(kBaseBool, 1), t.Float("0.0"), t.Member(v, "x", F(1))))}),
        t.Declare(M(3), {t.Assign(t.Sym("r", M(3)), t.Call(kConstructorFloat3x3, "float3x3", M(3), {m}))}),
        t.Declare(F(2), {t.Assign(t.Sym("xy", F(2)), t.Call(kConstructorFloat2, "float2", F(2), {v}))}),
        t.Declare(F(4), {t.Assign(t.Sym("ones", F(4)), t.Call(kConstructorFloat4, "float4", F(4), {t.Float("1.0")}))}),
        t.Declare(F(4), {t.Assign(t.Sym("same4", F(4)), t.Call(kConstructorFloat4, "float4", F(4), {v}))}),
        t.Assign(t.Out("position", F(4)), v)};
    ListNode* root = t.Unit(statements, {t.Declare(F(1), {t.Assign(t.Sym("k", F(1)), t.Float("2.0"))})});
    std::string text = Translate(translator, kTargetHLSL11, description, root, kStageVertex);
    EXPECT_NE(text.find("static float k = 2.0f;\n\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\tfloat4x4 mn = mul(m, n);\n\tv = mul(v, m);\n\tm *= 2.0f;\n\tbool same = all(v == v);\n"
                        "\tbool moved = any(m != n);\n\tbool zero = 0.0f == v.x;\n\tfloat3x3 r = (float3x3)(m);\n"
                        "\tfloat2 xy = (float2)(v);\n\tfloat4 ones = (float4)(1.0f);\n\tfloat4 same4 = float4(v);\n"),
              std::string::npos) << text;
}

TEST(HLSLTranslation, RefusalsNameTheNodeAndFailTheTranslation) {
    Description description;
    description.Input("position", 1, F(4)).Output("position", F(4), kOutputPosition);
    Log log;
    HLSL9Translator hlsl9(log);
    Tree t;
    Node* id = t.In("instance_id", I(1));
    EXPECT_EQ(Translate(hlsl9, kTargetHLSL9, description, t.Unit({t.Declare(I(1), {t.Assign(t.Sym("i", I(1)), id)})}), kStageVertex),
              "FAILED");
    EXPECT_EQ(std::string(log.text.text), "sprite.xml(" + std::to_string(id->line) + ":3) error: 'input.instance_id' is not supported.\n");

    HLSL11Translator hlsl11(log);
    auto shifted = [&](Tree& tree) {
        return tree.Unit({tree.Declare(I(1), {tree.Assign(tree.Sym("s", I(1)), tree.Op(kOpLeftShift, I(1), tree.Int("3"), tree.Int("1")))}),
                          tree.Declare(I(1), {tree.Assign(tree.Sym("i", I(1)), tree.In("instance_id", I(1)))})});
    };
    log.Clear();
    Tree low;
    EXPECT_EQ(Translate(hlsl11, kTargetHLSL11, description, shifted(low), kStageVertex, kShaderLevelDefault | kShaderLevelLow), "FAILED");
    EXPECT_NE(Text(log).find("error: bit-wise operations are not supported in level 'HLSL11_LOW'.\n"), std::string::npos);
    log.Clear();
    Tree full;
    std::string text = Translate(hlsl11, kTargetHLSL11, description, shifted(full), kStageVertex, kShaderLevelDefault);
    EXPECT_NE(text.find("\tint s = 3 << 1;\n\tint i = input._instance_id;\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\tuint _instance_id : SV_InstanceID;\n};\n"), std::string::npos) << text;
    EXPECT_EQ(log.hasError, 0);
    Tree bitwise;
    EXPECT_EQ(Translate(hlsl9, kTargetHLSL9, description, shifted(bitwise), kStageVertex), "FAILED");
    EXPECT_NE(Text(log).find("error: bit-wise operations are not supported.\n"), std::string::npos);
}

// ---------------------------------------------------------------------------------------
// The platform compiler and glslangValidator as judges.

struct Judged {
    const char* name;
    uint32_t target;
    uint32_t stage;
    std::string text;
    bool wine;   // within what Wine's compiler implements (no "?:", loops or helpers)
};

// Both stages of the sprite shader, a pixel stage that branches on a constant, and one of
// loops, int conditions and comparisons, for the two HLSL targets glslang reads.
std::vector<Judged> TranslateJudgedShaders() {
    std::vector<Judged> shaders;
    Log log;
    HLSL9Translator hlsl9(log);
    HLSL11Translator hlsl11(log);
    for (Translator* translator : {static_cast<Translator*>(&hlsl9), static_cast<Translator*>(&hlsl11)}) {
        uint32_t target = translator == &hlsl9 ? kTargetHLSL9 : kTargetHLSL11;
        Description description = SpriteDescription();
        Tree vertex, pixel, front, flow;
        shaders.push_back({"sprite_vertex", target, kStageVertex, Translate(*translator, target, description, SpriteVertex(vertex), kStageVertex), true});
        shaders.push_back({"sprite_pixel", target, kStagePixel, Translate(*translator, target, description, SpritePixel(pixel), kStagePixel), false});
        // output.color = sampleTexture(texture.sprite, input.uv) + glow; if (glow.x > 0.5) output.color *= 0.5;
        Node* sample = front.Call(kBuiltInSampleTexture, "sampleTexture", F(4), {front.Tex("sprite", kTexture2D), front.In("uv", F(2))});
        Node* halve = front.Op(kOpMultiplyAssign, F(4), front.Out("color", F(4)), front.Float("0.5"));
        ListNode* root = front.Unit({front.Assign(front.Out("color", F(4)), front.Op(kOpAdd, F(4), sample, front.Sym("glow", F(4), true))),
                                     CreateIfNode(front.context, front.Op(kOpGreater, Type(kBaseBool, 1), front.Member(front.Sym("glow", F(4), true), "x", F(1)), front.Float("0.5")), halve, nullptr, front.At())});
        shaders.push_back({"branch_pixel", target, kStagePixel, Translate(*translator, target, description, root, kStagePixel), true});
        // int i = 0; float4 sum = glow; while (i < 3) { if (i) sum *= 0.5; i++; }
        // output.color = any(sum != glow) ? sum : float4(0.0);
        Node* i = flow.Sym("i", I(1));
        Node* sum = flow.Sym("sum", F(4));
        ListNode* loopBody = CreateListNode(flow.context, kOpStatementList, flow.At());
        MarkAsBlock(loopBody);
        AppendToList(loopBody, CreateIfNode(flow.context, i, flow.Op(kOpMultiplyAssign, F(4), sum, flow.Float("0.5")), nullptr, flow.At()));
        AppendToList(loopBody, flow.Op(kOpPostIncrement, I(1), i));
        Node* loop = CreateLoopNode(flow.context, kLoopWhile, nullptr, flow.Op(kOpLess, Type(kBaseBool, 1), i, flow.Int("3")), nullptr, loopBody, flow.At());
        Node* changed = flow.Op(kOpNotEqual, Type(kBaseBool, 1), sum, flow.Sym("glow", F(4), true));
        Node* choice = flow.Op(kOpConditional, F(4), changed, flow.Op(kOpAlternatives, F(4), sum, flow.Call(kConstructorFloat4, "float4", F(4), {flow.Float("0.0")})));
        root = flow.Unit({flow.Declare(I(1), {flow.Assign(i, flow.Int("0"))}), flow.Declare(F(4), {flow.Assign(sum, flow.Sym("glow", F(4), true))}),
                          loop, flow.Assign(flow.Out("color", F(4)), choice)});
        shaders.push_back({"flow_pixel", target, kStagePixel, Translate(*translator, target, description, root, kStagePixel), false});
    }
    return shaders;
}

std::string FileName(const Judged& shader) {
    return std::string(shader.name) + (shader.target == kTargetHLSL9 ? ".hlsl9" : ".hlsl11") +
           (shader.stage == kStageVertex ? ".vert" : ".frag");
}

TEST(HLSLTranslationJudges, OutputsAreWrittenForGlslangsHLSLFrontEnd) {
    std::vector<Judged> shaders = TranslateJudgedShaders();
    ASSERT_EQ(shaders.size(), 8u);
    CreateDirectoryA(QUAVEN_HLSL_OUTPUT_DIR, nullptr);
    for (const Judged& shader : shaders) {
        ASSERT_NE(shader.text, "FAILED") << FileName(shader);
        std::string path = std::string(QUAVEN_HLSL_OUTPUT_DIR) + "/" + FileName(shader);
        FILE* file = fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr) << path;
        fwrite(shader.text.data(), 1, shader.text.size(), file);
        fclose(file);
    }
}

const char* const kChildVariable = "QUAVEN_HLSL_TRANSLATOR_CHILD";

// IID_ID3D11ShaderReflection of d3dcompiler_47.
const GUID kShaderReflection = {0x8d536ca1, 0x0cca, 0x4956, {0xa8, 0x37, 0x78, 0x69, 0x63, 0x75, 0x55, 0x84}};

typedef HRESULT(WINAPI* D3DReflectFunction)(const void* data, SIZE_T size, REFIID iid, void** reflector);

// Child: every HLSL11 output compiles at the levels the renderer uses, and in the vertex
// stage's constant buffer every constant starts where the engine's block puts it.
void CompileAndReflect() {
    Log log;
    HLSLCompiler compiler(&log);
    ASSERT_TRUE(compiler.Initialize());
    auto reflect = reinterpret_cast<D3DReflectFunction>(GetProcAddress(compiler.library->module, "D3DReflect"));
    ASSERT_NE(reflect, nullptr);
    for (const Judged& shader : TranslateJudgedShaders()) {
        if (shader.target != kTargetHLSL11 || !shader.wine)
            continue;
        for (uint32_t level : {kShaderLevelDefault, kShaderLevelLow, kShaderLevelXbox}) {
            ByteBuffer code;
            log.Clear();
            ASSERT_TRUE(compiler.Compile(kTargetHLSL11, level, shader.stage, String(shader.text.c_str()), code))
                << FileName(shader) << " level " << level << "\n" << Text(log) << "\n" << shader.text;
            if (std::string(shader.name) != "sprite_vertex")
                continue;
            ID3D11ShaderReflection* reflection = nullptr;
            ASSERT_TRUE(SUCCEEDED(reflect(code.data, code.size, kShaderReflection, reinterpret_cast<void**>(&reflection))));
            ID3D11ShaderReflectionConstantBuffer* buffer = reflection->GetConstantBufferByName("Constants");
            const std::pair<const char*, UINT> offsets[] = {{"rotation", 0}, {"tint", 48}, {"skew", 64}, {"offsets", 96}, {"wvp", 128}};
            for (const auto& expected : offsets) {
                D3D11_SHADER_VARIABLE_DESC variable = {};
                ASSERT_TRUE(SUCCEEDED(buffer->GetVariableByName(expected.first)->GetDesc(&variable))) << expected.first;
                EXPECT_EQ(variable.StartOffset, expected.second) << expected.first << " at level " << level;
            }
            reflection->Release();
        }
    }
}

TEST(HLSLTranslationJudges, HLSL11OutputsCompileAtEveryLevelWithConstantsWhereTheEngineUploadsThem) {
    if (quaven_test::InChild(kChildVariable))
        return CompileAndReflect();
    EXPECT_EQ(quaven_test::RunCurrentTestInChild(kChildVariable), 0u)
        << "a compilation or an offset check failed, or the compiler crashed";
}

} // namespace
} // namespace hlsl_translator_test
