#include "shadertool/preprocess/tokenizer.h"

#include "shadertool/core/text_hash.h"
#include "shadertool/preprocess/text_builder.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace ShaderTool {

void SourceCursor::Unget()
{
    if (!canUnget_)
        return;
    position = previousPosition_;
    column = previousColumn_;
    line = previousLine_;
    tabs = previousTabs_;
    canUnget_ = false;
}

void SourceCursor::Measure()
{
    size_t measured = text && text->text ? strlen(text->text) : 0;
    length = measured > INT32_MAX ? INT32_MAX : static_cast<int32_t>(measured);
    if (position > length)
        position = length;
}

namespace {

struct KeywordEntry {
    const char* word;
    int32_t kind;
};

// In the order the table is built; "true" and "false" are one kind.
const KeywordEntry kLanguageKeywords[] = {
    {"bool", kTokenBool},         {"float", kTokenFloat},       {"float2", kTokenFloat2},
    {"float2x2", kTokenFloat2x2}, {"float3", kTokenFloat3},     {"float3x3", kTokenFloat3x3},
    {"float4", kTokenFloat4},     {"float4x4", kTokenFloat4x4}, {"int", kTokenInt},
    {"int2", kTokenInt2},         {"int3", kTokenInt3},         {"int4", kTokenInt4},
    {"void", kTokenVoid},         {"break", kTokenBreak},       {"const", kTokenConst},
    {"continue", kTokenContinue}, {"discard", kTokenDiscard},   {"do", kTokenDo},
    {"else", kTokenElse},         {"false", kTokenBoolConstant}, {"for", kTokenFor},
    {"if", kTokenIf},             {"return", kTokenReturn},     {"true", kTokenBoolConstant},
    {"while", kTokenWhile},
};

// Words kept back for later versions of the language: using one is an error.
const char* const kReservedWords[] = {
    "bool2", "bool3", "bool4", "case", "default", "in", "inout", "out", "sample", "struct", "switch",
    "Texture2D", "Texture3D", "TextureCube", "uint", "uint2", "uint3", "uint4",
};

const KeywordEntry kPreprocessorKeywords[] = {
    {"define", kTokenPPDefine}, {"elif", kTokenPPElif},       {"else", kTokenPPElse},
    {"endif", kTokenPPEndif},   {"if", kTokenPPIf},           {"include", kTokenPPInclude},
    {"defined", kTokenPPDefined},
};

// A hash index over the entries of a keyword table, made where the table is filled: every
// word of a source is looked up, and a search through the table's forty-odd entries for
// each was a good part of the scan.
class KeywordIndex {
public:
    // Asked at each source's start; the tables are filled once, so this builds once.
    void Update(const StringMap<int32_t>& table)
    {
        if (table.entries.count != indexed_)
            Build(table);
    }

    StringMapEntry<int32_t>* Find(const StringMap<int32_t>& table, const char* word, int32_t length) const
    {
        if (!usable_)
            return table.FindEntry(word);
        const uint32_t mask = kSlots - 1;
        for (uint32_t slot = HashText(word, static_cast<size_t>(length)) & mask;; slot = (slot + 1) & mask) {
            const int32_t index = slots_[slot];
            if (index < 0)
                return nullptr;
            StringMapEntry<int32_t>* entry = table.entries.data[index];
            if (entry->key.text[0] == word[0] && SameText(entry->key.text, word))
                return entry;
        }
    }

private:
    static const uint32_t kSlots = 256;

    void Build(const StringMap<int32_t>& table)
    {
        indexed_ = table.entries.count;
        // A table too large for the index is searched through, as the map itself does.
        usable_ = indexed_ <= static_cast<int32_t>(kSlots / 2);
        if (!usable_)
            return;
        for (int32_t& slot : slots_)
            slot = -1;
        const uint32_t mask = kSlots - 1;
        for (int32_t i = 0; i < table.entries.count; ++i) {
            const StringMapEntry<int32_t>* entry = table.entries.data[i];
            if (!entry || !entry->key.text)
                continue;
            const int32_t length = static_cast<int32_t>(strlen(entry->key.text));
            for (uint32_t slot = HashText(entry->key.text, static_cast<size_t>(length)) & mask;; slot = (slot + 1) & mask) {
                if (slots_[slot] < 0) {
                    slots_[slot] = i;
                    break;
                }
                // The first entry of a key is the one found.
                if (strcmp(table.entries.data[slots_[slot]]->key.text, entry->key.text) == 0)
                    break;
            }
        }
    }

    int32_t indexed_ = -1;
    bool usable_ = false;
    int32_t slots_[kSlots] = {};
};

// Constant-initialised (every member has a constant initialiser), so no static
// constructor of another file can find them unmade.
KeywordIndex g_languageKeywordIndex;
KeywordIndex g_preprocessorKeywordIndex;

StringMapEntry<int32_t>* FindKeyword(const StringMap<int32_t>& table, const char* word, int32_t length)
{
    if (&table == &g_shaderKeywords)
        return g_languageKeywordIndex.Find(table, word, length);
    if (&table == &g_shaderPreprocessorKeywords)
        return g_preprocessorKeywordIndex.Find(table, word, length);
    return table.FindEntry(word);
}

} // namespace

void FillLanguageKeywords()
{
    if (g_shaderKeywords.entries.count == 0) {
        for (const KeywordEntry& entry : kLanguageKeywords)
            g_shaderKeywords[entry.word] = entry.kind;
        for (const char* word : kReservedWords)
            g_shaderKeywords[word] = kTokenReserved;
    }
    g_languageKeywordIndex.Update(g_shaderKeywords);
}

void FillPreprocessorKeywords()
{
    if (g_shaderPreprocessorKeywords.entries.count == 0) {
        for (const KeywordEntry& entry : kPreprocessorKeywords)
            g_shaderPreprocessorKeywords[entry.word] = entry.kind;
    }
    g_preprocessorKeywordIndex.Update(g_shaderPreprocessorKeywords);
}

namespace {

enum StripState { kPlain, kBlockComment, kLineComment };

} // namespace

String StripComments(const char* text)
{
    TextBuilder stripped;
    String result;
    if (!text)
        return result;
    // An empty text stays the null String.
    const size_t length = strlen(text);
    if (length > 0)
        stripped.ReserveFor(length > INT32_MAX - 1 ? INT32_MAX - 1 : static_cast<int32_t>(length));

    StripState state = kPlain;
    const char* plainStart = text;   // start of the pending plain run
    const char* p = text;
    while (*p) {
        char c = *p;
        if (state == kPlain) {
            if (c == '/' && (p[1] == '*' || p[1] == '/')) {
                stripped.Append(plainStart, static_cast<int32_t>(p - plainStart));
                stripped.Append("  ", 2);
                state = p[1] == '*' ? kBlockComment : kLineComment;
                p += 2;
                continue;
            }
            if (c == '\r') {
                stripped.Append(plainStart, static_cast<int32_t>(p - plainStart));
                ++p;
                plainStart = p;
                continue;
            }
            ++p;
            continue;
        }
        if (state == kBlockComment) {
            if (c == '*' && p[1] == '/') {
                stripped.Append("  ", 2);
                p += 2;
                state = kPlain;
                plainStart = p;
                continue;
            }
            if (c == '\t' || c == '\n')
                stripped.AppendChar(c);
            else if (c != '\r')
                stripped.AppendChar(' ');
            ++p;
            continue;
        }
        // Line comment: the line feed stays and starts the next plain run.
        if (c == '\n') {
            state = kPlain;
            plainStart = p;
            continue;
        }
        ++p;
    }
    if (state == kPlain)
        stripped.Append(plainStart, static_cast<int32_t>(p - plainStart));

    stripped.MoveInto(result);
    return result;
}

namespace {

// Replaces target's text by source's without copying; source ends up empty.
void TakeText(String& target, String& source)
{
    free(target.text);
    target.text = source.text;
    source.text = nullptr;
}

} // namespace

void Tokenizer::Begin(const SourceInput& input, bool stripComments)
{
    FillLanguageKeywords();
    fileName = input.fileName;
    errorCount = 0;
    if (stripComments) {
        String stripped = StripComments(input.text.text);
        TakeText(cursor.ownText, stripped);
        cursor.text = &cursor.ownText;
    } else {
        cursor.text = &input.text;
    }
    cursor.position = 0;
    cursor.tabs = 0;
    cursor.Measure();
    cursor.column = 1;
    cursor.line = input.firstLine;
    cursor.ForgetStep();
}

void Tokenizer::Reset()
{
    cursor.text = nullptr;
    cursor.ownText.Assign(nullptr);
    cursor.column = 0;
    cursor.line = 0;
    cursor.length = 0;
    cursor.position = 0;
    cursor.tabs = 0;
    cursor.ForgetStep();
    tokenColumn = 0;
    tokenLine = 0;
    errorCount = 0;
}

StringMap<int32_t>& Tokenizer::GetKeywordTable()
{
    return g_shaderKeywords;
}

void Tokenizer::ReportError(int32_t line, int32_t column, const char* format, ...)
{
    char message[2048];
    va_list args;
    va_start(args, format);
    vsnprintf(message, sizeof(message), format, args);
    va_end(args);
    ++errorCount;
    if (errorLog)
        errorLog->AppendSourceError(fileName.text, line, column, message);
}

void Tokenizer::MarkTokenStart(Token& token)
{
    tokenColumn = cursor.column + 3 * cursor.tabs;
    tokenLine = cursor.line;
    token.column = tokenColumn;
    token.line = tokenLine;
}

void Tokenizer::NextToken(Token& token)
{
    token.Clear();
    reportLengthError = 1;
    for (;;) {
        MarkTokenStart(token);
        int c = cursor.Get();
        if (c == ' ' || c == '\t' || c == '\n')
            continue;
        if (c == '@') {
            if (cursor.Get() == 'f')
                ReadLineMarker();
            continue;
        }
        ScanToken(c, token);
        return;
    }
}

void Tokenizer::AppendCharacter(Token& token, int c)
{
    if (token.length < kMaxTokenCharacters) {
        token.text[token.length] = static_cast<char>(c);
        ++token.length;
        token.text[token.length] = '\0';
        return;
    }
    if (reportLengthError) {
        ReportError(tokenLine, tokenColumn, "too many characters in token (maximum is %i).", kMaxTokenCharacters);
        reportLengthError = 0;
    }
}

bool Tokenizer::AcceptCharacter(int expected, Token& token)
{
    if (cursor.Peek() != expected)
        return false;
    AppendCharacter(token, cursor.Get());
    return true;
}

void Tokenizer::ScanToken(int c, Token& token)
{
    if (c == '"') {
        ScanStringLiteral(token);
    } else if (c >= '1' && c <= '9') {
        ScanDecimalNumber(c, token);
    } else if (c == '0') {
        ScanZeroNumber(token);
    } else if (IsIdentifierStart(c)) {
        ScanWord(c, token);
    } else {
        ScanOperator(c, token);
    }
}

void Tokenizer::ScanStringLiteral(Token& token)
{
    for (;;) {
        if (cursor.AtEnd())
            return;   // unterminated: no kind
        int c = cursor.Get();
        if (c == '"') {
            token.kind = kTokenStringLiteral;
            return;
        }
        if (c == '\n') {
            // Unterminated: the line feed stays for the line handling.
            cursor.Unget();
            return;
        }
        AppendCharacter(token, c);
    }
}

void Tokenizer::ScanDecimalNumber(int first, Token& token)
{
    AppendCharacter(token, first);
    while (IsDecimalDigit(cursor.Peek()))
        AppendCharacter(token, cursor.Get());
    int c = cursor.Get();
    if (c == '.' || c == 'e' || c == 'E') {
        ScanFloatTail(c, token);
        return;
    }
    cursor.Unget();
    token.kind = kTokenIntConstant;
}

void Tokenizer::ScanZeroNumber(Token& token)
{
    AppendCharacter(token, '0');
    int c = cursor.Get();
    if (c == 'x' || c == 'X') {
        AppendCharacter(token, c);
        while (IsHexDigit(cursor.Peek()))
            AppendCharacter(token, cursor.Get());
        token.kind = kTokenIntConstant;
        return;
    }
    // Octal. All following digits belong to the literal, so that 0819 is one (bad)
    // literal rather than two numbers.
    bool badDigit = false;
    while (IsDecimalDigit(c)) {
        if (!IsOctalDigit(c))
            badDigit = true;
        AppendCharacter(token, c);
        c = cursor.Get();
    }
    if (c == '.' || c == 'e' || c == 'E') {
        ScanFloatTail(c, token);   // 09.5 is a good float
        return;
    }
    cursor.Unget();
    token.kind = kTokenIntConstant;
    if (badDigit)
        ReportError(tokenLine, tokenColumn, "unexpected digit in octal literal.");
}

// c is the consumed '.', 'e' or 'E' that made the literal a float.
void Tokenizer::ScanFloatTail(int c, Token& token)
{
    if (c == '.') {
        AppendCharacter(token, '.');
        while (IsDecimalDigit(cursor.Peek()))
            AppendCharacter(token, cursor.Get());
        c = cursor.Get();
    }
    if (c == 'e' || c == 'E') {
        AppendCharacter(token, c);
        int sign = cursor.Peek();
        if (sign == '+' || sign == '-')
            AppendCharacter(token, cursor.Get());
        if (!IsDecimalDigit(cursor.Peek()))
            ReportError(tokenLine, tokenColumn, "unexpected character in floating point literal.");
        while (IsDecimalDigit(cursor.Peek()))
            AppendCharacter(token, cursor.Get());
        c = cursor.Get();
    }
    if (c == 'f' || c == 'F')
        AppendCharacter(token, c);
    else
        cursor.Unget();
    token.kind = kTokenFloatConstant;
}

void Tokenizer::ScanWord(int first, Token& token)
{
    AppendCharacter(token, first);
    while (IsIdentifierPart(cursor.Peek()))
        AppendCharacter(token, cursor.Get());

    StringMapEntry<int32_t>* keyword = FindKeyword(GetKeywordTable(), token.text, token.length);
    if (!keyword) {
        token.kind = kTokenIdentifier;
        return;
    }
    token.kind = keyword->value;
    if (token.kind == kTokenReserved)
        ReportError(tokenLine, tokenColumn, "'%s' is a reserved word.", token.text);
}

void Tokenizer::ScanOperator(int c, Token& token)
{
    if (c == '.' && IsDecimalDigit(cursor.Peek())) {
        ScanFloatTail(c, token);
        return;
    }
    if (c != 0)
        AppendCharacter(token, c);

    switch (c) {
    case '!': token.kind = AcceptCharacter('=', token) ? kTokenNotEqual : kTokenExclamation; return;
    case '%': token.kind = AcceptCharacter('=', token) ? kTokenAssignModulo : kTokenPercent; return;
    case '*': token.kind = AcceptCharacter('=', token) ? kTokenAssignMultiply : kTokenAsterisk; return;
    case '/': token.kind = AcceptCharacter('=', token) ? kTokenAssignDivide : kTokenSlash; return;
    case '=': token.kind = AcceptCharacter('=', token) ? kTokenEqual : kTokenAssign; return;
    case '^': token.kind = AcceptCharacter('=', token) ? kTokenAssignXor : kTokenCaret; return;
    case '&':
        if (AcceptCharacter('&', token))
            token.kind = kTokenLogicalAnd;
        else
            token.kind = AcceptCharacter('=', token) ? kTokenAssignAnd : kTokenAmpersand;
        return;
    case '+':
        if (AcceptCharacter('+', token))
            token.kind = kTokenIncrease;
        else
            token.kind = AcceptCharacter('=', token) ? kTokenAssignAdd : kTokenPlus;
        return;
    case '-':
        if (AcceptCharacter('-', token))
            token.kind = kTokenDecrease;
        else
            token.kind = AcceptCharacter('=', token) ? kTokenAssignSubtract : kTokenDash;
        return;
    case '|':
        if (AcceptCharacter('=', token))
            token.kind = kTokenAssignOr;
        else
            token.kind = AcceptCharacter('|', token) ? kTokenLogicalOr : kTokenVerticalBar;
        return;
    case '<':
        if (AcceptCharacter('<', token))
            token.kind = AcceptCharacter('=', token) ? kTokenAssignLeftShift : kTokenLeftShift;
        else
            token.kind = AcceptCharacter('=', token) ? kTokenLessEqual : kTokenLeftChevron;
        return;
    case '>':
        if (AcceptCharacter('=', token))
            token.kind = kTokenGreaterEqual;
        else if (AcceptCharacter('>', token))
            token.kind = AcceptCharacter('=', token) ? kTokenAssignRightShift : kTokenRightShift;
        else
            token.kind = kTokenRightChevron;
        return;
    case '.': token.kind = kTokenPeriod; return;
    case '#': token.kind = kTokenHash; return;
    case '(': token.kind = kTokenLeftParenthesis; return;
    case ')': token.kind = kTokenRightParenthesis; return;
    case ',': token.kind = kTokenComma; return;
    case ':': token.kind = kTokenColon; return;
    case ';': token.kind = kTokenSemicolon; return;
    case '?': token.kind = kTokenQuestion; return;
    case '[': token.kind = kTokenLeftBracket; return;
    case ']': token.kind = kTokenRightBracket; return;
    case '{': token.kind = kTokenLeftBrace; return;
    case '}': token.kind = kTokenRightBrace; return;
    case '~': token.kind = kTokenTilde; return;
    default:
        // The character's own code; 0 is the end of the text.
        token.kind = c;
        return;
    }
}

void Tokenizer::ReadLineMarker()
{
    // "@f" is consumed; what follows is " \"name\" number" and the end of the line.
    // A marker without its quoted name renames nothing and only ends its line.
    if (cursor.Peek() == ' ')
        cursor.Get();
    TextBuilder name;
    bool named = false;
    if (cursor.Peek() == '"') {
        cursor.Get();
        for (;;) {
            int c = cursor.Peek();
            if (c == '"') {
                cursor.Get();
                named = true;
                break;
            }
            if (c == '\n' || cursor.AtEnd())
                break;
            name.AppendChar(static_cast<char>(cursor.Get()));
        }
    }
    if (cursor.Peek() == ' ')
        cursor.Get();

    bool negative = false;
    if (cursor.Peek() == '-' || cursor.Peek() == '+')
        negative = cursor.Get() == '-';
    int64_t number = 0;
    while (IsDecimalDigit(cursor.Peek())) {
        number = number * 10 + (cursor.Get() - '0');
        if (number > INT32_MAX)
            number = INT32_MAX;   // a hostile number saturates instead of wrapping
    }

    // The rest of the marker's line, its line feed included.
    for (;;) {
        if (cursor.AtEnd())
            break;
        if (cursor.Get() == '\n')
            break;
    }
    cursor.ForgetStep();
    if (!named)
        return;
    fileName.Assign(name.Text());
    cursor.line = static_cast<int32_t>(negative ? -number : number);
}

} // namespace ShaderTool
