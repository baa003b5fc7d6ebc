#pragma once

#include "core/array.h"
#include "shadertool/translator/translator.h"

#include <cstdint>

namespace ShaderTool {

struct PixelTexture;
struct ShaderConstant;

// The HLSL family: HLSL9 (shader model 3), HLSL11 (what the Direct3D 11 renderer compiles,
// at every shader level) and PSSL. They keep the base's walk and add the interface
// structures "VertexInput", "VertexOutput", "PixelInput" and "PixelOutput" with their
// semantics, the constants and textures, the entry function "main", texture sampling and
// matrix products.
//
// Matrices: the engine uploads its row-major Matrix4 (and the 2 x 2 and 3 x 3 forms) byte
// for byte, row i in register i; the output keeps HLSL's default column_major packing, so
// the HLSL matrix is the engine's transposed, and every product that involves a matrix is
// written through mul() with the operands in source order: `v * m` becomes mul(v, m), the
// engine's matrix applied to v as a column vector, and `a * b` of two matrices mul(a, b),
// the same product the GL targets compute on the same registers.
class HLSL9Translator : public Translator {
public:
    explicit HLSL9Translator(Log& log);
    ~HLSL9Translator() override;

    // The face member of "PixelInput"; set when the shader first reads a face member.
    const char* facingDeclaration;
    // The instance-id member of "VertexInput"; set when the shader first reads it.
    const char* instanceIdDeclaration;
    const char* pixelOutputSemantic;   // "COLOR", "SV_TARGET", "S_TARGET_OUTPUT"
    const char* positionSemantic;      // "POSITION", "SV_POSITION", "S_POSITION"
    // The description's textures, in the pixel stage only (null otherwise).
    const Array<PixelTexture>* pixelTextures;
    // Per texture: its reciprocal-dimension constant has been declared in the header.
    uint8_t reciprocalDeclared[4];

    void Reset() override;
    // The sampling functions get "tex", their dimension and "grad" or "lod".
    void WriteFunctionName(const FunctionNode* call) override;
    void SetShaderDescription(const ShaderDescription& description) override;
    // Sampling with the level of detail in the fourth coordinate, one-argument vector and
    // matrix constructors that change the shape written as casts.
    void WriteFunctionCall(const FunctionNode* call) override;
    // "main" becomes the entry function taking the input and returning the output structure.
    void WriteFunctionDefinition(const FunctionNode* function) override;
    // Members of "input" and "texture", products with matrices through mul(), == and != on
    // vectors and matrices through all() and any().
    void WriteOperatorExpression(const OperatorNode* node) override;
    void WriteInterfaceStructures(const ShaderDescription& description) override;
    // An int constant of the description is written through its int type (HLSL9 stores it
    // as float4).
    void WriteSymbol(const SymbolNode* symbol) override;
    // Global variables of the source are "static": only the description's constants are
    // uniforms.
    void WriteDeclarationType(const ListNode* list) override;

    // Sets facingDeclaration.
    virtual void WriteFacing();
    // Sets instanceIdDeclaration (HLSL9 has none).
    virtual void WriteInstanceId();
    // Declares a stage's constants, each on its own registers as the engine uploads them.
    virtual void WriteConstantsBlock(const Array<ShaderConstant>& constants);
    // input.face_direction: 1.0 for a front face, -1.0 for a back face.
    virtual void WriteFaceDirection();
    // input.instance_id (HLSL9 refuses it).
    virtual void WriteInstanceIdExpression();
    // input.is_front_facing as a bool.
    virtual void WriteIsFrontFacing();
    // The samplers (and textures) of the pixel stage, each on the register of its index.
    virtual void WriteTextureDeclarations(const ShaderDescription& description);

protected:
    HLSL9Translator(Log& log, const char* pixelOutput, const char* position);

    // The sampling call of this target; HLSL9 puts the level of detail into the coordinates.
    virtual void WriteSampleCall(const FunctionNode* call);
    // A stage's structure of vertex outputs ("VertexOutput" or "PixelInput").
    void WriteOutputStructure(const ShaderDescription& description, const char* structureName, bool withFacing);
    // The index of the pixel texture named name; -1 when there is none.
    int FindPixelTexture(const char* name) const;
};

// HLSL for Direct3D 11: a constant buffer per stage in slot 0 whose packing puts every
// constant where the engine's block has it, textures with their sampler states, sampling
// through methods, and the refusal of bit-wise operators at the LOW level (shader model 4
// level 9_1).
class HLSL11Translator : public HLSL9Translator {
public:
    explicit HLSL11Translator(Log& log);

    const char* constantBlockKeyword;   // "cbuffer", "ConstantBuffer"

    void WriteOperatorExpression(const OperatorNode* node) override;
    void WriteFacing() override;
    void WriteInstanceId() override;
    void WriteConstantsBlock(const Array<ShaderConstant>& constants) override;
    void WriteFaceDirection() override;
    void WriteInstanceIdExpression() override;
    void WriteIsFrontFacing() override;
    void WriteTextureDeclarations(const ShaderDescription& description) override;

    // The texture method of a sampling function id; "" for any other id.
    virtual const char* GetSampleMethodName(uint32_t op);

protected:
    HLSL11Translator(Log& log, const char* pixelOutput, const char* position, const char* blockKeyword);

    void WriteSampleCall(const FunctionNode* call) override;
};

// PSSL: HLSL11's form with its own semantics, block keyword and method names.
class PSSLTranslator : public HLSL11Translator {
public:
    explicit PSSLTranslator(Log& log);

    // all() and any() take bool vectors.
    void WriteFunctionCall(const FunctionNode* call) override;
    // As HLSL9: PSSL has no LOW level.
    void WriteOperatorExpression(const OperatorNode* node) override;
    void WriteFacing() override;
    void WriteInstanceId() override;
    void WriteFaceDirection() override;
    void WriteIsFrontFacing() override;
    const char* GetSampleMethodName(uint32_t op) override;
};

} // namespace ShaderTool
