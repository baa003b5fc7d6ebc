// Stand-ins for what the driver calls of the parts still being built; each goes when its
// real code is merged.
#include "shadertool/semantic/semantic_actions.h"
#include "shadertool/translator/hlsl_translator.h"

namespace ShaderTool {

bool CheckTranslationUnit(ParseContext& context, const ShaderDescription&, const ShaderSource&) { context.success = 0; return false; }
void ResetTranslationUnit(ParseContext& context) { context.root = nullptr; context.success = 1; }
bool Translator::Translate(const ShaderDescription&, uint32_t, uint32_t, uint32_t, const ListNode*, const char*) { return false; }

} // namespace ShaderTool
