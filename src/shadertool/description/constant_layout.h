#pragma once

#include "shadertool/core/shader_type.h"

#include <cstdint>

namespace ShaderTool {

// The layout of a stage's constants, shared by the block the engine uploads and the
// constant buffer a compiled HLSL shader reads. Constants stand one after another in
// description order. Every value occupies whole 16-byte registers, so every constant
// and every array element starts on a 16-byte boundary:
//   FLOAT4 and INT4   1 register    16 bytes
//   FLOAT2X2          2 registers   32 bytes (the last 8 bytes of each register unused)
//   FLOAT3X3          3 registers   48 bytes (the last 4 bytes of each register unused)
//   FLOAT4X4          4 registers   64 bytes
// An array takes its element size times its element count. A stage's constants may
// take 65,536 bytes at most (4,096 registers, one full Direct3D constant buffer).
const int32_t kConstantRegisterBytes = 16;
const int32_t kMaxStageConstantBytes = 65536;

// Bytes of one element of a constant type: 16 per register, an N by N matrix taking N
// registers (one per column as HLSL packs it by default, one per row when declared
// row-major). 0 for a type that cannot be a shader constant.
int32_t GetConstantElementBytes(const Type& type);

// The largest element count a constant of elementBytes per element may have when the
// stage's constants already use usedBytes; 0 when none fits.
int32_t GetMaxConstantCount(int32_t elementBytes, int32_t usedBytes);

} // namespace ShaderTool
