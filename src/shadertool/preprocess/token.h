#pragma once

#include <cstddef>
#include <cstdint>

namespace ShaderTool {

// Token kinds of both shader tokenizers. Single characters that no rule names come
// through as their own code (1 to 255), so the named kinds start at 256.
enum TokenKind : int32_t {
    kTokenEnd = 0,

    kTokenBool = 256,
    kTokenFloat = 257,
    kTokenFloat2 = 258,
    kTokenFloat2x2 = 259,
    kTokenFloat3 = 260,
    kTokenFloat3x3 = 261,
    kTokenFloat4 = 262,
    kTokenFloat4x4 = 263,
    kTokenInt = 264,
    kTokenInt2 = 265,
    kTokenInt3 = 266,
    kTokenInt4 = 267,
    kTokenVoid = 268,
    kTokenTexture2D = 269,   // no spelling produces the three texture kinds
    kTokenTexture3D = 270,
    kTokenTextureCube = 271,
    kTokenBreak = 272,
    kTokenConst = 273,
    kTokenContinue = 274,
    kTokenDiscard = 275,
    kTokenDo = 276,
    kTokenElse = 277,
    kTokenFor = 278,
    kTokenIf = 279,
    kTokenReturn = 280,
    kTokenWhile = 281,

    // Directive words; only the preprocessor's keyword table knows them.
    kTokenPPDefine = 282,
    kTokenPPElif = 283,
    kTokenPPElse = 284,
    kTokenPPEndif = 285,
    kTokenPPIf = 286,
    kTokenPPInclude = 287,

    kTokenBoolConstant = 288,
    kTokenFloatConstant = 289,
    kTokenIdentifier = 290,
    kTokenIntConstant = 291,
    kTokenStringLiteral = 292,

    kTokenAmpersand = 293,       // &
    kTokenCaret = 294,           // ^
    kTokenDecrease = 295,        // --
    kTokenIncrease = 296,        // ++
    kTokenGreaterEqual = 297,    // >=
    kTokenLeftShift = 298,       // <<
    kTokenLessEqual = 299,       // <=
    kTokenEqual = 300,           // ==
    kTokenNotEqual = 301,        // !=
    kTokenLogicalAnd = 302,      // &&
    kTokenLogicalOr = 303,       // ||
    kTokenRightShift = 304,      // >>
    kTokenVerticalBar = 305,     // |

    kTokenAssignAdd = 306,         // +=
    kTokenAssignAnd = 307,         // &=
    kTokenAssignDivide = 308,      // /=
    kTokenAssignLeftShift = 309,   // <<=
    kTokenAssignModulo = 310,      // %=
    kTokenAssignMultiply = 311,    // *=
    kTokenAssignOr = 312,          // |=
    kTokenAssignRightShift = 313,  // >>=
    kTokenAssignSubtract = 314,    // -=
    kTokenAssignXor = 315,         // ^=

    kTokenPPDefined = 316,       // "defined", preprocessor table only

    kTokenAsterisk = 317,        // *
    kTokenColon = 318,           // :
    kTokenComma = 319,           // ,
    kTokenDash = 320,            // -
    kTokenAssign = 321,          // =
    kTokenExclamation = 322,     // !
    kTokenPercent = 323,         // %
    kTokenPeriod = 324,          // .
    kTokenHash = 325,            // #
    kTokenPlus = 326,            // +
    kTokenQuestion = 327,        // ?
    kTokenSemicolon = 328,       // ;
    kTokenSlash = 329,           // /
    kTokenTilde = 330,           // ~
    kTokenLeftBrace = 331,       // {
    kTokenLeftBracket = 332,     // [
    kTokenLeftChevron = 333,     // <
    kTokenLeftParenthesis = 334, // (
    kTokenRightBrace = 335,      // }
    kTokenRightBracket = 336,    // ]
    kTokenRightChevron = 337,    // >
    kTokenRightParenthesis = 338,// )

    kTokenOrdinaryLine = 339,    // a non-directive line, preprocessor tokenizer only
    kTokenReserved = 340,
    kTokenNone = 341,            // the scan recognised nothing
};

// Characters a token keeps; longer tokens are cut with one report.
const int kMaxTokenCharacters = 128;

// What one scan fills. The parsers keep it as the first part of their semantic values.
struct Token {
    int32_t column;   // of the first character, from 1; a tab counts as 4 columns
    int32_t line;
    int32_t length;   // characters in text, 0 to 128
    char text[kMaxTokenCharacters + 1];
    int32_t kind;     // TokenKind, or a plain character's code

    // The state every scan starts from: no position, no text, no token.
    void Clear()
    {
        column = 0;
        line = 0;
        length = 0;
        text[0] = '\0';
        kind = kTokenNone;
    }
};

static_assert(offsetof(Token, column) == 0, "Token layout");
static_assert(offsetof(Token, line) == 4, "Token layout");
static_assert(offsetof(Token, length) == 8, "Token layout");
static_assert(offsetof(Token, text) == 12, "Token layout");
static_assert(offsetof(Token, kind) == 144, "Token layout");
static_assert(sizeof(Token) == 148, "Token layout");

} // namespace ShaderTool
