#include "shadertool/driver/translator_slots.h"

#include "shadertool/core/target.h"

namespace ShaderTool {

Translator* MakeTranslator(uint32_t target, Log& log)
{
    (void)target;
    (void)log;
    return nullptr;
}

} // namespace ShaderTool
