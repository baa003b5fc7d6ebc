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
// and let the parse go on; an accepted unit's top list is handed over through SetRoot.
// Answers kParseAccepted when the whole text was accepted, kParseSyntaxError after the
// first syntax error (the only one reported) and kParseMemoryExhausted, after reporting
// "memory exhausted", when the text nests deeper than the parser's stacks may grow (10000
// entries). Lexical errors the tokenizer reported since it was started fail the unit too:
// the answer is then kParseSyntaxError even when the grammar accepted the text. Every
// failure clears context->success.
//
// In the tree, a prototype at file level is a Function node of its own without a body
// (isDefined 0); the definition that follows is a different node, the one calls resolve
// to, so each is written once.
int Parse(ParseContext* context);

} // namespace ShaderTool
