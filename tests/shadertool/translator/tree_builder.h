// Checked syntax trees built by hand, as the semantic actions leave them, for the
// translator tests; every node belongs to the builder's parse context.
#pragma once

#include <initializer_list>
#include <string>

#include "shadertool/core/builtin_functions.h"
#include "shadertool/core/context.h"
#include "shadertool/core/node.h"
#include "shadertool/description/shader_description.h"

namespace translator_test {

using namespace ShaderTool;

inline Type F(int size = 1) { return Type(kBaseFloat, size); }
inline Type I(int size = 1) { return Type(kBaseInt, size); }
inline Type B() { return Type(kBaseBool, 1); }

struct TreeBuilder {
    ParseContext context;
    SourcePosition at{3, 7};   // column 3, line 7 unless a test moves it

    SymbolNode* Sym(const Type& type, const char* name) { return CreateSymbolNode(context, type, name, at); }
    LiteralNode* Lit(uint32_t kind, const char* text) { return CreateLiteralNode(context, kind, text, at); }
    OperatorNode* Op(uint32_t op, Node* left, Node* right, const Type& type) {
        OperatorNode* node = CreateOperatorNode(context, op, at);
        node->left = left;
        node->right = right;
        node->type = type;
        return node;
    }
    // "input.uv": the member is a Symbol of the member's type.
    OperatorNode* Member(const char* base, const char* member, const Type& type) {
        return Op(kOpMemberSelect, Sym(Type(kBaseStruct, 0), base), Sym(type, member), type);
    }
    OperatorNode* Assign(Node* left, Node* right) { return Op(kOpAssign, left, right, *GetNodeType(left)); }
    FunctionNode* Call(const char* name, uint32_t op, const Type& type, std::initializer_list<Node*> arguments) {
        FunctionNode* call = CreateFunctionNode(context, kNodeCall, op, name, at);
        call->type = type;
        call->isBuiltIn = op != kOpFunction;
        for (Node* argument : arguments)
            AppendToList(call->Parameters(), argument);
        return call;
    }
    ListNode* List(std::initializer_list<Node*> children, bool block = true) {
        ListNode* list = CreateListNode(context, kOpStatementList, at);
        for (Node* child : children)
            AppendToList(list, child);
        list->isBlock = block;
        return list;
    }
    ListNode* Declare(const Type& type, std::initializer_list<Node*> declarators) {
        ListNode* list = CreateListNode(context, kOpDeclarationList, at);
        list->type = type;
        for (Node* declarator : declarators)
            AppendToList(list, declarator);
        return list;
    }
    FunctionNode* Function(const Type& type, const char* name, std::initializer_list<Node*> parameters,
                           ListNode* body) {
        FunctionNode* function = CreateFunctionNode(context, kNodeFunction, kOpFunction, name, at);
        function->type = type;
        for (Node* parameter : parameters)
            AppendToList(function->Parameters(), parameter);
        if (body) {
            AppendToList(function, body);
            function->isDefined = 1;
        }
        return function;
    }
    FunctionNode* Main(std::initializer_list<Node*> statements) {
        return Function(Type(kBaseVoid, 0), "main", {}, List(statements));
    }
    BranchNode* Branch(uint32_t op, Node* value = nullptr) { return CreateBranchNode(context, op, value, at); }
    IfNode* If(Node* condition, Node* thenBranch, Node* elseBranch = nullptr) {
        return CreateIfNode(context, condition, thenBranch, elseBranch, at);
    }
    LoopNode* Loop(uint32_t form, Node* init, Node* condition, Node* increment, Node* body) {
        return CreateLoopNode(context, form, init, condition, increment, body, at);
    }
};

// A description with the given vertex inputs and outputs (name, description type).
inline VertexInput Input(const char* name, uint32_t element, const char* type) {
    VertexInput input;
    input.name.Assign(name);
    input.element = element;
    input.type = TypeFromDescriptionName(type, kQualifierConst, 0);
    return input;
}

inline VertexOutput Output(const char* name, uint32_t semantic, const char* type) {
    VertexOutput output;
    output.name.Assign(name);
    output.semantic = semantic;
    output.type = TypeFromDescriptionName(type, 0, 0);
    return output;
}

inline ShaderConstant Constant(const char* name, const char* type, int arraySize = 0) {
    ShaderConstant constant;
    constant.name.Assign(name);
    constant.type = TypeFromDescriptionName(type, kQualifierConst, arraySize);
    return constant;
}

inline PixelTexture Texture(const char* name, uint32_t dimension) {
    PixelTexture texture;
    texture.name.Assign(name);
    texture.type = Type::MakeTexture(dimension);
    return texture;
}

inline std::string Text(const String& text) { return text.text ? text.text : ""; }

} // namespace translator_test
