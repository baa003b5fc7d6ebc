#pragma once

#include "core/array.h"
#include "core/engine_string.h"
#include "core/string_map.h"
#include "shadertool/core/log.h"
#include "shadertool/core/node.h"
#include "shadertool/core/shader_type.h"
#include "shadertool/translator/text_section.h"

#include <cstdarg>
#include <cstdint>

namespace ShaderTool {

class ShaderDescription;

// The stage value of a translator that is not translating.
const uint32_t kStageNone = 3;

// The walk is recursive, one level of nodes costing a few hundred bytes of stack, and
// shaders are translated on game threads with small stacks. A tree nesting deeper than
// kCallerStackLevels is written again on a thread of its own whose stack is reserved for
// the tree's depth, kStackBytesPerLevel a level: the parser builds trees of any depth (a sum
// of many terms nests one level a term), and every one of them must translate or fail
// cleanly, never overflow.
const int32_t kCallerStackLevels = 200;
const uint32_t kStackBytesPerLevel = 2048;

// Base of the source-to-source translators. One walk over a checked tree writes one stage
// of a shader in the target language. The text is built in four sections (header, global
// declarations, prototypes, functions) joined at the end into body, the text the driver
// reads after a successful Translate.
//
// The derived classes change spellings, add the target's interface declarations and file
// header and refuse what the target cannot express, by overriding the virtual operations
// below. Errors never stop the walk: each one is logged and clears succeeded, so one run
// reports all of them.
class Translator {
public:
    TextSection* currentSection;          // bodySection, or globals while a global declaration is written
    StringMap<const char*> functionRenames; // target name of a built-in function by its own name
    TextSection header;                   // file header and interface declarations
    Log& errorLog;                        // the context's error log
    int32_t indentation;                  // one tab per level
    uint32_t shaderLevelMask;             // ShaderLevel bits of the translation
    uint32_t target;                      // the Target being written
    uint32_t stage;                       // ShaderStage, or kStageNone
    uint8_t allowBitwise;                 // the target has bit-wise operators
    uint8_t inFunction;                   // a function body is being written
    TextSection prototypes;
    TextSection globals;
    String body;                          // after success, the whole text; empty otherwise
    size_t bodyLength = 0;                // its length
    // The block body was last given and its size, kept for the next translation's text.
    char* bodyBlock = nullptr;
    size_t bodyCapacity = 0;
    uint8_t succeeded;                    // 1 after a reset; any error clears it

    // The functions: the body section while the walk writes it.
    TextSection bodySection;
    // Nesting of the node being written, and the deepest the walk may go on this stack.
    int32_t depth;
    int32_t depthLimit;
    // The walk passed depthLimit and was cut short: it is written again on a deeper stack.
    uint8_t needsDeeperStack;
    // Functions already written: a prototype and its definition share one node, which
    // may stand in the unit's list twice.
    Array<const Node*> writtenFunctions;
    // Symbols whose declaration has been written. A declaration with one declarator is
    // not wrapped in a declaration list: the statement is the declared Symbol itself (or
    // its "=" node), and a later statement of the same Symbol is a plain expression.
    Array<const Node*> declaredSymbols;
    // GetTypeName's text for a type outside its tables.
    String unusualTypeName;
    // The declaration list a bare declarator is written as. An initialiser declares
    // nothing, so one is in use at a time, and its array keeps its block between statements.
    ListNode bareDeclaration;

    explicit Translator(Log& log);
    virtual ~Translator();
    Translator(const Translator&) = delete;
    Translator& operator=(const Translator&) = delete;

    // Writes one stage of the tree under root (the List at the top of the checked tree).
    // True when no error was reported; the text is then GetText().
    bool Translate(const ShaderDescription& description, uint32_t targetBit, uint32_t levelMask,
                   uint32_t shaderStage, const ListNode* root);

    // The output of the last successful Translate (the body section); "" when empty.
    const char* GetText() const { return body.text ? body.text : ""; }

    // Forgets the run: sections, indentation, target and stage go; the renames, the level
    // mask, allowBitwise and the log stay. Derived classes call the base first.
    virtual void Reset();

    // Writes the name of a built-in callee: constructors by their type name, other
    // functions through functionRenames. Written in place, since every call has one.
    virtual void WriteFunctionName(const FunctionNode* call);

    // The type's name in the target language; never includes the array size. Static or
    // table text (a structure's own name), so that the many declarations allocate nothing.
    virtual const char* GetTypeName(const Type& type);

    // Prepends the target's file header (extensions, precision) to the header section,
    // after the interface declarations have been written into it.
    virtual void WriteHeader();

    // Takes what the stage needs from the description before the walk.
    virtual void SetShaderDescription(const ShaderDescription& description);

    // The initialiser of an array declaration; assignment is the declarator's "=" node,
    // its right operand the initialiser list.
    virtual void WriteArrayInitializer(const OperatorNode* assignment);

    virtual void WriteFunctionCall(const FunctionNode* call);

    // A function with its body. A function without a body (a prototype) writes nothing:
    // the prototype section declares every defined function already.
    virtual void WriteFunctionDefinition(const FunctionNode* function);

    // Statements a function's body starts with before its own, written inside its braces
    // at the body's indentation; the base writes none.
    virtual void WriteFunctionPrologue(const FunctionNode* function);

    // do, for and while loops.
    virtual void WriteIterationStatement(const LoopNode* loop);

    // break, continue, discard and return with its value.
    virtual void WriteJumpStatement(const BranchNode* branch);

    virtual void WriteLiteral(const LiteralNode* literal);

    // Operators in their source form; refuses bit-wise operators when the target has none.
    virtual void WriteOperatorExpression(const OperatorNode* node);

    virtual void WriteIfStatement(const IfNode* node);

    // Appends the target's interface declarations to the header section after the walk.
    virtual void WriteInterfaceStructures(const ShaderDescription& description);

    virtual void WriteSymbol(const SymbolNode* symbol);

    // The head of a for loop, up to the line break before its body.
    virtual void WriteForStatement(const LoopNode* loop);

    // A declaration list: its qualified type name, then its declarators. An array
    // declarator, and a declarator after one, starts a declaration of its own (the type
    // written again by WriteDeclarationType) so that every declarator keeps its own size.
    virtual void WriteVariableDeclaration(const ListNode* list);

    // The start of a declaration: the qualified type name of the list and a blank.
    virtual void WriteDeclarationType(const ListNode* list);

    // One declarator of an array declaration with its size and initialiser. declarator is
    // a Symbol or the "=" Operator of an initialised one.
    virtual void WriteArraySpecifier(const ListNode* list, const Node* declarator);

    // The tail of a do loop or the head of a while loop.
    virtual void WriteWhileStatement(const LoopNode* loop);

    // A condition of an if, a loop or a "?" operator. The base writes the expression; a
    // target that takes only bool conditions converts other scalars.
    virtual void WriteCondition(const Node* condition);

    // The walk.
    void WriteNode(const Node* node);
    void WriteStatementList(const ListNode* list, bool bracesAllowed);
    void WriteStatement(const Node* node, bool indentFirst, bool newline);
    void WriteBranchBody(const Node* node, int indentIt);
    void WriteList(const ListNode* list);
    // Whether node, met as a statement, a for loop's init or a condition, declares a
    // variable without a declaration list around it.
    bool IsBareDeclarator(const Node* node) const;
    // A bare declarator written as a declaration list of its own; anything else as it is.
    void WriteStatementNode(const Node* node);
    // Joins the sections, each but the last followed by an empty line, into body.
    bool JoinSections();
    // An empty body, with no block kept for the next text.
    void ForgetBody();
    // Writes "const " and the type name for a const type, else the type name.
    void WriteQualifiedTypeName(const Type& type);

    // Writes a function's body (a List) in braces, after its prologue.
    void WriteFunctionBody(const FunctionNode* function, const ListNode* body);

    // Output helpers; they append to the current section.
    void Append(const char* text) { currentSection->Append(text); }
    void AppendFormat(const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));
    void WriteIndentation();

    // "Error: %s\n" into the error log; clears succeeded.
    void ReportError(const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));

private:
    // Translate's work on the stack it runs on; the walk stops at depthLimit.
    bool TranslateHere(const ShaderDescription& description, uint32_t targetBit, uint32_t levelMask,
                       uint32_t shaderStage, const ListNode* root, int32_t levels);
    // Translate's work again on a thread whose stack holds a tree of that many levels.
    bool TranslateOnDeepStack(const ShaderDescription& description, uint32_t targetBit, uint32_t levelMask,
                              uint32_t shaderStage, const ListNode* root, int32_t treeDepth);
    static void TranslateOnThread(void* job);
};

// The callee's name of a call or function node ("" when it has none).
inline const char* NodeName(const ListNode* node)
{
    return node && node->name.text ? node->name.text : "";
}

// Operators and built-in calls the targets spell or refuse alike.
bool IsBitwiseOperator(uint32_t op);
bool IsSamplingOperator(uint32_t op);
// "2D", "3D", "Cube" ("CUBE" with capitalCube, as HLSL9's tex functions spell it); "" for
// any other dimension.
const char* TextureDimensionSuffix(uint32_t dimension, bool capitalCube = false);

} // namespace ShaderTool
