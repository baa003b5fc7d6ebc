#pragma once

// The semantic actions the shader grammar calls at its reductions, and the whole-unit
// check that runs the parser. The actions build the syntax tree (every node goes to the
// context's node list), keep the symbol and function tables, type every expression,
// insert int-to-float conversions and report every error as
// "%s(%i:%i) error: %s\n" with the context's source name, clearing context.success.
// Reporting never stops the parse: each action leaves a node the next one can use.

#include "shadertool/core/builtin_functions.h"
#include "shadertool/core/context.h"
#include "shadertool/core/node.h"
#include "shadertool/core/shader_type.h"
#include "shadertool/preprocess/tokenizer.h"

#include <cstdint>

namespace ShaderTool {

class ShaderDescription;
struct ShaderSource;

// A name the parser read: its text (kept by the parser while the parse runs) and where it
// starts.
struct SourceName {
    const char* text;
    int32_t column;
    int32_t line;
};

// What the parser hands over for a type: base kind, constructor id (kNoConstructor when
// the type has none), texture dimension, array size (0 no array, -1 for "[]" without a
// size), vector size, matrix size and qualifiers.
// Kept small: the parser copies it with every value of its stacks.
struct TypeSpecifier {
    uint8_t baseKind = kBaseNone;
    uint8_t constructorId = kNoConstructor;
    uint8_t textureDimension = kTextureNone;
    int32_t arraySize = 0;
    int8_t vectorSize = 0;
    int8_t matrixSize = 0;
    uint8_t qualifiers = 0;

    // A texture keeps only its dimension; a matrix size of 1 or more gives a Float matrix
    // (vector size 0); anything else takes base kind and vector size as they are. Array
    // size and qualifiers are copied.
    Type ToType() const;
};

static_assert(sizeof(TypeSpecifier) == 12, "a small record the parser copies");

// The specifier of a type keyword's token kind (kTokenFloat3, kTokenVoid, ...); a kind
// that names no type gives the None specifier.
TypeSpecifier TypeSpecifierForKeyword(int32_t tokenKind);

// ---- The whole unit ----

// Resets the context (ResetTranslationUnit), enters the built-in functions, starts the
// token source on source (its text read as it is, without comment stripping; its path is
// the name in messages and its stage the unit's stage), sets up the interface structures,
// "texture" and the stage's constants from description, runs Parse and makes the checks
// that need the whole unit: no function reaching itself through its calls, main defined,
// referenced prototypes defined, every vertex output set. A parse that fails, or lexical errors the tokenizer
// reported, fail the unit. Answers context.success.
bool CheckTranslationUnit(ParseContext& context, const ShaderDescription& description, const ShaderSource& source);

// Everything a previous unit left: current function, the source's functions (the built-in
// entries, which never change, stay at the front of the table), root, symbol stack (one
// mark for the global scope stays), every node, the token source, unset outputs, return
// count; success 1. The interface structures' members are replaced when the next unit
// sets them up (members that match are kept). The driver's reset calls it.
void ResetTranslationUnit(ParseContext& context);

// The translation unit's top list, handed over by the parser once the unit is complete.
void SetRoot(ParseContext& context, ListNode* list);

// ---- Scopes and names ----

void PushScope(ParseContext& context);
// Closes the innermost scope; its symbols leave the stack (their nodes stay in the tree).
// The global scope is never closed.
void PopScope(ParseContext& context);

// The declaration's Symbol node itself (a reference and its declaration are one node);
// without a declaration, "undeclared identifier '%s'." and a new Symbol of type None with
// an empty name, so checking goes on.
SymbolNode* ReferenceIdentifier(ParseContext& context, const SourceName& name, const SourcePosition& position);

// ---- Functions ----

// Return type and parameter checks: node is the Function node of a function header (its
// type is the return type) or a parameter Symbol (an unnamed parameter has an empty name).
void CheckParameter(ParseContext& context, Node* node);

// A prototype (isDefinition false, at the end of the prototype) or a definition (true,
// before its body is parsed). Answers the node that stays in the tree: a definition of a
// function prototyped earlier is merged into the prototype's node, which is answered, and
// function is destroyed; otherwise function itself.
FunctionNode* DeclareFunction(ParseContext& context, FunctionNode* function, bool isDefinition);

// Makes function current, opens its scope and declares its parameters (for "main" also
// "input" and "output"). The parser appends the body to function->children and then
// calls EndFunctionBody and PopScope.
void BeginFunctionBody(ParseContext& context, FunctionNode* function);
// The "must return a value" check; the current function is cleared.
void EndFunctionBody(ParseContext& context);

// Counts the return statement and checks it against the current function; an Int value
// returned from a Float function is converted (branch->value replaced).
void CheckReturn(ParseContext& context, BranchNode* branch);

// ---- Declarations ----

// Array size and initializer-list checks for an array declarator; an unsized array
// ("[]", size -1) takes the list's item count into type. A matching list takes the
// declared type. Call before DeclareVariable.
void CheckArrayDeclarator(ParseContext& context, TypeSpecifier& type, ListNode* initializerList,
                          const SourcePosition& position);

// Declares a variable of type named name. Without an initializer answers the Symbol;
// with one, an Operator node "=" at assignPosition (flag kNodeFlagDeclarationInitializer)
// over the Symbol and the initializer, checked by CheckOperator.
Node* DeclareVariable(ParseContext& context, const SourceName& name, Node* initializer,
                      const SourcePosition& assignPosition, const TypeSpecifier& type);

// A further declarator of a declaration ("float a[2], b = 1;"). previous is what the
// declaration has so far: a declaration list (op 49), or the first declarator's result
// (its Symbol or "=" node), which then becomes the first item of a new declaration list
// carrying its declared type. The new variable takes the declared type without an array
// size. Answers the list, every declarator in source order.
ListNode* AddDeclarator(ParseContext& context, Node* previous, const SourceName& name, Node* initializer,
                        const SourcePosition& assignPosition);

// ---- Expressions ----

// A Literal of baseKind (kBaseInt, kBaseFloat or kBaseBool) with the token's text.
LiteralNode* MakeLiteral(ParseContext& context, uint32_t baseKind, const char* text, const SourcePosition& position);

// Starts a call of the function named by identifier (op 47), or of the constructor of
// type (its constructor id, the long type name, isBuiltIn 1). The argument list
// (call->Parameters()) is empty; the parser appends the arguments, then calls ResolveCall.
FunctionNode* BeginCall(ParseContext& context, const SourceName& identifier, const SourcePosition& position);
FunctionNode* BeginCall(ParseContext& context, const TypeSpecifier& type, const SourcePosition& position);

// Overload resolution: the call takes the first matching overload's result type (and a
// built-in's id); Int arguments the overload takes as Float are converted in the list.
void ResolveCall(ParseContext& context, FunctionNode* call);

// Every unary, binary, assignment and conditional operator, and the parentheses (op 1,
// which take their operand's type): node's operands are set to left and right (right
// null for a unary operator), every operator that writes its operand (the eleven
// assignments, "++" and "--") gets the l-value check, then the operator table resolves
// the node. A null left operand does nothing.
void CheckOperator(ParseContext& context, OperatorNode* node, Node* left, Node* right);

// base[index]: an array element (an index of any type), or the table's vector and matrix
// indexing. A written index past either end reports "index is out of range.".
void CheckIndex(ParseContext& context, OperatorNode* node, Node* base, Node* index);

// base.member: a member of an interface structure, or a swizzle of a vector.
void SelectMember(ParseContext& context, OperatorNode* node, Node* base, const SourceName& member);

// The condition of an if, while, do-while or for, or of a for without one (null, which
// is answered as it is). Only checks: a Bool or Int condition that is no array passes as
// written; anything else reports "expression must be a boolean expression.". The parser
// puts the answer in the tree.
Node* CheckCondition(ParseContext& context, Node* condition);

// Before "discard": only the pixel stage allows it.
void CheckPixelOnly(ParseContext& context, const SourcePosition& position);

} // namespace ShaderTool
