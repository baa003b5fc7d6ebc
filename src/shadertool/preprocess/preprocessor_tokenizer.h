#pragma once

#include "shadertool/preprocess/tokenizer.h"

#include <cstdint>

namespace ShaderTool {

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
