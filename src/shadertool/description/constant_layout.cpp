#include "shadertool/description/constant_layout.h"

namespace ShaderTool {

int32_t GetConstantElementBytes(const Type& type)
{
    if (type.baseKind != kBaseFloat && type.baseKind != kBaseInt)
        return 0;
    if (type.matrixSize >= 2 && type.matrixSize <= 4 && type.baseKind == kBaseFloat)
        return kConstantRegisterBytes * type.matrixSize;
    if (type.matrixSize == 0 && type.vectorSize == 4)
        return kConstantRegisterBytes;
    return 0;
}

int32_t GetMaxConstantCount(int32_t elementBytes, int32_t usedBytes)
{
    if (elementBytes <= 0 || usedBytes < 0 || usedBytes >= kMaxStageConstantBytes)
        return 0;
    return (kMaxStageConstantBytes - usedBytes) / elementBytes;
}

} // namespace ShaderTool
