#pragma once

#include "shadertool/core/node.h"
#include "shadertool/preprocess/tokenizer.h"
#include "shadertool/semantic/semantic_actions.h"

#include <cstdint>
#include <string>

namespace ShaderTool {

struct ParseContext;

// One entry of the parser's value stack. A terminal brings its position, its token kind
// and, for identifiers and literals, its text (kept in the parse's text store, since the
// token record itself is reused for the next scan); a nonterminal carries what its action
// made and the position where its construct starts. Kept small and trivially copyable:
// the parser copies values at every reduction and moves the stack by memcpy when it grows.
struct ParserValue {
    Node* node;               // the construct's node, or null
    Node* second;             // else branch of an if, increment of a for
    SourcePosition position;
    int32_t tokenKind;        // TokenKind of a terminal
    int32_t textOffset;       // a terminal's text in ParserState::texts, -1 without
    uint32_t op;              // OperatorId of a unary or assignment operator
    uint8_t isType;           // the called function is a type's constructor
    TypeSpecifier type;       // of a type specifier, qualifier or array specifier
};

// What one parse works with besides its stacks: the context, the token being scanned and
// the texts of the terminals still on the stack.
struct ParserState {
    ParseContext* context;
    Token token;
    std::string texts;
    ListNode* unit = nullptr;   // the translation unit's list once it has one

    explicit ParserState(ParseContext* parseContext) : context(parseContext) { token.Clear(); }

    // Scans the next token into value and answers its terminal code.
    int ReadToken(ParserValue* value);

    // The context's error report at the position of the token in hand.
    void ReportSyntaxError(const char* message);

    // The terminal's text ("" without one).
    const char* Text(const ParserValue& value) const;
    // The terminal as a token record, for the actions that take one.
    Token TokenOf(const ParserValue& value) const;

    // The parser's terminal for a tokenizer kind: end of input for 0, the undefined token
    // for kinds the language has no terminal for and for single characters.
    static int MapTokenKind(int32_t kind);
};

} // namespace ShaderTool
