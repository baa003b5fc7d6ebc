#pragma once

#include "core/engine_string.h"

namespace ShaderTool {

// Shows another String's text through an empty String slot for one scope, without copying
// it: the translator hands a source's text, thousands of characters, from record to record
// on its way to the tokenizer. The slot gives it back (empty) when the scope ends and never
// frees it; the owner must outlive the scope.
class LentText {
public:
    LentText(String& slot, const String& owner) : slot_(slot) { slot_.text = owner.text; }
    ~LentText() { slot_.text = nullptr; }
    LentText(const LentText&) = delete;
    LentText& operator=(const LentText&) = delete;

private:
    String& slot_;
};

} // namespace ShaderTool
