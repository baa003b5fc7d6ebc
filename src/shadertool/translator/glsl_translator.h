#pragma once

#include "core/array.h"
#include "shadertool/translator/translator.h"

#include <cstdint>

namespace ShaderTool {

struct ShaderConstant;
struct VertexInput;
struct VertexOutput;

// Indexes of GLSL21Translator::declarationTemplates.
enum GLDeclarationTemplate : int32_t {
    kDeclareVertexInput = 0,
    kDeclareVertexOutput = 1,
    kDeclarePixelInput = 2,
    kDeclarePixelOutput = 3,
    kDeclareUniform = 4,
    kDeclareUniformArray = 5,
    kDeclareSampler = 6,
    kDeclarationTemplateCount = 7,
};

// Indexes of GLSL21Translator::nameTemplates.
enum GLNameTemplate : int32_t {
    kNameVertexInput = 0,
    kNameVertexOutput = 1,
    kNamePositionOutput = 2,
    kNamePixelInput = 3,
    kNamePixelOutput = 4,
    kNameTexture = 5,
    kNameTemplateCount = 6,
};

// The GL family (GLSL 1.20, GLSL 1.40, ESSL 1.00, ESSL 3.00). No version line is written:
// the text starts with the extension or precision lines. The shader's "input", "output"
// and "texture" members become attributes, varyings, in/out variables, fragment outputs
// and samplers; uniforms keep the constants' own names.
class GLSL21Translator : public Translator {
public:
    const char* declarationTemplates[kDeclarationTemplateCount];
    const char* nameTemplates[kNameTemplateCount];
    uint8_t explicitLocations;          // pixel outputs carry their location
    Array<const char*> extensions;      // required by the text, each once, in order of need
    const VertexInput* positionInput;   // vertex stage: the input whose element is POSITION

    // The vertex output that becomes gl_Position: the output with the POSITION semantic,
    // else the one named like positionInput; null when there is none. Vertex stage only.
    const VertexOutput* positionOutput;

    // Pixel stage: the inputs (the description's vertex outputs), and whether main writes
    // them through local copies. GL's varyings are read-only, so a main that changes one
    // starts by copying every input into a local "_input_<name>", and uses the copies.
    const Array<VertexOutput>* pixelInputs;
    uint8_t copiesInputs;

    explicit GLSL21Translator(Log& log);
    ~GLSL21Translator() override;

    void Reset() override;
    void WriteFunctionName(const FunctionNode* call) override;
    const char* GetTypeName(const Type& type) override;
    void WriteHeader() override;
    void SetShaderDescription(const ShaderDescription& description) override;
    void WriteArrayInitializer(const OperatorNode* assignment) override;
    void WriteFunctionCall(const FunctionNode* call) override;
    void WriteFunctionPrologue(const FunctionNode* function) override;
    void WriteOperatorExpression(const OperatorNode* node) override;
    void WriteInterfaceStructures(const ShaderDescription& description) override;
    // GL takes only bool conditions: an int one is compared through bool().
    void WriteCondition(const Node* condition) override;

    // 'input.face_direction': 1 for a front face, -1 for a back face.
    virtual void WriteFacing();
    // 'input.instance_id'; GLSL 1.20 has none and refuses it.
    virtual void WriteInstanceId();

protected:
    // The extension is required by the text; a second request adds nothing.
    void RequireExtension(const char* name);
    // A member of "input", "output" or "texture" in its GL name; false when node is no
    // such member and the base must write it.
    bool WriteInterfaceMember(const OperatorNode* node);
    // Integer "%" and "%=" through float mod.
    void WriteRemainder(const OperatorNode* node);
    // The stage's constants as uniforms, after an empty line when there are any.
    void WriteConstants(const Array<ShaderConstant>& constants);
};

class ESSL20Translator : public GLSL21Translator {
public:
    explicit ESSL20Translator(Log& log);

    void WriteHeader() override;
    void WriteArrayInitializer(const OperatorNode* assignment) override;
    void WriteFunctionCall(const FunctionNode* call) override;
    void WriteLiteral(const LiteralNode* literal) override;
    void WriteFacing() override;
    void WriteInstanceId() override;
};

class GLSL31Translator : public GLSL21Translator {
public:
    explicit GLSL31Translator(Log& log);

    void WriteFunctionName(const FunctionNode* call) override;
    void WriteFunctionCall(const FunctionNode* call) override;
    void WriteInstanceId() override;
};

class ESSL30Translator : public GLSL31Translator {
public:
    explicit ESSL30Translator(Log& log);

    void WriteHeader() override;
};

} // namespace ShaderTool
