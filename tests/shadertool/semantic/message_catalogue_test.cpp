// One tiny case per message of the semantic checks: the exact report, line and column
// included, and a failed unit.
#include "semantic_fixture.h"

#include <functional>
#include <vector>

namespace semantic_test {

namespace {

struct Case {
    const char* message;
    uint32_t stage;
    std::function<void()> build;
    std::string errors;
};

} // namespace

TEST_F(SemanticTest, EveryMessageIsReportedWithItsPosition) {
    const TypeSpecifier kFloat = Spec(kTokenFloat), kInt = Spec(kTokenInt), kVoid = Spec(kTokenVoid);
    const TypeSpecifier kFloat2 = Spec(kTokenFloat2), kConstFloat = Spec(kTokenFloat, kQualifierConst);
    auto inFunction = [&](const std::function<void()>& body) {
        Open(Header(kFloat, "f", {{kFloat, "x"}}));
        Return(Ref("x"));
        body();
        Close();
    };
    const std::vector<Case> cases = {
        {"main overloads", kStageVertex, [&] { Open(Header(kVoid, "main", {{kInt, "i"}}, 2, 6)); Close(); },
         "a.fx(2:6) error: main() must be defined only and can not have overloads.\n"},
        {"second definition", kStageVertex, [&] {
             Open(Header(kVoid, "g")); Close();
             Open(Header(kVoid, "g", {}, 3, 6)); Close(); },
         "a.fx(3:6) error: function 'g' already has a definition.\n"},
        {"second prototype", kStageVertex, [&] {
             DeclareFunction(context, Header(kVoid, "g"), false);
             DeclareFunction(context, Header(kVoid, "g", {}, 2, 6), false); },
         "a.fx(2:6) error: function 'g' already has a declaration.\n"},
        {"float condition", kStageVertex, [&] { CheckCondition(context, MakeLiteral(context, kBaseFloat, "1.0", At(4, 5))); },
         "a.fx(4:5) error: expression must be a boolean expression.\n"},
        {"discard in a vertex shader", kStageVertex, [&] { CheckPixelOnly(context, At(5, 2)); },
         "a.fx(5:2) error: expression is only allowed in pixel shader.\n"},
        {"void parameter", kStageVertex, [&] { Header(kFloat, "g", {{kVoid, "v"}}, 1, 7); },
         "a.fx(1:7) error: invalid type specifier.\n"},
        {"const return type", kStageVertex, [&] { Header(kConstFloat, "g", {}, 1, 13); },
         "a.fx(1:13) error: 'const' is not allowed in function declarations.\n"},
        {"parameter named texture", kStageVertex, [&] { Header(kFloat, "g", {{kFloat, "texture"}}, 1, 9); },
         "a.fx(1:9) error: parameter can not have the same name as built-in variable 'texture'.\n"},
        {"variable named output", kStageVertex, [&] { Var(kFloat, "output", nullptr, 2, 7); },
         "a.fx(2:7) error: variable can not have the same name as built-in variable 'output'.\n"},
        {"const without initializer", kStageVertex, [&] { Var(kConstFloat, "c", nullptr, 1, 13); },
         "a.fx(1:13) error: 'const' variable must be initialized.\n"},
        {"const array", kStageVertex, [&] {
             TypeSpecifier array = Spec(kTokenFloat, kQualifierConst, 1);
             ListNode* list = CreateListNode(context, kOpStatementList, At(1, 20));
             AppendToList(list, Float("1.0"));
             CheckArrayDeclarator(context, array, list, At(1, 14));
             Var(array, "a", list, 1, 13); },
         "a.fx(1:13) error: 'const' is not allowed in array declarations.\n"},
        {"const from a variable", kStageVertex, [&] {
             Var(kFloat, "v");
             Var(kConstFloat, "c", Op(kOpAdd, Ref("v"), Float("1.0"), 2, 19), 2, 13); },
         "a.fx(2:19) error: initializer of 'const' variable must be a constant expression.\n"},
        {"name declared again in a nested block", kStageVertex, [&] {
             inFunction([&] { Var(kInt, "i"); PushScope(context); Var(kInt, "i", nullptr, 3, 9); PopScope(context); }); },
         "a.fx(3:9) error: symbol 'i' already has a declaration.\n"},
        {"undeclared identifier", kStageVertex, [&] { Ref("nothing", 2, 3); },
         "a.fx(2:3) error: undeclared identifier 'nothing'.\n"},
        {"undeclared function", kStageVertex, [&] { Call("nothing", {}, 2, 3); },
         "a.fx(2:3) error: undeclared function 'nothing'.\n"},
        {"no matching overload", kStageVertex, [&] { Call("dot", {Float("1.0")}, 2, 3); },
         "a.fx(2:3) error: no instance of function 'dot' matches the argument list.\n"},
        {"assignment to input.instance_id", kStageVertex, [&] {
             Open(Header(kVoid, "main"));
             Op(kOpAssign, Member(Ref("input"), "instance_id"), Int("1"), 3, 14);
             Close(); },
         "a.fx(3:14) error: expression must be a modifiable l-value.\n"},
        {"invalid swizzle", kStageVertex, [&] { Var(kFloat2, "v"); Member(Ref("v"), "xyz", 2, 4); },
         "a.fx(2:4) error: 'float2' has no member 'xyz'.\n"},
        {"no operator", kStageVertex, [&] { Op(kOpMultiply, Ref("tint"), MakeLiteral(context, kBaseBool, "true", At(2, 10)), 2, 8); },
         "a.fx(2:8) error: no operator '*' matches the operands.\n"},
        {"array of size 0", kStageVertex, [&] {
             TypeSpecifier array = Spec(kTokenFloat, 0, 0);
             CheckArrayDeclarator(context, array, nullptr, At(1, 8)); },
         "a.fx(1:8) error: array size must be larger than 0.\n"},
        {"unsized array without list", kStageVertex, [&] {
             TypeSpecifier array = Spec(kTokenFloat, 0, -1);
             CheckArrayDeclarator(context, array, nullptr, At(1, 8)); },
         "a.fx(1:8) error: array size is required when the initializer list is omitted.\n"},
        {"list of another length", kStageVertex, [&] {
             TypeSpecifier array = Spec(kTokenFloat, 0, 2);
             ListNode* list = CreateListNode(context, kOpStatementList);
             AppendToList(list, Float("1.0"));
             CheckArrayDeclarator(context, array, list, At(1, 8)); },
         "a.fx(1:8) error: array size does not match with the number of items in the initializer list.\n"},
        {"int item in a float list", kStageVertex, [&] {
             TypeSpecifier array = Spec(kTokenFloat, 0, -1);
             ListNode* list = CreateListNode(context, kOpStatementList);
             AppendToList(list, Float("1.0"));
             AppendToList(list, MakeLiteral(context, kBaseInt, "2", At(1, 23)));
             CheckArrayDeclarator(context, array, list, At(1, 8)); },
         "a.fx(1:23) error: member in initializer list does not match the list type. NOTE: implicit conversion is not "
         "allowed.\n"},
        {"no return", kStageVertex, [&] { Open(Header(kFloat, "g", {}, 4, 7)); Close(); },
         "a.fx(4:7) error: function 'g' must return a value.\n"},
        {"return from main", kStagePixel, [&] { Open(Header(kVoid, "main")); Return(nullptr, 3, 2); Close(); },
         "a.fx(3:2) error: returning from main() is not allowed.\n"},
        {"bool returned from float", kStageVertex, [&] {
             Open(Header(kFloat, "g")); Return(MakeLiteral(context, kBaseBool, "true", At(2, 9)), 2, 2); Close(); },
         "a.fx(2:2) error: return value type does not match the function type.\n"},
        {"no main", kStagePixel, [&] { inFunction([] {}); FinishTranslationUnit(context); },
         "a.fx(0:0) error: main() has no definition.\n"},
        {"called prototype never defined", kStagePixel, [&] {
             DeclareFunction(context, Header(kFloat, "h", {}, 1, 7), false);
             Open(Header(kVoid, "main"));
             Call("h", {});
             Close();
             FinishTranslationUnit(context); },
         "a.fx(1:7) error: function 'h' is referenced but has no definition.\n"},
        {"vertex outputs not set", kStageVertex, [&] {
             Open(Header(kVoid, "main"));
             Op(kOpAssign, Member(Ref("output"), "position"), Ref("tint"));
             Close();
             FinishTranslationUnit(context); },
         "a.fx(0:0) error: vertex shader output 'uv' is not set.\n"},
        {"written index past the end", kStageVertex, [&] {
             Var(Spec(kTokenFloat, 0, 2), "a");
             Index(Ref("a"), MakeLiteral(context, kBaseInt, "2", At(2, 5))); },
         "a.fx(2:5) error: index is out of range.\n"},
        {"functions calling each other", kStagePixel, [&] {
             DeclareFunction(context, Header(kFloat, "h"), false);
             for (const char* name : {"k", "h"}) {
                 FunctionNode* function = Open(Header(kFloat, name));
                 ListNode* body = CreateListNode(context, kOpStatementList);
                 AppendToList(body, Return(Call(name[0] == 'k' ? "h" : "k", {}, name[0] == 'k' ? 2 : 3, 9)));
                 AppendToList(function, body);
                 Close();
             }
             Open(Header(kVoid, "main")); Close();
             FinishTranslationUnit(context); },
         "a.fx(2:9) error: recursive call of function 'h' is not allowed.\n"},
    };
    for (const Case& c : cases) {
        Begin(c.stage);
        c.build();
        EXPECT_EQ(Errors(), c.errors) << c.message;
        EXPECT_EQ(context.success, 0) << c.message;
    }
}

} // namespace semantic_test
