#pragma once

#include "core/array.h"
#include "core/engine_string.h"
#include "core/string_map.h"
#include "shadertool/core/builtin_functions.h"
#include "shadertool/core/log.h"
#include "shadertool/core/node.h"
#include "shadertool/core/operator_table.h"
#include "shadertool/core/shader_type.h"
#include "shadertool/core/source_position.h"
#include "shadertool/core/target.h"

#include <cstdint>

namespace ShaderTool {

class Tokenizer;

// Names of the three interface structures through which a shader reaches its inputs,
// outputs and textures.
extern const char* const kInputStructureName;    // "_Input"
extern const char* const kOutputStructureName;   // "_Output"
extern const char* const kTextureStructureName;  // "_Texture"

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
    ListNode* root = nullptr;
    // Structure name to its members (member name to type).
    StringMap<StringMap<Type>> structMembers;
    Array<SymbolNode*> symbols;      // the declaration stack
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

    // "%s(%i:%i) error: %s\n" with sourceName into the error log; clears success.
    void ReportError(const SourcePosition& position, const char* format, ...)
        __attribute__((format(gnu_printf, 3, 4)));

    // Deletes every node of the node list and empties it; a second call finds it empty.
    void DestroyNodes();

    // Removes the members of the interface structures; the structures themselves stay.
    void ClearInterfaceStructures();

    // The member table of a structure, or null when there is none of that name.
    StringMap<Type>* FindStructure(const char* name);
};

} // namespace ShaderTool
