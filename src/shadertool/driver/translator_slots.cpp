#include "shadertool/driver/translator_slots.h"

#include "shadertool/core/target.h"
#include "shadertool/translator/glsl_translator.h"
#include "shadertool/translator/hlsl_translator.h"

namespace ShaderTool {

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

} // namespace ShaderTool
