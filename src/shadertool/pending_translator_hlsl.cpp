// Stand-in bodies of the translator base (branch translator_glsl) until they arrive
// through a merge; deleted then.
#include "shadertool/translator/translator.h"

#include "shadertool/core/operator_table.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace ShaderTool {

Translator::Translator(Log& log)
    : currentSection(&body), errorLog(log), indentation(0), shaderLevelMask(0), target(0), stage(kStageNone),
      allowBitwise(0), inFunction(0), succeeded(1), sourceName(nullptr), depth(0) {}
Translator::~Translator() = default;
void Translator::Reset() { header.Assign(nullptr); globals.Assign(nullptr); prototypes.Assign(nullptr); body.Assign(nullptr); indentation = 0; target = 0; stage = kStageNone; inFunction = 0; currentSection = &body; succeeded = 1; }
bool Translator::Translate(const ShaderDescription& d, uint32_t t, uint32_t l, uint32_t s, const ListNode* root, const char* name)
{
    Reset(); shaderLevelMask = l; target = t; stage = s; sourceName = name; SetShaderDescription(d);
    if (root && root->op == kOpStatementList) WriteStatementList(root, true); else if (root) WriteVariableDeclaration(root);
    if (!succeeded) return false;
    WriteInterfaceStructures(d); WriteHeader();
    String all; for (String* part : {&header, &globals, &prototypes}) if (part->text && part->text[0]) { part->Append("\n"); all.Append(part->text); }
    all.Append(body.text ? body.text : ""); body = all; return true;
}
String Translator::GetFunctionName(const FunctionNode* call) {
    uint32_t op = call->op;
    if (op == 91) return GetTypeName(Type(kBaseBool, 1));
    if (op >= 92 && op <= 95) return GetTypeName(Type(kBaseFloat, op - 91));
    if (op >= 96 && op <= 98) return GetTypeName(Type::MakeMatrix(op - 94));
    if (op >= 99 && op <= 102) return GetTypeName(Type(kBaseInt, op - 98));
    if (functionRenames.Contains(NodeName(call))) return String(functionRenames[NodeName(call)]);
    return String(NodeName(call));
}
String Translator::GetTypeName(const Type& type) { return type.GetName(false); }
void Translator::WriteHeader() {}
void Translator::SetShaderDescription(const ShaderDescription&) {}
void Translator::WriteArrayInitializer(const OperatorNode* a) {
    Append(" =\n"); WriteIndentation(); Append("{\n"); ++indentation;
    const ListNode* items = static_cast<const ListNode*>(a->right);
    for (int i = 0; i < items->children.count; ++i) { if (i) Append(",\n"); WriteIndentation(); WriteNode(items->children.data[i]); }
    --indentation; Append("\n"); WriteIndentation(); Append("}");
}
void Translator::WriteFunctionCall(const FunctionNode* call) {
    String name = call->isBuiltIn ? GetFunctionName(call) : String(NodeName(call));
    AppendFormat("%s(", name.text ? name.text : "");
    const ListNode* args = call->Parameters();
    for (int i = 0; args && i < args->children.count; ++i) { if (i) Append(", "); WriteNode(args->children.data[i]); }
    Append(")");
}
void Translator::WriteFunctionDefinition(const FunctionNode* f) {
    if (f->children.count < 2) return;
    String t = GetQualifiedTypeName(f->type); String sig; sig.Format("%s %s(", t.text, NodeName(f));
    const ListNode* p = f->Parameters();
    for (int i = 0; p && i < p->children.count; ++i) { const SymbolNode* s = static_cast<const SymbolNode*>(p->children.data[i]); String pt = GetQualifiedTypeName(s->type); sig.AppendFormat("%s%s %s", i ? ", " : "", pt.text, s->name.text ? s->name.text : ""); }
    sig.Append(")");
    if (strcmp(NodeName(f), "main") != 0) prototypes.AppendFormat("%s;\n", sig.text);
    AppendFormat("%s%s\n", currentSection->text && currentSection->text[0] ? "\n" : "", sig.text);
    inFunction = 1; WriteStatementList(static_cast<const ListNode*>(f->children.data[1]), true); inFunction = 0;
}
void Translator::WriteIterationStatement(const LoopNode* l) {
    if (l->form == kLoopDoWhile) Append("do\n"); else if (l->form == kLoopFor) WriteForStatement(l); else WriteWhileStatement(l);
    WriteBranchBody(l->body, 1);
    if (l->form == kLoopDoWhile) { WriteIndentation(); WriteWhileStatement(l); }
}
void Translator::WriteJumpStatement(const BranchNode* b) { Append(GetOperatorText(b->op)); if (b->value) { Append(" "); WriteNode(b->value); } }
void Translator::WriteLiteral(const LiteralNode* l) { Append(l->text.text); }
void Translator::WriteOperatorExpression(const OperatorNode* n) {
    uint32_t op = n->op; const char* t = GetOperatorText(op);
    if (op == 0 || op == 2 || op == 3 || op == 4 || op == 7 || op == 8) { Append(t); WriteNode(n->left); }
    else if (op == 5 || op == 6) { WriteNode(n->left); Append(t); }
    else if (op == 1) { Append("("); WriteNode(n->left); Append(")"); }
    else if (op == 38) { WriteNode(n->left); Append("["); WriteNode(n->right); Append("]"); }
    else if (op == 33) { WriteNode(n->left); Append("."); WriteNode(n->right); }
    else { WriteNode(n->left); AppendFormat(" %s ", t); WriteNode(n->right); }
    if (!allowBitwise && (op == 0 || op == 12 || op == 14 || op == 17 || op == 18 || op == 20 || op == 21 || op == 22 || op == 23 || op == 28 || op == 37))
        ReportError(n, "bit-wise operations are not supported.");
}
void Translator::WriteIfStatement(const IfNode* n) {
    Append("if ("); WriteCondition(n->condition); Append(")\n"); WriteBranchBody(n->thenBranch, 1);
    if (n->elseBranch) { bool chain = n->elseBranch->kind == kNodeIf; Append("\n"); WriteIndentation(); AppendFormat("else%c", chain ? ' ' : '\n'); WriteBranchBody(n->elseBranch, chain ? 0 : 1); }
}
void Translator::WriteInterfaceStructures(const ShaderDescription&) {}
void Translator::WriteSymbol(const SymbolNode* s) { Append(s->name.text ? s->name.text : ""); }
void Translator::WriteForStatement(const LoopNode* l) {
    Append("for ("); if (l->init) WriteNode(l->init); Append("; "); if (l->condition) WriteCondition(l->condition); Append("; "); if (l->increment) WriteNode(l->increment); Append(")\n");
}
void Translator::WriteVariableDeclaration(const ListNode* list) {
    String t = GetQualifiedTypeName(list->type); AppendFormat("%s ", t.text);
    for (int i = 0; i < list->children.count; ++i) {
        if (list->type.arraySize) { if (i) { AppendFormat(", "); } WriteArraySpecifier(list, list->children.data[i]); continue; }
        if (i) Append(", "); WriteNode(list->children.data[i]);
    }
}
void Translator::WriteArraySpecifier(const ListNode* list, const Node* d) {
    const OperatorNode* init = d->kind == kNodeOperator ? static_cast<const OperatorNode*>(d) : nullptr;
    WriteNode(init ? init->left : d); AppendFormat("[%i]", list->type.arraySize); if (init) WriteArrayInitializer(init);
}
void Translator::WriteWhileStatement(const LoopNode* l) {
    if (l->form == kLoopDoWhile) { /* caller wrote indentation */ }
    Append("while ("); WriteCondition(l->condition); AppendFormat(")%c", l->form == kLoopDoWhile ? ';' : '\n');
}
void Translator::WriteCondition(const Node* c) { WriteNode(c); }
void Translator::WriteNode(const Node* n) {
    if (!n) return;
    switch (n->kind) {
    case kNodeList: WriteList(static_cast<const ListNode*>(n)); break;
    case kNodeFunction: WriteFunctionDefinition(static_cast<const FunctionNode*>(n)); break;
    case kNodeCall: WriteFunctionCall(static_cast<const FunctionNode*>(n)); break;
    case kNodeLoop: WriteIterationStatement(static_cast<const LoopNode*>(n)); break;
    case kNodeBranch: WriteJumpStatement(static_cast<const BranchNode*>(n)); break;
    case kNodeLiteral: WriteLiteral(static_cast<const LiteralNode*>(n)); break;
    case kNodeOperator: WriteOperatorExpression(static_cast<const OperatorNode*>(n)); break;
    case kNodeIf: WriteIfStatement(static_cast<const IfNode*>(n)); break;
    case kNodeSymbol: WriteSymbol(static_cast<const SymbolNode*>(n)); break;
    }
}
void Translator::WriteStatementList(const ListNode* list, bool braces) {
    bool open = braces && list->isBlock; if (open) { WriteIndentation(); Append("{\n"); ++indentation; }
    for (int i = 0; i < list->children.count; ++i) WriteStatement(list->children.data[i], true, true);
    if (open) { --indentation; WriteIndentation(); Append("}"); }
}
void Translator::WriteStatement(const Node* n, bool indentFirst, bool newline) {
    if (!inFunction && n->kind == kNodeList && static_cast<const ListNode*>(n)->op == kOpDeclarationList) currentSection = &globals;
    if (indentFirst) WriteIndentation();
    WriteNode(n);
    bool semi = (n->kind == kNodeList && static_cast<const ListNode*>(n)->op == kOpDeclarationList) || (n->kind == kNodeFunction && !static_cast<const FunctionNode*>(n)->isDefined) || n->kind == kNodeCall || n->kind == kNodeBranch || n->kind == kNodeLiteral || n->kind == kNodeOperator || n->kind == kNodeSymbol;
    if (semi) Append(";");
    if (newline) Append("\n");
    currentSection = &body;
}
void Translator::WriteBranchBody(const Node* n, int indentIt) {
    if (n->kind == kNodeList) { WriteList(static_cast<const ListNode*>(n)); return; }
    indentation += indentIt; WriteStatement(n, indentIt != 0, false); indentation -= indentIt;
}
void Translator::WriteList(const ListNode* list) { if (list->op == kOpStatementList) WriteStatementList(list, true); else if (list->op == kOpDeclarationList) WriteVariableDeclaration(list); }
String Translator::GetQualifiedTypeName(const Type& type) { String n = GetTypeName(type); if (!type.IsConst()) return n; String r("const "); r.Append(n.text); return r; }
void Translator::Append(const char* text) { currentSection->Append(text); }
void Translator::AppendFormat(const char* format, ...) { va_list a; va_start(a, format); String s = FormatArguments(format, a); va_end(a); Append(s.text); }
void Translator::WriteIndentation() { for (int i = 0; i < indentation; ++i) Append("\t"); }
void Translator::ReportError(const Node* at, const char* format, ...) {
    va_list a; va_start(a, format); String s = FormatArguments(format, a); va_end(a);
    errorLog.AppendSourceError(sourceName ? sourceName : "", at ? at->line : 0, at ? at->column : 0, s.text); succeeded = 0;
}

} // namespace ShaderTool
