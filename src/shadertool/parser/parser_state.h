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
    int32_t textOffset;       // a terminal's text in ParserState::texts, -1 without
    int16_t tokenKind;        // TokenKind of a terminal
    uint8_t op;               // OperatorId of a unary or assignment operator
    uint8_t isType;           // the called function is a type's constructor
    TypeSpecifier type;       // of a type specifier, qualifier or array specifier
};

static_assert(sizeof(ParserValue) == 36, "two copies a reduction: every byte counts");

// What one parse works with besides its stacks: the context, the token being scanned and
// the texts of the terminals still on the stack.
struct ParserState {
    ParseContext* context;
    Token token;
    std::string texts;
    ListNode* unit = nullptr;   // the translation unit's list once it has one

    // The texts of a typical source fit the first block.
    explicit ParserState(ParseContext* parseContext) : context(parseContext)
    {
        token.Clear();
        texts.reserve(8192);
    }

    // Scans the next token into value and answers its terminal code.
    int ReadToken(ParserValue* value);

    // The context's error report at the position of the token in hand.
    void ReportSyntaxError(const char* message);

    // The terminal's text ("" without one).
    const char* Text(const ParserValue& value) const;
    // The terminal as the name the actions take: its text and position.
    SourceName NameOf(const ParserValue& value) const
    {
        return SourceName{Text(value), value.position.column, value.position.line};
    }

    // The parser's terminal for a tokenizer kind: end of input for 0, the undefined token
    // for kinds the language has no terminal for and for single characters.
    static int MapTokenKind(int32_t kind);
};

} // namespace ShaderTool
