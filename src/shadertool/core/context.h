#pragma once

#include "core/array.h"
#include "core/byte_buffer.h"
#include "core/engine_string.h"
#include "core/string_map.h"
#include "shadertool/core/builtin_functions.h"
#include "shadertool/core/log.h"
#include "shadertool/core/node.h"
#include "shadertool/core/operator_table.h"
#include "shadertool/core/shader_type.h"
#include "shadertool/core/target.h"

#include <cstddef>
#include <cstdint>

namespace ShaderTool {

class Compiler;
class Tokenizer;
class Preprocessor;
class ShaderXMLReader;
class Translator;
struct ShaderSource;

// Names of the three interface structures through which a shader reaches its inputs,
// outputs and textures.
extern const char* const kInputStructureName;    // "_Input"
extern const char* const kOutputStructureName;   // "_Output"
extern const char* const kTextureStructureName;  // "_Texture"

// The built-in entries at the front of the function table, indexed by callee name: a call
// is resolved among its name's overloads instead of searching some two hundred keys.
// Made when the built-in entries are entered, which is the only time they change.
struct CalleeIndex {
    static const int32_t kSlots = 512;
    int32_t entryCount = 0;        // the built-in entries indexed
    int32_t slots[kSlots];         // per name, its first entry; -1 empty
    Array<int32_t> next;           // per entry, the next entry of the same name; -1 none
};

// The state the parser's semantic actions work on; one instance lives in the translation
// context together with the built-in tables.
struct ParseContext {
    FunctionNode* currentFunction = nullptr;
    BuiltInFunctionTable builtInFunctions;
    // Signature key to function: the built-ins and the source's functions, in insertion order.
    StringMap<FunctionNode*> functions;
    Log* errorLog = nullptr;
    OperatorTable operators;
    // Owner of every node of the tree being built.
    Array<Node*> nodes;
    // Where those nodes are made; emptied with them by DestroyNodes.
    NodeStore nodeStore;
    ListNode* root = nullptr;
    // Structure name to its members (member name to type).
    StringMap<StringMap<Type>> structMembers;
    Array<SymbolNode*> symbols;      // the declaration stack
    // The Symbols that name selected members ("uv" of input.uv, "xyz" of a swizzle), one a
    // name and type: a shader selects the same few members over and over, and each
    // selection making a node of its own, name and all, cost a good part of a parse.
    Array<SymbolNode*> memberSymbols;
    CalleeIndex builtInCallees;
    // The members the interface structures last had in the other stage, per stage and
    // structure (_Input, _Output, _Texture), and the stage of the members they hold now:
    // the units of a shader alternate between the stages, and each finds its own members
    // again instead of making them anew.
    Array<StringMapEntry<Type>*> parkedMembers[kShaderStageCount][3];
    int32_t membersStage = -1;
    Array<int32_t> scopeMarks;       // per open scope, the symbols it declared
    Tokenizer* tokenSource = nullptr;
    String sourceName;
    Array<String> unsetOutputs;
    int32_t returnCount = 0;
    uint32_t stage = kStageVertex;
    uint8_t success = 1;

    ParseContext() = default;
    ~ParseContext();
    ParseContext(const ParseContext&) = delete;
    ParseContext& operator=(const ParseContext&) = delete;

    // Builds the environment every source is checked against: the built-in functions,
    // the operators, the three empty interface structures and the global scope mark.
    void BuildEnvironment(Log* log);

    // "%s(%i:%i) error: %s\n" into the error log with sourceName, or while the token source
    // reads a text, with the name of the file it is in; clears success.
    void ReportError(const SourcePosition& position, const char* format, ...)
        __attribute__((format(gnu_printf, 3, 4)));

    // Deletes every node of the node list and empties it; a second call finds it empty.
    void DestroyNodes();

    // Removes the members of the interface structures; the structures themselves stay.
    void ClearInterfaceStructures();
    // Puts the members the structures hold away for their stage and brings back those they
    // last held for stage, which the unit's set-up then brings up to date.
    void BringInterfaceMembers(uint32_t stage);

    // The member table of a structure, or null when there is none of that name.
    StringMap<Type>* FindStructure(const char* name);
};

// One source of the description that takes part in a translation.
struct TranslationJob {
    ShaderSource* source = nullptr;   // borrowed from the description
    int32_t number = 0;               // 1-based position in the "sources" array
    uint8_t upToDate = 0;
    uint8_t parsedOk = 1;
    uint8_t needsPreprocessing = 1;
};

// What the graphics side hands to a translation.
struct TranslationOptions {
    uint32_t shaderLevel = 0;     // ShaderLevel bits of the renderer
    uint32_t targetMask = 0;      // Target bits to produce
    uint32_t previousStamp = 0;   // newest source stamp of the previous translation, 0 if none
    uint8_t compile = 0;          // compile the translated text
    uint8_t listMacros = 0;       // the preprocessor only lists its macros
    uint8_t preprocessOnly = 0;   // the preprocessed text is the output
    uint8_t reserved = 0;
};

static_assert(sizeof(TranslationOptions) == 16, "TranslationOptions layout");
static_assert(offsetof(TranslationOptions, targetMask) == 4, "TranslationOptions layout");
static_assert(offsetof(TranslationOptions, previousStamp) == 8, "TranslationOptions layout");
static_assert(offsetof(TranslationOptions, compile) == 12, "TranslationOptions layout");
static_assert(offsetof(TranslationOptions, preprocessOnly) == 14, "TranslationOptions layout");

struct TargetCapabilities {
    uint8_t multiplePixelOutputs = 0;
    uint8_t textures3D = 0;
};

// The shader translator's single global state (g_shaderContext), built before the
// program starts and destroyed at exit. It has no lock of its own: callers hold the
// engine's "ShaderTranslator" lock from a read or translation until the reset.
//
// The tokenizer, the preprocessor and the Shader XML reader are owned through pointers
// so that this header does not pull in their definitions; the context makes them at
// construction and deletes them at destruction. The compiler and translator slots stay
// empty until the translator is initialised for the renderer's targets.
class Context {
public:
    String outputName;
    Compiler* compilers[kTargetFamilyCount];   // owned; null until needed
    Log errorLog;                              // the messages of the current step
    Log reportLog;                             // what the engine shows
    String outputDirectory;                    // empty, or ends in '/' or '\'
    ParseContext parse;                        // with the built-in function and operator tables
    Tokenizer* tokenizer;                      // the language parser's token source (owned)
    Preprocessor* preprocessor;                // with its built-in macros (owned)
    ByteBuffer codeBuffers[kShaderStageCount]; // per stage: vertex, pixel
    ShaderXMLReader* reader;                   // holds the current ShaderDescription (owned)
    Array<TranslationJob> jobs;
    Translator* translators[kTargetCount];     // owned; null until needed
    TargetCapabilities capabilities[kTargetCount];
    TranslationOptions options;
    uint32_t ownTargetMasks[kShaderStageCount]; // per stage: targets that have a source of their own
    int32_t newestStamp;                       // newest source time stamp of the run
    uint8_t skipUpToDate;

    Context();
    ~Context();
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    // The capability flags of a single target bit; null for anything else.
    const TargetCapabilities* GetCapabilities(uint32_t target) const;
};

} // namespace ShaderTool

// Constructed by the start-up initialisers (src/engine/globals.cpp).
extern ShaderTool::Context g_shaderContext;

// The shader parser's default block: the first word 0, the last 1; the parser sets the
// words between before use.
const int kParserDefaultStateWords = 37;
extern int32_t g_shaderParserDefaultState[kParserDefaultStateWords];
