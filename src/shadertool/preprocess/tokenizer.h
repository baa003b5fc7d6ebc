#pragma once

#include "core/engine_string.h"
#include "core/string_map.h"
#include "shadertool/core/log.h"

#include <cstddef>
#include <cstdint>

// The two keyword tables of the shader tokenizers, word to token kind: one for the
// language and one for the preprocessor's directives. Both start empty, are filled once
// by the first tokenizer that finds them empty and are kept for the life of the process.
extern StringMap<int32_t> g_shaderKeywords;
extern StringMap<int32_t> g_shaderPreprocessorKeywords;

namespace ShaderTool {

// ASCII-only character classes for the shader tokenizers. Bytes above 127 belong to no
// class, whatever the C library's locale says.
inline bool IsDecimalDigit(int c) { return c >= '0' && c <= '9'; }
inline bool IsOctalDigit(int c) { return c >= '0' && c <= '7'; }
inline bool IsHexDigit(int c) { return IsDecimalDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
inline bool IsLetter(int c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
inline bool IsIdentifierStart(int c) { return IsLetter(c) || c == '_'; }
inline bool IsIdentifierPart(int c) { return IsIdentifierStart(c) || IsDecimalDigit(c); }
inline bool IsBlank(int c) { return c == ' ' || c == '\t'; }

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

// One text handed to a tokenizer run: the name its messages carry, the text, and the
// number of its first line (inline code in a Shader XML file starts on that file's line).
struct SourceInput {
    String fileName;
    String text;
    int32_t firstLine = 1;
};

// Reading position in one source text. Lines and columns count from 1; a tab advances
// the column by one and is counted in tabs, so that a token's column can treat it as 4.
struct SourceCursor {
    const String* text = nullptr;   // the caller's text, or &ownText
    String ownText;                 // the comment-stripped copy, which includes are spliced into
    int32_t column = 0;
    int32_t line = 0;
    int32_t length = 0;
    int32_t position = 0;
    int32_t tabs = 0;

    // The next byte (as unsigned), consumed; 0 at the end of the text, which is not
    // consumed. Inline, with Peek: the scan calls them for every character.
    int Get()
    {
        if (position >= length || position < 0) {
            canUnget_ = false;
            return 0;
        }
        previousPosition_ = position;
        previousColumn_ = column;
        previousLine_ = line;
        previousTabs_ = tabs;
        canUnget_ = true;

        int c = static_cast<unsigned char>(Characters()[position]);
        ++position;
        ++column;
        if (c == '\t')
            ++tabs;
        if (c == '\n') {
            // A line marker may have set the count as high as it goes: it stays there.
            if (line < INT32_MAX)
                ++line;
            column = 1;
            tabs = 0;
        }
        return c;
    }
    // Steps back over what the last Get consumed, position, line and column included.
    // Only one step is remembered; after a Get at the end of the text it does nothing.
    void Unget();
    // The next byte without consuming it; 0 at the end.
    int Peek() const { return PeekAt(0); }
    int PeekAt(int32_t offset) const
    {
        int64_t at = static_cast<int64_t>(position) + offset;
        if (at < 0 || at >= length)
            return 0;
        return static_cast<unsigned char>(Characters()[at]);
    }
    bool AtEnd() const { return position >= length; }

    const char* Characters() const { return text && text->text ? text->text : ""; }
    // Reads text's length anew after the text was replaced.
    void Measure();
    // Forgets the remembered step (after the text changed under the cursor).
    void ForgetStep() { canUnget_ = false; }

private:
    int32_t previousPosition_ = 0;
    int32_t previousColumn_ = 0;
    int32_t previousLine_ = 0;
    int32_t previousTabs_ = 0;
    bool canUnget_ = false;
};

// Fills the language's keyword table (g_shaderKeywords), reserved words included, when
// it is empty, and indexes it anew if it changed. Called by every tokenizer's Begin; the
// table is kept for the process.
void FillLanguageKeywords();
// Fills the preprocessor's table of directive words (g_shaderPreprocessorKeywords) when
// it is empty, and indexes it anew if it changed.
void FillPreprocessorKeywords();

// The text with its comments blanked out: each comment character becomes a space,
// tabs and line feeds inside block comments stay, line comments lose everything up to
// their line feed, and carriage returns are dropped everywhere. Lines and columns of the
// remaining text therefore stay where they were. A comment left open at the end of the
// text is blanked to its end.
String StripComments(const char* text);

// Turns one shader source into tokens for the language parser; the preprocessor's
// tokenizer derives from it. Lexical errors go to the error log as
// "%s(%i:%i) error: %s\n" and never stop the scan: the token is still delivered.
class Tokenizer {
public:
    String fileName;            // the source's name in messages; line markers change it
    SourceCursor cursor;
    int32_t tokenColumn = 0;    // start of the token being scanned, tabs counted as 4
    int32_t tokenLine = 0;
    uint8_t reportLengthError = 1;
    Log* errorLog = nullptr;    // the translator context's error log; may be null
    // Lexical errors since the last Begin or Reset: any of them fails the source.
    int32_t errorCount = 0;

    explicit Tokenizer(Log* log = nullptr) : errorLog(log) {}
    virtual ~Tokenizer() = default;
    Tokenizer(const Tokenizer&) = delete;
    Tokenizer& operator=(const Tokenizer&) = delete;

    // Starts reading input.text (its comment-stripped copy when stripComments is set;
    // otherwise the caller's string, which must outlive the run) at input.firstLine.
    virtual void Begin(const SourceInput& input, bool stripComments);
    virtual void Reset();
    virtual void NextToken(Token& token);
    virtual StringMap<int32_t>& GetKeywordTable();

    // "%s(%i:%i) error: %s\n" with the current file name; counts the error.
    void ReportError(int32_t line, int32_t column, const char* format, ...)
        __attribute__((format(gnu_printf, 4, 5)));

protected:
    // Records where the next token starts, into the token too.
    void MarkTokenStart(Token& token);
    // Scans the token that starts with c, already consumed.
    void ScanToken(int c, Token& token);
    // Reads a line marker "@f \"name\" line" after its "@f": renames the file and
    // numbers the line after the marker with the marker's number.
    void ReadLineMarker();
    void AppendCharacter(Token& token, int c);

private:
    void ScanStringLiteral(Token& token);
    void ScanDecimalNumber(int first, Token& token);
    void ScanZeroNumber(Token& token);
    void ScanFloatTail(int c, Token& token);
    void ScanWord(int first, Token& token);
    void ScanOperator(int c, Token& token);
    // Appends the next character when it is expected and answers whether it was.
    bool AcceptCharacter(int expected, Token& token);
};

// The preprocessor's tokenizer: it always reads a comment-stripped copy, hands out each
// line that is not a directive as one token (kind 339) and tokenizes directive lines
// with the table of directive words.
class PreprocessorTokenizer : public Tokenizer {
public:
    enum LineState : int32_t {
        kLineStart = 0,       // at the start of a line
        kInDirective = 1,     // inside a directive
        kAfterOrdinary = 2,   // an ordinary line was handed out and is still to be skipped
    };
    int32_t lineState = kLineStart;

    // The most text that includes may grow the source to, and the most bytes that all
    // splices of one run may copy together (each splice copies the whole text, so many
    // includes of a large text would otherwise take quadratic time).
    static const int32_t kMaxTextLength = 16 * 1024 * 1024;
    static const int64_t kMaxSplicedBytes = 256 * 1024 * 1024;

    explicit PreprocessorTokenizer(Log* log = nullptr) : Tokenizer(log) {}

    void Begin(const SourceInput& input, bool stripComments) override;
    void Reset() override;
    void NextToken(Token& token) override;
    StringMap<int32_t>& GetKeywordTable() override;

    // The ordinary line handed out last, from its first character up to and including
    // its line feed (or to the end of the text), and its length.
    const char* OrdinaryLineText(int32_t* length) const;
    // Whether that line is a line marker, which renames the file once it is passed.
    bool OrdinaryLineIsMarker() const { return pendingMarker_; }

    // Splices text in at the reading position, where scanning then goes on. False,
    // leaving the text unchanged, when the result would exceed kMaxTextLength or the run's
    // splices would copy more than kMaxSplicedBytes.
    bool InsertText(const char* text, int32_t length);

private:
    void SkipOrdinaryLine();

    int32_t lineStart_ = 0;
    bool pendingMarker_ = false;
    int64_t splicedBytes_ = 0;
};

} // namespace ShaderTool
