#pragma once

#include "core/array.h"
#include "core/engine_string.h"
#include "shadertool/core/log.h"
#include "shadertool/preprocess/directive_parser.h"
#include "shadertool/preprocess/macro_substitution.h"
#include "shadertool/preprocess/text_builder.h"
#include "shadertool/preprocess/tokenizer.h"

#include <cstdint>

namespace ShaderTool {

class ShaderDescription;

// Turns one shader source into plain text for one target: strips comments, runs the
// directives (define, if, elif, else, endif, include), and replaces macro names in the
// kept text by their values. Built-in macros name pi, the targets and their groups; each
// run adds the target's own macros and one macro per general constant of the Shader XML.
// Errors go to the error log as "%s(%i:%i) error: %s\n" and fail the run.
class Preprocessor : public DirectiveActions {
public:
    static const int32_t kMaxIfDepth = 7;

    const ShaderDescription* description = nullptr;   // of the current run
    Array<Macro> macros;           // the built-in macros first, then those of the run
    Log* errorLog = nullptr;
    String output;                 // the preprocessed text of the last run
    PreprocessorTokenizer tokenizer;
    int32_t builtInMacroCount = 0;
    int32_t depth = 0;             // nesting of if directives, 0 to 7
    int32_t conditionStack[kMaxIfDepth + 1] = {};
    uint32_t newestTime = 0;       // newest modification time of the files read
    uint8_t ok = 1;
    uint8_t trackTimes = 0;        // read the files' times (the translator's up-to-date check)

    explicit Preprocessor(Log* log = nullptr);
    Preprocessor(const Preprocessor&) = delete;
    Preprocessor& operator=(const Preprocessor&) = delete;

    // One source for one target (a single Target bit). With listMacros the macros are
    // only listed into the error log. True when the output is ready.
    bool Run(const ShaderDescription* shaderDescription, uint32_t target, const SourceInput& input,
             bool listMacros);
    // Forgets the last run; the built-in macros stay.
    void Reset();

    // The first macro of that name, or null.
    const Macro* FindMacro(const char* name) const;

    // DirectiveActions
    void BeginDirective(int32_t keywordKind) override;
    void OnOrdinaryLine() override;
    void OnDefine(const Token& name, const PreprocessorValue* value) override;
    void OnIf(const Token& keyword, const PreprocessorValue& value) override;
    void OnElif(const Token& keyword, const PreprocessorValue& value) override;
    void OnElse(const Token& keyword) override;
    void OnEndif(const Token& keyword) override;
    void OnInclude(const Token& keyword, const Token& path) override;
    PreprocessorValue ResolveName(const Token& name) override;
    PreprocessorValue IsDefined(const Token& name) override;
    PreprocessorValue CallFunction(const FunctionCall& call) override;
    void OnValueError(ValueError error, int32_t line, int32_t column) override;
    void OnParseError(int32_t line, int32_t column, const char* message) override;

private:
    // An included file whose text is still being read: its path and where the marker
    // that returns to the including file begins.
    struct IncludeFrame {
        String path;
        int32_t exitPosition = 0;
    };

    // A file may stand in its own include chain this many times. Guarded headers that include
    // each other stand there at most twice; a loop that ends needs a new #define every round,
    // and nothing can undefine one, so only a loop that never ends gets this far.
    static const int32_t kMostVisitsInChain = 16;

    void AddMacro(const char* name, const PreprocessorValue& value);
    void AddBuiltInMacros();
    void AddRunMacros(uint32_t target);
    void ListMacros();
    bool IsActive() const { return conditionStack[depth] == 1; }
    void Report(int32_t line, int32_t column, const char* format, ...) __attribute__((format(gnu_printf, 4, 5)));

    void IncludeFile(const Token& keyword, const char* name);
    void DropFinishedIncludes();
    int32_t TimesInChain(const char* path) const;
    void RaiseNewestTime(const char* path);

    TextBuilder text_;              // output while it is built
    String topFileName_;            // the run's own source
    Array<IncludeFrame> includes_;  // innermost last
    bool directiveActs_ = true;     // the current directive's expression decides something
};

} // namespace ShaderTool
