// Drives the semantic actions the way the grammar's reductions do, over a context of its
// own, so a test builds a small tree without source text.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>

#include "shadertool/description/shader_description.h"
#include "shadertool/semantic/semantic_internal.h"

namespace semantic_test {

using namespace ShaderTool;

inline SourceName Tok(const char* text, int line = 1, int column = 1) { return SourceName{text, column, line}; }

inline SourcePosition At(int line, int column) { return SourcePosition{column, line}; }

inline TypeSpecifier Spec(int32_t keyword, uint32_t qualifiers = 0, int32_t arraySize = 0) {
    TypeSpecifier specifier = TypeSpecifierForKeyword(keyword);
    specifier.qualifiers = qualifiers;
    specifier.arraySize = arraySize;
    return specifier;
}

class SemanticTest : public ::testing::Test {
protected:
    void SetUp() override {
        context.BuildEnvironment(&log);
        context.sourceName.Assign("a.fx");
        AddVertexOutput("position", Type(kBaseFloat, 4));
        AddVertexOutput("uv", Type(kBaseFloat, 2));
        VertexInput input;
        input.name.Assign("p");
        input.type = Type(kBaseFloat, 4, kQualifierConst);
        description.vertex_input.Add(input);
        description.pixel_output.Add(String("color"));
        ShaderConstant constant;
        constant.name.Assign("tint");
        constant.type = Type(kBaseFloat, 4, kQualifierConst);
        description.vertex_constants.Add(constant);
        Begin(kStageVertex);
    }

    void AddVertexOutput(const char* name, const Type& type) {
        VertexOutput output;
        output.name.Assign(name);
        output.type = type;
        description.vertex_output.Add(output);
    }

    void Begin(uint32_t stage) {
        BeginTranslationUnit(context, description, stage);
        log.Clear();
    }

    std::string Errors() const { return log.text.text ? log.text.text : ""; }

    SymbolNode* Ref(const char* name, int line = 1, int column = 1) {
        return ReferenceIdentifier(context, Tok(name, line, column), At(line, column));
    }
    LiteralNode* Int(const char* text) { return MakeLiteral(context, kBaseInt, text, At(1, 1)); }
    LiteralNode* Float(const char* text) { return MakeLiteral(context, kBaseFloat, text, At(1, 1)); }

    // Operator id op over left and right (null for unary), resolved as the grammar does.
    OperatorNode* Op(uint32_t op, Node* left, Node* right = nullptr, int line = 1, int column = 1) {
        OperatorNode* node = CreateOperatorNode(context, op, At(line, column));
        CheckOperator(context, node, left, right);
        return node;
    }
    OperatorNode* Member(Node* base, const char* member, int line = 1, int column = 1) {
        OperatorNode* node = CreateOperatorNode(context, kOpMemberSelect, At(line, column));
        SelectMember(context, node, base, Tok(member, line, column + 1));
        return node;
    }
    OperatorNode* Index(Node* base, Node* index, int line = 1, int column = 1) {
        OperatorNode* node = CreateOperatorNode(context, kOpIndex, At(line, column));
        CheckIndex(context, node, base, index);
        return node;
    }
    FunctionNode* Call(const char* name, std::initializer_list<Node*> arguments, int line = 1, int column = 1) {
        FunctionNode* call = BeginCall(context, Tok(name, line, column), At(line, column));
        return Finish(call, arguments);
    }
    FunctionNode* Construct(int32_t keyword, std::initializer_list<Node*> arguments) {
        return Finish(BeginCall(context, Spec(keyword), At(1, 1)), arguments);
    }
    FunctionNode* Finish(FunctionNode* call, std::initializer_list<Node*> arguments) {
        for (Node* argument : arguments)
            AppendToList(call->Parameters(), argument);
        ResolveCall(context, call);
        return call;
    }
    Node* Var(const TypeSpecifier& type, const char* name, Node* initializer = nullptr, int line = 1, int column = 1) {
        return DeclareVariable(context, Tok(name, line, column), initializer, At(line, column + 2), type);
    }

    struct Parameter { TypeSpecifier type; const char* name; };
    // A function header "type name(parameters)" at line:column, with the header checks.
    FunctionNode* Header(const TypeSpecifier& type, const char* name, std::initializer_list<Parameter> parameters = {},
                         int line = 1, int column = 1) {
        FunctionNode* function = CreateFunctionNode(context, kNodeFunction, kOpFunction, name, At(line, column));
        function->type = type.ToType();
        CheckParameter(context, function);
        for (const Parameter& parameter : parameters) {
            SymbolNode* symbol = CreateSymbolNode(context, parameter.type.ToType(), parameter.name, At(line, column));
            CheckParameter(context, symbol);
            AppendToList(function->Parameters(), symbol);
        }
        return function;
    }
    // Opens the definition's body; Close ends it.
    FunctionNode* Open(FunctionNode* header) {
        FunctionNode* function = DeclareFunction(context, header, true);
        BeginFunctionBody(context, function);
        return function;
    }
    void Close() {
        EndFunctionBody(context);
        PopScope(context);
    }
    BranchNode* Return(Node* value, int line = 1, int column = 1) {
        BranchNode* branch = CreateBranchNode(context, kOpReturn, value, At(line, column));
        CheckReturn(context, branch);
        return branch;
    }

    Log log;
    ParseContext context;
    ShaderDescription description;
};

} // namespace semantic_test
