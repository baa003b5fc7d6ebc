#pragma once

namespace ShaderTool {

struct ParseContext;

// Results of Parse.
enum ParseResult : int {
    kParseAccepted = 0,
    kParseSyntaxError = 1,
    kParseMemoryExhausted = 2,
};

// Parses the text the context's token source (context->tokenSource) has been started on
// and builds the syntax tree through the semantic actions, which report their own errors
// and let the parse go on. Answers kParseAccepted when the whole text was accepted,
// kParseSyntaxError after the first syntax error (the only one reported) and
// kParseMemoryExhausted when the text nests deeper than the parser's stacks may grow.
// A syntax error, and lexical errors the tokenizer reported during the parse, clear
// context->success; the unit is then not accepted either.
int Parse(ParseContext* context);

} // namespace ShaderTool
