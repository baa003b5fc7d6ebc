/* The shader language's LALR(1) grammar. bison turns it into the parser at build time
   (shader_grammar.cmake); each rule carries its number in a comment, 1 being the start rule
   "translation_unit end-of-input" that bison adds itself (bison's own reports count from 0,
   one lower), so that every action can be read against the rule it belongs to. The actions build the tree through the semantic actions,
   which make the checks and report their own errors without stopping the parse. */

%require "3.2"
%define api.pure full
%define api.prefix {qvsl}
%define api.value.type {ShaderTool::ParserValue}
%parse-param {ShaderTool::ParserState* state}
%lex-param {ShaderTool::ParserState* state}
/* The one conflict is the dangling else, which binds to the nearest if (shift). */
%expect 1

%code requires {
#include "shadertool/parser/parser_state.h"
}

%code {
#include "shadertool/core/context.h"
#include "shadertool/parser/parser.h"
#include "shadertool/semantic/semantic_actions.h"

#include <climits>

/* The stacks start with room for 200 entries and double when full, up to 10000; a text
   nesting deeper ends the parse with "memory exhausted" rather than growing without bound. */
#define YYINITDEPTH 200
#define YYMAXDEPTH 10000

using namespace ShaderTool;

namespace {

int qvsllex(ParserValue* value, ParserState* state) { return state->ReadToken(value); }
void qvslerror(ParserState* state, const char* message) { state->ReportSyntaxError(message); }

ParseContext& ContextOf(ParserState* state) { return *state->context; }

/* An Operator node at position over left and right (null for a unary operator), resolved. */
Node* MakeOperator(ParserState* state, uint32_t op, const SourcePosition& position, Node* left, Node* right)
{
    OperatorNode* node = CreateOperatorNode(ContextOf(state), op, position);
    CheckOperator(ContextOf(state), node, left, right);
    return node;
}

FunctionNode* AsFunction(Node* node)
{
    return node && (node->kind == kNodeFunction || node->kind == kNodeCall) ? static_cast<FunctionNode*>(node) : nullptr;
}

/* The parameter or argument list of a function header or call. */
ListNode* ParametersOf(Node* node)
{
    FunctionNode* function = AsFunction(node);
    return function ? function->Parameters() : nullptr;
}

/* An array size as written: the literal's digits read as a decimal number, kept within
   range however many there are. */
int32_t ReadArraySize(const char* text)
{
    int64_t size = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        size = size * 10 + (*text - '0');
        if (size > INT32_MAX)
            return INT32_MAX;
    }
    return static_cast<int32_t>(size);
}

/* A new statement list holding node, or an empty one. */
ListNode* NewList(ParserState* state, Node* node, const SourcePosition& position)
{
    ListNode* list = CreateListNode(ContextOf(state), kOpStatementList, position);
    AppendToList(list, node);
    return list;
}

ListNode* EmptyBlock(ParserState* state, const SourcePosition& position)
{
    ListNode* block = NewList(state, nullptr, position);
    MarkAsBlock(block);
    return block;
}

/* What the unit keeps at the place of a prototype: a Function node of its own with copies
   of the parameters and no body. The function table's node is merged with the definition
   when that comes (and loses its parameter list then), so the unit must not hold it twice:
   it would be written as a definition in both places. */
FunctionNode* PrototypeEntry(ParserState* state, FunctionNode* function)
{
    FunctionNode* entry = CreateFunctionNode(ContextOf(state), kNodeFunction, function->op, function->name.text,
                                             function->Position());
    entry->type = function->type;
    entry->signatureKey = function->signatureKey;
    if (ListNode* parameters = function->Parameters()) {
        for (int i = 0; i < parameters->children.count; ++i) {
            Node* parameter = parameters->children.data[i];
            if (!parameter || parameter->kind != kNodeSymbol)
                continue;
            SymbolNode* symbol = static_cast<SymbolNode*>(parameter);
            AppendToList(entry->Parameters(),
                         CreateSymbolNode(ContextOf(state), symbol->type, symbol->name.text, symbol->Position()));
        }
    }
    return entry;
}

} // namespace
}

/* Terminals, numbered 258 to 332 in this order. */
%token QVSL_BOOL QVSL_FLOAT QVSL_FLOAT2 QVSL_FLOAT2X2 QVSL_FLOAT3 QVSL_FLOAT3X3 QVSL_FLOAT4 QVSL_FLOAT4X4
%token QVSL_INT QVSL_INT2 QVSL_INT3 QVSL_INT4 QVSL_VOID QVSL_TEXTURE2D QVSL_TEXTURE3D QVSL_TEXTURECUBE
%token QVSL_BREAK QVSL_CONST QVSL_CONTINUE QVSL_DISCARD QVSL_DO QVSL_ELSE QVSL_FOR QVSL_IF QVSL_RETURN QVSL_WHILE
%token QVSL_BOOL_CONSTANT QVSL_FLOAT_CONSTANT QVSL_IDENTIFIER QVSL_INT_CONSTANT
%token QVSL_DECREASE_OP QVSL_INCREASE_OP QVSL_LEFT_SHIFT_OP QVSL_RIGHT_SHIFT_OP
%token QVSL_GREATER_THAN_EQUAL_OP QVSL_LESS_THAN_EQUAL_OP QVSL_EQUAL_OP QVSL_NOT_EQUAL_OP
%token QVSL_LOGICAL_AND_OP QVSL_LOGICAL_OR_OP
%token QVSL_ASSIGN_ADD QVSL_ASSIGN_AND QVSL_ASSIGN_DIVIDE QVSL_ASSIGN_LEFT_SHIFT QVSL_ASSIGN_MODULO
%token QVSL_ASSIGN_MULTIPLY QVSL_ASSIGN_OR QVSL_ASSIGN_RIGHT_SHIFT QVSL_ASSIGN_SUBTRACT QVSL_ASSIGN_XOR
%token QVSL_AMPERSAND QVSL_ASTERISK QVSL_CARET QVSL_COLON QVSL_COMMA QVSL_DASH QVSL_EQUAL QVSL_EXCLAMATION
%token QVSL_PERCENT QVSL_PERIOD QVSL_PLUS QVSL_QUESTION QVSL_SEMICOLON QVSL_SLASH QVSL_TILDE QVSL_VERTICAL_BAR
%token QVSL_LEFT_BRACE QVSL_LEFT_BRACKET QVSL_LEFT_CHEVRON QVSL_LEFT_PARENTHESIS
%token QVSL_RIGHT_BRACE QVSL_RIGHT_BRACKET QVSL_RIGHT_CHEVRON QVSL_RIGHT_PARENTHESIS
%token QVSL_RESERVED

%start translation_unit

%%

variable_identifier
    : QVSL_IDENTIFIER   /* 2 */
        { $$.node = ReferenceIdentifier(ContextOf(state), state->NameOf($1), $1.position); }
    ;

primary_expression
    : variable_identifier   /* 3 */
    | QVSL_INT_CONSTANT     /* 4 */
        { $$.node = MakeLiteral(ContextOf(state), kBaseInt, state->Text($1), $1.position); }
    | QVSL_FLOAT_CONSTANT   /* 5 */
        { $$.node = MakeLiteral(ContextOf(state), kBaseFloat, state->Text($1), $1.position); }
    | QVSL_BOOL_CONSTANT    /* 6 */
        { $$.node = MakeLiteral(ContextOf(state), kBaseBool, state->Text($1), $1.position); }
    | QVSL_LEFT_PARENTHESIS expression QVSL_RIGHT_PARENTHESIS   /* 7 */
        { $$.node = MakeOperator(state, kOpParentheses, $1.position, $2.node, nullptr); }
    ;

postfix_expression
    : primary_expression   /* 8 */
    | postfix_expression QVSL_LEFT_BRACKET integer_expression QVSL_RIGHT_BRACKET   /* 9 */
        {
            OperatorNode* node = CreateOperatorNode(ContextOf(state), kOpIndex, $2.position);
            CheckIndex(ContextOf(state), node, $1.node, $3.node);
            $$.node = node;
        }
    | function_call   /* 10 */
    | postfix_expression QVSL_PERIOD QVSL_IDENTIFIER   /* 11 */
        {
            OperatorNode* node = CreateOperatorNode(ContextOf(state), kOpMemberSelect, $2.position);
            SelectMember(ContextOf(state), node, $1.node, state->NameOf($3));
            $$.node = node;
        }
    | postfix_expression QVSL_INCREASE_OP   /* 12 */
        { $$.node = MakeOperator(state, kOpPostIncrement, $2.position, $1.node, nullptr); }
    | postfix_expression QVSL_DECREASE_OP   /* 13 */
        { $$.node = MakeOperator(state, kOpPostDecrement, $2.position, $1.node, nullptr); }
    ;

integer_expression
    : expression   /* 14 */
    ;

function_call
    : function_call_or_method   /* 15 */
    ;

function_call_or_method
    : function_call_generic   /* 16 */
        { ResolveCall(ContextOf(state), AsFunction($1.node)); }
    ;

function_call_generic
    : function_call_header_with_parameters QVSL_RIGHT_PARENTHESIS   /* 17 */
    | function_call_header_no_parameters QVSL_RIGHT_PARENTHESIS     /* 18 */
    ;

function_call_header_no_parameters
    : function_call_header   /* 19 */
    ;

function_call_header_with_parameters
    : function_call_header assignment_expression   /* 20 */
        { AppendToList(ParametersOf($1.node), $2.node); }
    | function_call_header_with_parameters QVSL_COMMA assignment_expression   /* 21 */
        { AppendToList(ParametersOf($1.node), $3.node); }
    ;

function_call_header
    : function_identifier QVSL_LEFT_PARENTHESIS   /* 22 */
        {
            if ($1.isType)
                $$.node = BeginCall(ContextOf(state), $1.type, $1.position);
            else
                $$.node = BeginCall(ContextOf(state), state->NameOf($1), $1.position);
        }
    ;

function_identifier
    : type_specifier    /* 23 */
        { $$.isType = 1; }
    | QVSL_IDENTIFIER   /* 24 */
        { $$.isType = 0; }
    ;

unary_expression
    : postfix_expression   /* 25 */
    | QVSL_INCREASE_OP unary_expression   /* 26 */
        { $$.node = MakeOperator(state, kOpPreIncrement, $1.position, $2.node, nullptr); }
    | QVSL_DECREASE_OP unary_expression   /* 27 */
        { $$.node = MakeOperator(state, kOpPreDecrement, $1.position, $2.node, nullptr); }
    | unary_operator unary_expression     /* 28 */
        { $$.node = MakeOperator(state, $1.op, $1.position, $2.node, nullptr); }
    ;

unary_operator
    : QVSL_PLUS          /* 29 */ { $$.op = kOpUnaryPlus; }
    | QVSL_DASH          /* 30 */ { $$.op = kOpNegate; }
    | QVSL_EXCLAMATION   /* 31 */ { $$.op = kOpLogicalNot; }
    | QVSL_TILDE         /* 32 */ { $$.op = kOpBitwiseNot; }
    ;

multiplicative_expression
    : unary_expression   /* 33 */
    | multiplicative_expression QVSL_ASTERISK unary_expression   /* 34 */
        { $$.node = MakeOperator(state, kOpMultiply, $2.position, $1.node, $3.node); }
    | multiplicative_expression QVSL_SLASH unary_expression      /* 35 */
        { $$.node = MakeOperator(state, kOpDivide, $2.position, $1.node, $3.node); }
    | multiplicative_expression QVSL_PERCENT unary_expression    /* 36 */
        { $$.node = MakeOperator(state, kOpModulo, $2.position, $1.node, $3.node); }
    ;

additive_expression
    : multiplicative_expression   /* 37 */
    | additive_expression QVSL_PLUS multiplicative_expression   /* 38 */
        { $$.node = MakeOperator(state, kOpAdd, $2.position, $1.node, $3.node); }
    | additive_expression QVSL_DASH multiplicative_expression   /* 39 */
        { $$.node = MakeOperator(state, kOpSubtract, $2.position, $1.node, $3.node); }
    ;

shift_expression
    : additive_expression   /* 40 */
    | shift_expression QVSL_LEFT_SHIFT_OP additive_expression    /* 41 */
        { $$.node = MakeOperator(state, kOpLeftShift, $2.position, $1.node, $3.node); }
    | shift_expression QVSL_RIGHT_SHIFT_OP additive_expression   /* 42 */
        { $$.node = MakeOperator(state, kOpRightShift, $2.position, $1.node, $3.node); }
    ;

relational_expression
    : shift_expression   /* 43 */
    | relational_expression QVSL_LEFT_CHEVRON shift_expression            /* 44 */
        { $$.node = MakeOperator(state, kOpLess, $2.position, $1.node, $3.node); }
    | relational_expression QVSL_RIGHT_CHEVRON shift_expression           /* 45 */
        { $$.node = MakeOperator(state, kOpGreater, $2.position, $1.node, $3.node); }
    | relational_expression QVSL_LESS_THAN_EQUAL_OP shift_expression      /* 46 */
        { $$.node = MakeOperator(state, kOpLessEqual, $2.position, $1.node, $3.node); }
    | relational_expression QVSL_GREATER_THAN_EQUAL_OP shift_expression   /* 47 */
        { $$.node = MakeOperator(state, kOpGreaterEqual, $2.position, $1.node, $3.node); }
    ;

equality_expression
    : relational_expression   /* 48 */
    | equality_expression QVSL_EQUAL_OP relational_expression       /* 49 */
        { $$.node = MakeOperator(state, kOpEqual, $2.position, $1.node, $3.node); }
    | equality_expression QVSL_NOT_EQUAL_OP relational_expression   /* 50 */
        { $$.node = MakeOperator(state, kOpNotEqual, $2.position, $1.node, $3.node); }
    ;

and_expression
    : equality_expression   /* 51 */
    | and_expression QVSL_AMPERSAND equality_expression   /* 52 */
        { $$.node = MakeOperator(state, kOpBitwiseAnd, $2.position, $1.node, $3.node); }
    ;

exclusive_or_expression
    : and_expression   /* 53 */
    | exclusive_or_expression QVSL_CARET and_expression   /* 54 */
        { $$.node = MakeOperator(state, kOpBitwiseXor, $2.position, $1.node, $3.node); }
    ;

inclusive_or_expression
    : exclusive_or_expression   /* 55 */
    | inclusive_or_expression QVSL_VERTICAL_BAR exclusive_or_expression   /* 56 */
        { $$.node = MakeOperator(state, kOpBitwiseOr, $2.position, $1.node, $3.node); }
    ;

logical_and_expression
    : inclusive_or_expression   /* 57 */
    | logical_and_expression QVSL_LOGICAL_AND_OP inclusive_or_expression   /* 58 */
        { $$.node = MakeOperator(state, kOpLogicalAnd, $2.position, $1.node, $3.node); }
    ;

logical_or_expression
    : logical_and_expression   /* 59 */
    | logical_or_expression QVSL_LOGICAL_OR_OP logical_and_expression   /* 60 */
        { $$.node = MakeOperator(state, kOpLogicalOr, $2.position, $1.node, $3.node); }
    ;

conditional_expression
    : logical_or_expression   /* 61 */
    | logical_or_expression QVSL_QUESTION expression QVSL_COLON assignment_expression   /* 62 */
        {
            Node* alternatives = MakeOperator(state, kOpAlternatives, $4.position, $3.node, $5.node);
            $$.node = MakeOperator(state, kOpConditional, $2.position, $1.node, alternatives);
        }
    ;

assignment_expression
    : conditional_expression   /* 63 */
    | unary_expression assignment_operator assignment_expression   /* 64 */
        { $$.node = MakeOperator(state, $2.op, $2.position, $1.node, $3.node); }
    ;

assignment_operator
    : QVSL_EQUAL                /* 65 */ { $$.op = kOpAssign; }
    | QVSL_ASSIGN_MULTIPLY      /* 66 */ { $$.op = kOpMultiplyAssign; }
    | QVSL_ASSIGN_DIVIDE        /* 67 */ { $$.op = kOpDivideAssign; }
    | QVSL_ASSIGN_MODULO        /* 68 */ { $$.op = kOpModuloAssign; }
    | QVSL_ASSIGN_ADD           /* 69 */ { $$.op = kOpAddAssign; }
    | QVSL_ASSIGN_SUBTRACT      /* 70 */ { $$.op = kOpSubtractAssign; }
    | QVSL_ASSIGN_LEFT_SHIFT    /* 71 */ { $$.op = kOpLeftShiftAssign; }
    | QVSL_ASSIGN_RIGHT_SHIFT   /* 72 */ { $$.op = kOpRightShiftAssign; }
    | QVSL_ASSIGN_AND           /* 73 */ { $$.op = kOpAndAssign; }
    | QVSL_ASSIGN_XOR           /* 74 */ { $$.op = kOpXorAssign; }
    | QVSL_ASSIGN_OR            /* 75 */ { $$.op = kOpOrAssign; }
    ;

expression
    : assignment_expression   /* 76 */
    ;

declaration
    : function_prototype QVSL_SEMICOLON   /* 77 */
        { $$.node = DeclareFunction(ContextOf(state), AsFunction($1.node), false); }
    | init_declarator_list QVSL_SEMICOLON   /* 78 */
    ;

function_prototype
    : function_declarator QVSL_RIGHT_PARENTHESIS   /* 79 */
    ;

function_declarator
    : function_header                    /* 80 */
    | function_header_with_parameters    /* 81 */
    ;

function_header_with_parameters
    : function_header parameter_declaration   /* 82 */
        { AppendToList(ParametersOf($1.node), $2.node); }
    | function_header_with_parameters QVSL_COMMA parameter_declaration   /* 83 */
        { AppendToList(ParametersOf($1.node), $3.node); }
    ;

function_header
    : fully_specified_type QVSL_IDENTIFIER QVSL_LEFT_PARENTHESIS   /* 84 */
        {
            FunctionNode* function = CreateFunctionNode(ContextOf(state), kNodeFunction, kOpFunction,
                                                        state->Text($2), $2.position);
            function->type = $1.type.ToType();
            CheckParameter(ContextOf(state), function);
            $$.node = function;
        }
    ;

parameter_declarator
    : type_specifier QVSL_IDENTIFIER   /* 85 */
        { $$.node = CreateSymbolNode(ContextOf(state), $1.type.ToType(), state->Text($2), $2.position); }
    ;

parameter_declaration
    : type_qualifier parameter_declarator   /* 86 */
        {
            static_cast<SymbolNode*>($2.node)->type.qualifiers |= $1.type.qualifiers;
            CheckParameter(ContextOf(state), $2.node);
            $$.node = $2.node;
        }
    | parameter_declarator   /* 87 */
        { CheckParameter(ContextOf(state), $1.node); }
    | type_qualifier parameter_type_specifier   /* 88 */
        {
            TypeSpecifier type = $2.type;
            type.qualifiers |= $1.type.qualifiers;
            $$.node = CreateSymbolNode(ContextOf(state), type.ToType(), "", $2.position);
            CheckParameter(ContextOf(state), $$.node);
        }
    | parameter_type_specifier   /* 89 */
        {
            $$.node = CreateSymbolNode(ContextOf(state), $1.type.ToType(), "", $1.position);
            CheckParameter(ContextOf(state), $$.node);
        }
    ;

parameter_type_specifier
    : type_specifier   /* 90 */
    ;

init_declarator_list
    : single_declaration   /* 91 */
    | init_declarator_list QVSL_COMMA QVSL_IDENTIFIER   /* 92 */
        { $$.node = AddDeclarator(ContextOf(state), $1.node, state->NameOf($3), nullptr, $3.position); }
    | init_declarator_list QVSL_COMMA QVSL_IDENTIFIER QVSL_EQUAL initializer   /* 93 */
        { $$.node = AddDeclarator(ContextOf(state), $1.node, state->NameOf($3), $5.node, $4.position); }
    ;

single_declaration
    : fully_specified_type QVSL_IDENTIFIER   /* 94 */
        { $$.node = DeclareVariable(ContextOf(state), state->NameOf($2), nullptr, $2.position, $1.type); }
    | fully_specified_type QVSL_IDENTIFIER array_specifier   /* 95 */
        {
            TypeSpecifier type = $1.type;
            type.arraySize = $3.type.arraySize;
            CheckArrayDeclarator(ContextOf(state), type, nullptr, $3.position);
            $$.node = DeclareVariable(ContextOf(state), state->NameOf($2), nullptr, $2.position, type);
        }
    | fully_specified_type QVSL_IDENTIFIER array_specifier QVSL_EQUAL QVSL_LEFT_BRACE initializer_list QVSL_RIGHT_BRACE   /* 96 */
        {
            TypeSpecifier type = $1.type;
            type.arraySize = $3.type.arraySize;
            ListNode* items = static_cast<ListNode*>($6.node);
            CheckArrayDeclarator(ContextOf(state), type, items, $3.position);
            $$.node = DeclareVariable(ContextOf(state), state->NameOf($2), items, $4.position, type);
        }
    | fully_specified_type QVSL_IDENTIFIER QVSL_EQUAL initializer   /* 97 */
        { $$.node = DeclareVariable(ContextOf(state), state->NameOf($2), $4.node, $3.position, $1.type); }
    ;

fully_specified_type
    : type_specifier   /* 98 */
    | type_qualifier type_specifier   /* 99 */
        {
            $$.type = $2.type;
            $$.type.qualifiers |= $1.type.qualifiers;
        }
    ;

type_qualifier
    : single_type_qualifier   /* 100 */
    ;

single_type_qualifier
    : storage_qualifier   /* 101 */
    ;

storage_qualifier
    : QVSL_CONST   /* 102 */
        {
            $$.type = TypeSpecifier();
            $$.type.qualifiers = kQualifierConst;
        }
    ;

type_specifier
    : type_specifier_nonarray   /* 103 */
    ;

array_specifier
    : QVSL_LEFT_BRACKET QVSL_RIGHT_BRACKET   /* 104 */
        { $$.type.arraySize = -1; }
    | QVSL_LEFT_BRACKET QVSL_INT_CONSTANT QVSL_RIGHT_BRACKET   /* 105 */
        { $$.type.arraySize = ReadArraySize(state->Text($2)); }
    ;

/* Rules 106 to 121: the type of the keyword. */
type_specifier_nonarray
    : QVSL_VOID          /* 106 */ { $$.type = TypeSpecifierForKeyword($1.tokenKind); }
    | QVSL_FLOAT         /* 107 */ { $$.type = TypeSpecifierForKeyword($1.tokenKind); }
    | QVSL_INT           /* 108 */ { $$.type = TypeSpecifierForKeyword($1.tokenKind); }
    | QVSL_BOOL          /* 109 */ { $$.type = TypeSpecifierForKeyword($1.tokenKind); }
    | QVSL_FLOAT2        /* 110 */ { $$.type = TypeSpecifierForKeyword($1.tokenKind); }
    | QVSL_FLOAT3        /* 111 */ { $$.type = TypeSpecifierForKeyword($1.tokenKind); }
    | QVSL_FLOAT4        /* 112 */ { $$.type = TypeSpecifierForKeyword($1.tokenKind); }
    | QVSL_INT2          /* 113 */ { $$.type = TypeSpecifierForKeyword($1.tokenKind); }
    | QVSL_INT3          /* 114 */ { $$.type = TypeSpecifierForKeyword($1.tokenKind); }
    | QVSL_INT4          /* 115 */ { $$.type = TypeSpecifierForKeyword($1.tokenKind); }
    | QVSL_FLOAT2X2      /* 116 */ { $$.type = TypeSpecifierForKeyword($1.tokenKind); }
    | QVSL_FLOAT3X3      /* 117 */ { $$.type = TypeSpecifierForKeyword($1.tokenKind); }
    | QVSL_FLOAT4X4      /* 118 */ { $$.type = TypeSpecifierForKeyword($1.tokenKind); }
    | QVSL_TEXTURE2D     /* 119 */ { $$.type = TypeSpecifierForKeyword($1.tokenKind); }
    | QVSL_TEXTURE3D     /* 120 */ { $$.type = TypeSpecifierForKeyword($1.tokenKind); }
    | QVSL_TEXTURECUBE   /* 121 */ { $$.type = TypeSpecifierForKeyword($1.tokenKind); }
    ;

initializer
    : assignment_expression   /* 122 */
    ;

initializer_list
    : initializer   /* 123 */
        { $$.node = NewList(state, $1.node, $1.position); }
    | initializer_list QVSL_COMMA initializer   /* 124 */
        { AppendToList(static_cast<ListNode*>($1.node), $3.node); }
    ;

declaration_statement
    : declaration   /* 125 */
        {
            if ($1.node && $1.node->kind == kNodeFunction) {
                ContextOf(state).ReportError($1.node->Position(), "local function declarations are not allowed.");
                $$.node = nullptr;
            }
        }
    ;

statement
    : compound_statement   /* 126 */
    | simple_statement     /* 127 */
    ;

simple_statement
    : declaration_statement   /* 128 */
    | expression_statement    /* 129 */
    | selection_statement     /* 130 */
    | iteration_statement     /* 131 */
    | jump_statement          /* 132 */
    ;

compound_statement
    : QVSL_LEFT_BRACE QVSL_RIGHT_BRACE   /* 133 */
        /* An empty block rather than nothing, so the writers keep the braces they were given. */
        { $$.node = EmptyBlock(state, $1.position); }
    | QVSL_LEFT_BRACE
        /* 134 */ { PushScope(ContextOf(state)); }
      statement_list QVSL_RIGHT_BRACE   /* 135 */
        {
            PopScope(ContextOf(state));
            MarkAsBlock(static_cast<ListNode*>($3.node));
            $$.node = $3.node;
        }
    ;

statement_no_new_scope
    : compound_statement_no_new_scope   /* 136 */
    | simple_statement                  /* 137 */
    ;

statement_scoped
    : compound_statement   /* 138 */
    |   /* 139 */ { PushScope(ContextOf(state)); }
      simple_statement   /* 140 */
        {
            PopScope(ContextOf(state));
            $$ = $2;
        }
    ;

compound_statement_no_new_scope
    : QVSL_LEFT_BRACE QVSL_RIGHT_BRACE   /* 141 */
        { $$.node = EmptyBlock(state, $1.position); }
    | QVSL_LEFT_BRACE statement_list QVSL_RIGHT_BRACE   /* 142 */
        {
            MarkAsBlock(static_cast<ListNode*>($2.node));
            $$.node = $2.node;
        }
    ;

statement_list
    : statement   /* 143 */
        { $$.node = NewList(state, $1.node, $1.position); }
    | statement_list statement   /* 144 */
        { AppendToList(static_cast<ListNode*>($1.node), $2.node); }
    ;

expression_statement
    : QVSL_SEMICOLON   /* 145 */
        { $$.node = nullptr; }
    | expression QVSL_SEMICOLON   /* 146 */
    ;

selection_statement
    : QVSL_IF QVSL_LEFT_PARENTHESIS expression QVSL_RIGHT_PARENTHESIS selection_rest_statement   /* 147 */
        {
            Node* condition = CheckCondition(ContextOf(state), $3.node);
            $$.node = CreateIfNode(ContextOf(state), condition, $5.node, $5.second, $1.position);
        }
    ;

selection_rest_statement
    : statement_scoped QVSL_ELSE statement_scoped   /* 148 */
        {
            $$.node = $1.node;
            $$.second = $3.node;
        }
    | statement_scoped   /* 149 */
        { $$.second = nullptr; }
    ;

condition
    : expression   /* 150 */
    | fully_specified_type QVSL_IDENTIFIER QVSL_EQUAL initializer   /* 151 */
        { $$.node = DeclareVariable(ContextOf(state), state->NameOf($2), $4.node, $3.position, $1.type); }
    ;

iteration_statement
    : QVSL_WHILE QVSL_LEFT_PARENTHESIS
        /* 152 */ { PushScope(ContextOf(state)); }
      condition QVSL_RIGHT_PARENTHESIS statement_no_new_scope   /* 153 */
        {
            Node* condition = CheckCondition(ContextOf(state), $4.node);
            $$.node = CreateLoopNode(ContextOf(state), kLoopWhile, nullptr, condition, nullptr, $6.node, $1.position);
            PopScope(ContextOf(state));
        }
    | QVSL_DO statement QVSL_WHILE QVSL_LEFT_PARENTHESIS expression QVSL_RIGHT_PARENTHESIS QVSL_SEMICOLON   /* 154 */
        {
            Node* condition = CheckCondition(ContextOf(state), $5.node);
            $$.node = CreateLoopNode(ContextOf(state), kLoopDoWhile, nullptr, condition, nullptr, $2.node, $1.position);
        }
    | QVSL_FOR QVSL_LEFT_PARENTHESIS
        /* 155 */ { PushScope(ContextOf(state)); }
      for_init_statement for_rest_statement QVSL_RIGHT_PARENTHESIS statement_no_new_scope   /* 156 */
        {
            $$.node = CreateLoopNode(ContextOf(state), kLoopFor, $4.node, $5.node, $5.second, $7.node, $1.position);
            PopScope(ContextOf(state));
        }
    ;

for_init_statement
    : expression_statement    /* 157 */
    | declaration_statement   /* 158 */
    ;

conditionopt
    : condition   /* 159 */
        { $$.node = CheckCondition(ContextOf(state), $1.node); }
    | %empty      /* 160 */
        { $$.node = nullptr; }
    ;

for_rest_statement
    : conditionopt QVSL_SEMICOLON   /* 161 */
        { $$.second = nullptr; }
    | conditionopt QVSL_SEMICOLON expression   /* 162 */
        { $$.second = $3.node; }
    ;

jump_statement
    : QVSL_CONTINUE QVSL_SEMICOLON   /* 163 */
        { $$.node = CreateBranchNode(ContextOf(state), kOpContinue, nullptr, $1.position); }
    | QVSL_BREAK QVSL_SEMICOLON   /* 164 */
        { $$.node = CreateBranchNode(ContextOf(state), kOpBreak, nullptr, $1.position); }
    | QVSL_RETURN QVSL_SEMICOLON   /* 165 */
        {
            BranchNode* branch = CreateBranchNode(ContextOf(state), kOpReturn, nullptr, $1.position);
            CheckReturn(ContextOf(state), branch);
            $$.node = branch;
        }
    | QVSL_RETURN expression QVSL_SEMICOLON   /* 166 */
        {
            BranchNode* branch = CreateBranchNode(ContextOf(state), kOpReturn, $2.node, $1.position);
            CheckReturn(ContextOf(state), branch);
            $$.node = branch;
        }
    | QVSL_DISCARD QVSL_SEMICOLON   /* 167 */
        {
            CheckPixelOnly(ContextOf(state), $1.position);
            $$.node = CreateBranchNode(ContextOf(state), kOpDiscard, nullptr, $1.position);
        }
    ;

translation_unit
    : external_declaration   /* 168 */
        {
            state->unit = NewList(state, $1.node, $1.position);
            $$.node = state->unit;
        }
    | translation_unit external_declaration   /* 169 */
        { AppendToList(static_cast<ListNode*>($1.node), $2.node); }
    ;

external_declaration
    : function_definition   /* 170 */
    | declaration   /* 171 */
        {
            if ($1.node && $1.node->kind == kNodeFunction)
                $$.node = PrototypeEntry(state, static_cast<FunctionNode*>($1.node));
        }
    ;

function_definition
    : function_prototype
        /* 172 */
        {
            FunctionNode* function = DeclareFunction(ContextOf(state), AsFunction($1.node), true);
            BeginFunctionBody(ContextOf(state), function);
            $$.node = function;
        }
      compound_statement_no_new_scope   /* 173 */
        {
            FunctionNode* function = AsFunction($2.node);
            AppendToList(function, $3.node);
            EndFunctionBody(ContextOf(state));
            PopScope(ContextOf(state));
            $$.node = function;
        }
    ;

%%

namespace ShaderTool {

int ParserState::MapTokenKind(int32_t kind)
{
    // Token kinds 256 to 341 in order; 0 where the language has no terminal.
    static const int16_t kTerminals[] = {
        QVSL_BOOL, QVSL_FLOAT, QVSL_FLOAT2, QVSL_FLOAT2X2, QVSL_FLOAT3, QVSL_FLOAT3X3, QVSL_FLOAT4, QVSL_FLOAT4X4,
        QVSL_INT, QVSL_INT2, QVSL_INT3, QVSL_INT4, QVSL_VOID, QVSL_TEXTURE2D, QVSL_TEXTURE3D, QVSL_TEXTURECUBE,
        QVSL_BREAK, QVSL_CONST, QVSL_CONTINUE, QVSL_DISCARD, QVSL_DO, QVSL_ELSE, QVSL_FOR, QVSL_IF, QVSL_RETURN,
        QVSL_WHILE,
        0, 0, 0, 0, 0, 0,   // directive words
        QVSL_BOOL_CONSTANT, QVSL_FLOAT_CONSTANT, QVSL_IDENTIFIER, QVSL_INT_CONSTANT,
        0,                  // string literal
        QVSL_AMPERSAND, QVSL_CARET, QVSL_DECREASE_OP, QVSL_INCREASE_OP, QVSL_GREATER_THAN_EQUAL_OP,
        QVSL_LEFT_SHIFT_OP, QVSL_LESS_THAN_EQUAL_OP, QVSL_EQUAL_OP, QVSL_NOT_EQUAL_OP, QVSL_LOGICAL_AND_OP,
        QVSL_LOGICAL_OR_OP, QVSL_RIGHT_SHIFT_OP, QVSL_VERTICAL_BAR,
        QVSL_ASSIGN_ADD, QVSL_ASSIGN_AND, QVSL_ASSIGN_DIVIDE, QVSL_ASSIGN_LEFT_SHIFT, QVSL_ASSIGN_MODULO,
        QVSL_ASSIGN_MULTIPLY, QVSL_ASSIGN_OR, QVSL_ASSIGN_RIGHT_SHIFT, QVSL_ASSIGN_SUBTRACT, QVSL_ASSIGN_XOR,
        0,                  // "defined"
        QVSL_ASTERISK, QVSL_COLON, QVSL_COMMA, QVSL_DASH, QVSL_EQUAL, QVSL_EXCLAMATION, QVSL_PERCENT, QVSL_PERIOD,
        0,                  // "#"
        QVSL_PLUS, QVSL_QUESTION, QVSL_SEMICOLON, QVSL_SLASH, QVSL_TILDE, QVSL_LEFT_BRACE, QVSL_LEFT_BRACKET,
        QVSL_LEFT_CHEVRON, QVSL_LEFT_PARENTHESIS, QVSL_RIGHT_BRACE, QVSL_RIGHT_BRACKET, QVSL_RIGHT_CHEVRON,
        QVSL_RIGHT_PARENTHESIS,
        0,                  // ordinary line
        QVSL_RESERVED,
        0,                  // no token
    };
    static_assert(sizeof(kTerminals) / sizeof(kTerminals[0]) == kTokenNone - kTokenBool + 1, "one entry per kind");
    static_assert(QVSL_BOOL == 258 && QVSL_RESERVED == 332, "terminal numbering");

    if (kind == kTokenEnd)
        return QVSLEOF;
    if (kind < kTokenBool || kind > kTokenNone || kTerminals[kind - kTokenBool] == 0)
        return QVSLUNDEF;
    return kTerminals[kind - kTokenBool];
}

int Parse(ParseContext* context)
{
    if (!context)
        return kParseSyntaxError;
    if (!context->tokenSource) {
        context->success = 0;
        return kParseSyntaxError;
    }

    ParserState state(context);
    int result = qvslparse(&state);
    if (result == 0 && state.unit)
        SetRoot(*context, state.unit);

    // A text the tokenizer had to complain about is not accepted, however it parsed.
    if (context->tokenSource->errorCount > 0) {
        context->success = 0;
        if (result == kParseAccepted)
            result = kParseSyntaxError;
    }
    return result;
}

} // namespace ShaderTool
