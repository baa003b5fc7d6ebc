#pragma once

#include "core/engine_string.h"

#include <cstdint>

namespace ShaderTool {

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
    // consumed.
    int Get();
    // Steps back over what the last Get consumed, position, line and column included.
    // Only one step is remembered; after a Get at the end of the text it does nothing.
    void Unget();
    // The next byte without consuming it; 0 at the end.
    int Peek() const;
    int PeekAt(int32_t offset) const;
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

} // namespace ShaderTool
