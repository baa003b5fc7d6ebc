#include "shadertool/core/operator_id.h"

namespace {

// Indexed by OperatorId, 0 to 46; 42 has no text.
const char* const kOperatorTexts[] = {
    "~",  "()", "!",  "-",  "+",  "--", "++", "--",  "++", "+",  "=",  "+=",
    "&=", "/=", "<<=", "%=", "*=", "|=", ">>=", "-=", "^=", "&",  "|",  "^",
    "/",  "==", ">",  ">=", "<<", "<",  "<=", "&&",  "||", ".",  "%",  "*",
    "!=", ">>", "[]", "-",  "?",  ":",  "",   "break", "continue", "discard", "return",
};

const uint32_t kOperatorTextCount = sizeof(kOperatorTexts) / sizeof(kOperatorTexts[0]);
static_assert(sizeof(kOperatorTexts) / sizeof(kOperatorTexts[0]) == kOpReturn + 1, "one text per id up to return");

} // namespace

const char* GetOperatorText(uint32_t id)
{
    if (id >= kOperatorTextCount)
        return "";
    return kOperatorTexts[id];
}
