#pragma once

#include "core/engine_string.h"
#include "core/string_map.h"
#include "shadertool/core/log.h"
#include "shadertool/preprocess/source_cursor.h"
#include "shadertool/preprocess/source_input.h"
#include "shadertool/preprocess/token.h"

#include <cstdint>

namespace ShaderTool {

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

} // namespace ShaderTool
