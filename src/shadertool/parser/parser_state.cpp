#include "shadertool/parser/parser_state.h"

#include "shadertool/core/context.h"

#include <cstring>

namespace ShaderTool {

int ParserState::ReadToken(ParserValue* value)
{
    token.Clear();
    context->tokenSource->NextToken(token);

    value->node = nullptr;
    value->second = nullptr;
    value->position = SourcePosition{token.column, token.line};
    value->tokenKind = token.kind;
    value->textOffset = -1;
    value->op = 0;
    value->isType = 0;
    value->type = TypeSpecifier();

    switch (token.kind) {
    case kTokenIdentifier:
    case kTokenIntConstant:
    case kTokenFloatConstant:
    case kTokenBoolConstant:
        value->textOffset = static_cast<int32_t>(texts.size());
        texts.append(token.text, static_cast<size_t>(token.length));
        texts.push_back('\0');
        break;
    default:
        break;
    }
    return MapTokenKind(token.kind);
}

void ParserState::ReportSyntaxError(const char* message)
{
    context->ReportError(SourcePosition{token.column, token.line}, "%s", message ? message : "");
}

const char* ParserState::Text(const ParserValue& value) const
{
    if (value.textOffset < 0 || static_cast<size_t>(value.textOffset) >= texts.size())
        return "";
    return texts.data() + value.textOffset;
}

} // namespace ShaderTool
