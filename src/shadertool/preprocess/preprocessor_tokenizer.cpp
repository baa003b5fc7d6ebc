#include "shadertool/preprocess/tokenizer.h"

#include <cstdlib>
#include <cstring>

namespace ShaderTool {

void PreprocessorTokenizer::Begin(const SourceInput& input, bool stripComments)
{
    Tokenizer::Begin(input, stripComments);
    FillPreprocessorKeywords();
    lineState = kLineStart;
    lineStart_ = 0;
    pendingMarker_ = false;
    splicedBytes_ = 0;
}

void PreprocessorTokenizer::Reset()
{
    Tokenizer::Reset();
    lineState = kLineStart;
    lineStart_ = 0;
    pendingMarker_ = false;
    splicedBytes_ = 0;
}

StringMap<int32_t>& PreprocessorTokenizer::GetKeywordTable()
{
    return g_shaderPreprocessorKeywords;
}

void PreprocessorTokenizer::SkipOrdinaryLine()
{
    if (pendingMarker_) {
        // The marker takes effect only now, once its line is passed: a directive that
        // ended just before it still reports under the file it belongs to.
        while (IsBlank(cursor.Peek()))
            cursor.Get();
        cursor.Get();   // '@'
        cursor.Get();   // 'f'
        ReadLineMarker();
        pendingMarker_ = false;
        return;
    }
    while (!cursor.AtEnd()) {
        if (cursor.Get() == '\n')
            break;
    }
}

void PreprocessorTokenizer::NextToken(Token& token)
{
    token.Clear();
    reportLengthError = 1;
    for (;;) {
        if (lineState == kAfterOrdinary) {
            SkipOrdinaryLine();
            lineState = kLineStart;
            continue;
        }

        if (lineState == kInDirective) {
            while (IsBlank(cursor.Peek()))
                cursor.Get();
            if (cursor.Peek() == '\n') {
                cursor.Get();
                lineState = kLineStart;
                continue;
            }
            // A '@' inside a directive is a plain character: a marker never shares a
            // line with a directive.
            MarkTokenStart(token);
            ScanToken(cursor.Get(), token);
            return;
        }

        // Start of a line.
        int32_t startPosition = cursor.position;
        int32_t startColumn = cursor.column;
        int32_t startLine = cursor.line;
        int32_t startTabs = cursor.tabs;
        while (IsBlank(cursor.Peek()))
            cursor.Get();
        int c = cursor.Peek();
        if (c == '#' || cursor.AtEnd()) {
            MarkTokenStart(token);
            cursor.Get();
            lineState = kInDirective;
            if (c == '#') {
                AppendCharacter(token, '#');
                token.kind = kTokenHash;
            } else {
                token.kind = kTokenEnd;
            }
            return;
        }

        pendingMarker_ = c == '@' && cursor.PeekAt(1) == 'f';
        cursor.position = startPosition;
        cursor.column = startColumn;
        cursor.line = startLine;
        cursor.tabs = startTabs;
        cursor.ForgetStep();
        lineStart_ = startPosition;
        MarkTokenStart(token);
        token.kind = kTokenOrdinaryLine;
        lineState = kAfterOrdinary;
        return;
    }
}

const char* PreprocessorTokenizer::OrdinaryLineText(int32_t* length) const
{
    const char* characters = cursor.Characters();
    int32_t start = lineStart_ < 0 ? 0 : (lineStart_ > cursor.length ? cursor.length : lineStart_);
    const char* begin = characters + start;
    int32_t remaining = cursor.length - start;
    const void* lineFeed = memchr(begin, '\n', static_cast<size_t>(remaining));
    *length = lineFeed ? static_cast<int32_t>(static_cast<const char*>(lineFeed) - begin) + 1 : remaining;
    return begin;
}

bool PreprocessorTokenizer::InsertText(const char* text, int32_t length)
{
    if (!text || length <= 0)
        return true;
    int64_t newLength = static_cast<int64_t>(cursor.length) + length;
    if (newLength > kMaxTextLength || splicedBytes_ + newLength > kMaxSplicedBytes)
        return false;
    splicedBytes_ += newLength;

    const char* old = cursor.Characters();
    int32_t before = cursor.position;
    int32_t after = cursor.length - before;
    size_t total = static_cast<size_t>(before) + static_cast<size_t>(length) + static_cast<size_t>(after);
    char* spliced = static_cast<char*>(malloc(total + 1));
    if (!spliced)
        return false;
    memcpy(spliced, old, static_cast<size_t>(before));
    memcpy(spliced + before, text, static_cast<size_t>(length));
    memcpy(spliced + before + length, old + before, static_cast<size_t>(after));
    spliced[total] = '\0';

    free(cursor.ownText.text);
    cursor.ownText.text = spliced;
    cursor.text = &cursor.ownText;
    cursor.Measure();
    cursor.ForgetStep();
    return true;
}

} // namespace ShaderTool
