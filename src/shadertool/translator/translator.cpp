#include "shadertool/translator/translator.h"

#include "shadertool/core/builtin_functions.h"
#include "platform/os.h"
#include "shadertool/core/operator_table.h"
#include "shadertool/description/shader_description.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace ShaderTool {

namespace {

bool IsList(const Node* node, uint32_t op)
{
    return node && node->kind == kNodeList && static_cast<const ListNode*>(node)->op == op;
}

const ListNode* AsList(const Node* node)
{
    return node && node->kind == kNodeList ? static_cast<const ListNode*>(node) : nullptr;
}

bool IsPrefixOperator(uint32_t op)
{
    return op == kOpBitwiseNot || op == kOpLogicalNot || op == kOpNegate || op == kOpUnaryPlus ||
           op == kOpPreDecrement || op == kOpPreIncrement;
}

// A statement that writes nothing: ";" alone, an empty declaration, a prototype.
bool IsEmptyStatement(const Node* node)
{
    if (!node)
        return true;
    if (node->kind == kNodeList) {
        const ListNode* list = static_cast<const ListNode*>(node);
        return !list->isBlock && list->children.count == 0;
    }
    return false;
}

// "while (bool b = f())": a condition declares only through an initialiser.
bool IsConditionDeclaration(const Node* node)
{
    return node && node->kind == kNodeOperator && (node->flags & kNodeFlagDeclarationInitializer) != 0;
}

// Statements set apart by an empty line: loops, ifs and initialised array declarations.
bool StandsApart(const Node* node)
{
    if (!node)
        return false;
    if (node->kind == kNodeLoop || node->kind == kNodeIf)
        return true;
    if (IsList(node, kOpDeclarationList)) {
        const ListNode* list = static_cast<const ListNode*>(node);
        return list->type.arraySize != 0 && list->children.count > 0 && list->children.data[0] &&
               list->children.data[0]->kind == kNodeOperator;
    }
    if (node->kind == kNodeOperator && (node->flags & kNodeFlagDeclarationInitializer)) {
        const Type* declared = GetNodeType(static_cast<const OperatorNode*>(node)->left);
        return declared && declared->arraySize != 0;
    }
    return false;
}

} // namespace

Translator::Translator(Log& log)
    : currentSection(&bodySection), errorLog(log), indentation(0), shaderLevelMask(0), target(0), stage(kStageNone),
      allowBitwise(0), inFunction(0), succeeded(1), depth(0), depthLimit(kCallerStackLevels), needsDeeperStack(0)
{
}

Translator::~Translator() = default;

bool Translator::Translate(const ShaderDescription& description, uint32_t targetBit, uint32_t levelMask,
                           uint32_t shaderStage, const ListNode* root)
{
    // Almost every tree fits the caller's stack; only one that does not pays for measuring
    // its depth, and what the cut walk reported is taken back before it is written again.
    const size_t loggedBefore = errorLog.Length();
    const uint8_t hadText = errorLog.hasText;
    const uint8_t hadError = errorLog.hasError;
    const bool translated = TranslateHere(description, targetBit, levelMask, shaderStage, root, kCallerStackLevels);
    if (!needsDeeperStack)
        return translated;
    errorLog.Truncate(loggedBefore);
    errorLog.hasText = hadText;
    errorLog.hasError = hadError;
    return TranslateOnDeepStack(description, targetBit, levelMask, shaderStage, root, MeasureTreeDepth(root));
}

namespace {

// What the thread of a deep translation is handed, and its answer.
struct DeepTranslation {
    Translator* translator;
    const ShaderDescription* description;
    uint32_t target;
    uint32_t levels;
    uint32_t stage;
    const ListNode* root;
    bool result;
};

} // namespace

void Translator::TranslateOnThread(void* job)
{
    DeepTranslation& work = *static_cast<DeepTranslation*>(job);
    work.result = work.translator->TranslateHere(*work.description, work.target, work.levels, work.stage, work.root,
                                                 INT32_MAX);
}

bool Translator::TranslateOnDeepStack(const ShaderDescription& description, uint32_t targetBit, uint32_t levelMask,
                                      uint32_t shaderStage, const ListNode* root, int32_t treeDepth)
{
    // Some levels more than the tree: the walk writes a few nodes through made-up ones (a
    // bare declarator through a declaration list), and frames stand below the root.
    const uint64_t stackBytes = (static_cast<uint64_t>(treeDepth) + 64) * kStackBytesPerLevel + 256 * 1024;
    DeepTranslation work = {this, &description, targetBit, levelMask, shaderStage, root, false};
    if (QVI_OsRunOnOwnStack(&Translator::TranslateOnThread, &work, stackBytes))
        return work.result;
    Reset();
    ReportError("not enough memory to translate a source nesting %i levels deep.", static_cast<int>(treeDepth));
    return false;
}

bool Translator::TranslateHere(const ShaderDescription& description, uint32_t targetBit, uint32_t levelMask,
                               uint32_t shaderStage, const ListNode* root, int32_t levels)
{
    Reset();
    depthLimit = levels;
    shaderLevelMask = levelMask;
    target = targetBit;
    stage = shaderStage;
    SetShaderDescription(description);

    if (!root)
        ReportError("there is no syntax tree to translate.");
    else if (root->op == kOpStatementList)
        WriteStatementList(root, true);
    else if (root->op == kOpDeclarationList)
        WriteVariableDeclaration(root);
    if (needsDeeperStack || !succeeded)
        return false;

    WriteInterfaceStructures(description);
    WriteHeader();
    if (!succeeded)
        return false;

    if (!JoinSections()) {
        ReportError("the translated text does not fit in memory.");
        return false;
    }
    return true;
}

void Translator::ForgetBody()
{
    body.Assign("");
    // Freed with the old text: a later block at the same address is no longer ours to fill.
    bodyBlock = nullptr;
    bodyCapacity = 0;
    bodyLength = 0;
}

bool Translator::JoinSections()
{
    // The sections are joined straight into one block of the final size: building the
    // text in a growing buffer and copying it into body allocated and copied it twice.
    // The block of the last translation is used again when the text fits.
    const TextSection* const parts[] = {&header, &globals, &prototypes, &bodySection};
    size_t total = 0;
    for (const TextSection* part : parts) {
        if (part->overflowed) {
            ForgetBody();
            return false;
        }
        total += static_cast<size_t>(part->length) + (part != &bodySection && !part->IsEmpty() ? 1 : 0);
    }
    const bool reusable = body.text && body.text == bodyBlock && total < bodyCapacity;
    char* block = reusable ? body.text : static_cast<char*>(malloc(total + 1));
    if (!block) {
        ForgetBody();
        return false;
    }
    if (!reusable) {
        free(body.text);
        body.text = block;
        bodyBlock = block;
        bodyCapacity = total + 1;
    }
    char* end = block;
    for (const TextSection* part : parts) {
        if (part->IsEmpty())
            continue;
        memcpy(end, part->text, static_cast<size_t>(part->length));
        end += part->length;
        if (part != &bodySection)
            *end++ = '\n';
    }
    *end = '\0';
    bodyLength = total;
    return true;
}

void Translator::Reset()
{
    header.Clear();
    globals.Clear();
    prototypes.Clear();
    bodySection.Clear();
    if (body.text && body.text == bodyBlock)
        body.text[0] = '\0';
    else
        body.Assign(nullptr);
    bodyLength = 0;
    indentation = 0;
    target = 0;
    stage = kStageNone;
    inFunction = 0;
    currentSection = &bodySection;
    succeeded = 1;
    depth = 0;
    needsDeeperStack = 0;
    // Emptied, not freed: the next translation fills them again.
    writtenFunctions.count = 0;
    declaredSymbols.count = 0;
}

void Translator::WriteFunctionName(const FunctionNode* call)
{
    switch (call->op) {
    case kConstructorBool:
        Append(GetTypeName(Type(kBaseBool, 1)));
        return;
    case kConstructorFloat:
    case kConstructorFloat2:
    case kConstructorFloat3:
    case kConstructorFloat4:
        Append(GetTypeName(Type(kBaseFloat, 1 + static_cast<int32_t>(call->op - kConstructorFloat))));
        return;
    case kConstructorFloat2x2:
    case kConstructorFloat3x3:
    case kConstructorFloat4x4:
        Append(GetTypeName(Type::MakeMatrix(2 + static_cast<int32_t>(call->op - kConstructorFloat2x2))));
        return;
    case kConstructorInt:
    case kConstructorInt2:
    case kConstructorInt3:
    case kConstructorInt4:
        Append(GetTypeName(Type(kBaseInt, 1 + static_cast<int32_t>(call->op - kConstructorInt))));
        return;
    default:
        break;
    }
    if (StringMapEntry<const char*>* rename = functionRenames.FindEntry(call->name.text))
        Append(rename->value);
    else
        Append(NodeName(call));
}

const char* Translator::GetTypeName(const Type& type)
{
    if (const char* constantName = type.GetConstantName())
        return constantName;
    if (type.vectorSize <= 1 && type.matrixSize < 1)
        return type.baseKind == kBaseStruct && type.name.text ? type.name.text : "";
    // No checked tree holds such a type; the text lives until the next type outside the tables.
    unusualTypeName = type.GetName(false);
    return unusualTypeName.text ? unusualTypeName.text : "";
}

void Translator::WriteHeader() {}

void Translator::SetShaderDescription(const ShaderDescription&) {}

void Translator::WriteArrayInitializer(const OperatorNode* assignment)
{
    const ListNode* items = AsList(assignment->right);
    Append(" =\n");
    WriteIndentation();
    Append("{\n");
    ++indentation;
    for (int32_t i = 0; items && i < items->children.count; ++i) {
        if (i > 0)
            Append(",\n");
        WriteIndentation();
        WriteNode(items->children.data[i]);
    }
    --indentation;
    Append("\n");
    WriteIndentation();
    Append("}");
}

void Translator::WriteFunctionCall(const FunctionNode* call)
{
    if (call->isBuiltIn) {
        WriteFunctionName(call);
    } else {
        Append(call->name.text);
    }
    Append("(");
    if (const ListNode* arguments = call->Parameters()) {
        for (int32_t i = 0; i < arguments->children.count; ++i) {
            if (i > 0)
                Append(", ");
            WriteNode(arguments->children.data[i]);
        }
    }
    Append(")");
}

void Translator::WriteFunctionDefinition(const FunctionNode* function)
{
    const ListNode* body = function->children.count > 1 ? AsList(function->children.data[1]) : nullptr;
    if (!function->isDefined || !body || writtenFunctions.Contains(function))
        return;
    writtenFunctions.Add(function);

    // The signature is written once into the section and copied from there as the prototype.
    if (!currentSection->IsEmpty())
        Append("\n");
    const int32_t signatureStart = currentSection->length;
    WriteQualifiedTypeName(function->type);
    AppendFormat(" %s(", NodeName(function));
    if (const ListNode* parameters = function->Parameters()) {
        for (int32_t i = 0; i < parameters->children.count; ++i) {
            const Node* parameter = parameters->children.data[i];
            if (!parameter || parameter->kind != kNodeSymbol)
                continue;
            const SymbolNode* symbol = static_cast<const SymbolNode*>(parameter);
            declaredSymbols.Add(symbol);
            if (i > 0)
                Append(", ");
            WriteQualifiedTypeName(symbol->type);
            Append(" ");
            Append(symbol->name.text ? symbol->name.text : "");
            // An array parameter keeps its size, which follows the name.
            if (symbol->type.arraySize > 0)
                AppendFormat("[%i]", symbol->type.arraySize);
        }
    }
    Append(")");
    const int32_t signatureLength = currentSection->length - signatureStart;
    if (strcmp(NodeName(function), "main") != 0 && signatureLength > 0) {
        prototypes.Append(currentSection->text + signatureStart, signatureLength);
        prototypes.Append(";\n");
    }
    Append("\n");

    inFunction = 1;
    WriteFunctionBody(function, body);
    inFunction = 0;
}

void Translator::WriteFunctionPrologue(const FunctionNode*) {}

void Translator::WriteFunctionBody(const FunctionNode* function, const ListNode* body)
{
    // The braces are the function's whether or not the tree marks the body as a block.
    WriteIndentation();
    Append("{\n");
    ++indentation;
    WriteFunctionPrologue(function);
    WriteStatementList(body, false);
    --indentation;
    WriteIndentation();
    Append("}");
}

void Translator::WriteIterationStatement(const LoopNode* loop)
{
    switch (loop->form) {
    case kLoopDoWhile:
        Append("do\n");
        break;
    case kLoopFor:
        WriteForStatement(loop);
        break;
    default:
        WriteWhileStatement(loop);
        break;
    }
    WriteBranchBody(loop->body, 1);
    if (loop->form == kLoopDoWhile)
        WriteWhileStatement(loop);
}

void Translator::WriteJumpStatement(const BranchNode* branch)
{
    Append(GetOperatorText(branch->op));
    if (branch->value) {
        Append(" ");
        WriteNode(branch->value);
    }
}

void Translator::WriteLiteral(const LiteralNode* literal)
{
    Append(literal->text.text);
}

void Translator::WriteOperatorExpression(const OperatorNode* node)
{
    const char* text = GetOperatorText(node->op);
    switch (node->op) {
    case kOpBitwiseNot:
    case kOpLogicalNot:
    case kOpNegate:
    case kOpUnaryPlus:
    case kOpPreDecrement:
    case kOpPreIncrement:
        Append(text);
        // "- -x" must not run together into a decrement.
        if (node->left && node->left->kind == kNodeOperator &&
            IsPrefixOperator(static_cast<const OperatorNode*>(node->left)->op))
            Append(" ");
        WriteNode(node->left);
        break;
    case kOpPostDecrement:
    case kOpPostIncrement:
        WriteNode(node->left);
        Append(text);
        break;
    case kOpParentheses:
        Append("(");
        WriteNode(node->left);
        Append(")");
        break;
    case kOpIndex:
        WriteNode(node->left);
        Append("[");
        WriteNode(node->right);
        Append("]");
        break;
    case kOpMemberSelect:
        WriteNode(node->left);
        Append(".");
        WriteNode(node->right);
        break;
    case kOpConditional:
        WriteCondition(node->left);
        Append(" ? ");
        WriteNode(node->right);
        break;
    default:
        WriteNode(node->left);
        Append(" ");
        Append(text);
        Append(" ");
        WriteNode(node->right);
        break;
    }
    if (!allowBitwise && IsBitwiseOperator(node->op))
        ReportError("bit-wise operations are not supported.");
}

void Translator::WriteIfStatement(const IfNode* node)
{
    Append("if (");
    WriteCondition(node->condition);
    Append(")\n");
    WriteBranchBody(node->thenBranch, 1);
    if (node->elseBranch) {
        bool elseIf = node->elseBranch->kind == kNodeIf;
        Append("\n");
        WriteIndentation();
        AppendFormat("else%c", elseIf ? ' ' : '\n');
        WriteBranchBody(node->elseBranch, elseIf ? 0 : 1);
    }
}

void Translator::WriteInterfaceStructures(const ShaderDescription&) {}

void Translator::WriteSymbol(const SymbolNode* symbol)
{
    Append(symbol->name.text);
}

void Translator::WriteForStatement(const LoopNode* loop)
{
    Append("for (");
    WriteStatementNode(loop->init);
    Append("; ");
    if (IsConditionDeclaration(loop->condition))
        WriteStatementNode(loop->condition);
    else if (loop->condition)
        WriteCondition(loop->condition);
    Append("; ");
    WriteNode(loop->increment);
    Append(")\n");
}

void Translator::WriteVariableDeclaration(const ListNode* list)
{
    bool previousWasArray = false;
    for (int32_t i = 0; i < list->children.count; ++i) {
        const Node* declarator = list->children.data[i];
        if (!declarator)
            continue;
        // The declarator's own Symbol knows its size: in "float a[2], b;" only a is an array.
        const Node* symbol = declarator->kind == kNodeOperator ? static_cast<const OperatorNode*>(declarator)->left
                                                               : declarator;
        const Type* symbolType = GetNodeType(symbol);
        int32_t arraySize = symbolType ? symbolType->arraySize : list->type.arraySize;
        if (symbol && !declaredSymbols.Contains(symbol))
            declaredSymbols.Add(symbol);
        bool isArray = arraySize != 0;
        if (i == 0) {
            WriteDeclarationType(list);
        } else if (isArray || previousWasArray) {
            Append(";\n");
            WriteIndentation();
            WriteDeclarationType(list);
        } else {
            Append(", ");
        }
        if (isArray)
            WriteArraySpecifier(list, declarator);
        else
            WriteNode(declarator);
        previousWasArray = isArray;
    }
}

void Translator::WriteDeclarationType(const ListNode* list)
{
    WriteQualifiedTypeName(list->type);
    Append(" ");
}

void Translator::WriteArraySpecifier(const ListNode* list, const Node* declarator)
{
    const OperatorNode* assignment =
        declarator->kind == kNodeOperator ? static_cast<const OperatorNode*>(declarator) : nullptr;
    const Node* symbol = assignment ? assignment->left : declarator;
    WriteNode(symbol);
    const Type* symbolType = GetNodeType(symbol);
    AppendFormat("[%i]", symbolType && symbolType->arraySize ? symbolType->arraySize : list->type.arraySize);
    if (assignment)
        WriteArrayInitializer(assignment);
}

void Translator::WriteWhileStatement(const LoopNode* loop)
{
    if (loop->form == kLoopDoWhile) {
        Append("\n");
        WriteIndentation();
    }
    Append("while (");
    if (IsConditionDeclaration(loop->condition))
        WriteStatementNode(loop->condition);
    else
        WriteCondition(loop->condition);
    AppendFormat(")%c", loop->form == kLoopDoWhile ? ';' : '\n');
}

void Translator::WriteCondition(const Node* condition)
{
    WriteNode(condition);
}

void Translator::WriteNode(const Node* node)
{
    if (!node)
        return;
    if (depth >= depthLimit || needsDeeperStack) {
        needsDeeperStack = 1;
        return;
    }
    ++depth;
    switch (node->kind) {
    case kNodeList:
        WriteList(static_cast<const ListNode*>(node));
        break;
    case kNodeFunction:
        WriteFunctionDefinition(static_cast<const FunctionNode*>(node));
        break;
    case kNodeCall:
        WriteFunctionCall(static_cast<const FunctionNode*>(node));
        break;
    case kNodeLoop:
        WriteIterationStatement(static_cast<const LoopNode*>(node));
        break;
    case kNodeBranch:
        WriteJumpStatement(static_cast<const BranchNode*>(node));
        break;
    case kNodeLiteral:
        WriteLiteral(static_cast<const LiteralNode*>(node));
        break;
    case kNodeOperator:
        WriteOperatorExpression(static_cast<const OperatorNode*>(node));
        break;
    case kNodeIf:
        WriteIfStatement(static_cast<const IfNode*>(node));
        break;
    case kNodeSymbol:
        WriteSymbol(static_cast<const SymbolNode*>(node));
        break;
    default:
        break;
    }
    --depth;
}

void Translator::WriteList(const ListNode* list)
{
    if (list->op == kOpStatementList)
        WriteStatementList(list, true);
    else if (list->op == kOpDeclarationList)
        WriteVariableDeclaration(list);
}

void Translator::WriteStatementList(const ListNode* list, bool bracesAllowed)
{
    bool braces = bracesAllowed && list->isBlock;
    if (braces) {
        WriteIndentation();
        Append("{\n");
        ++indentation;
    }
    const Node* previous = nullptr;
    for (int32_t i = 0; i < list->children.count; ++i) {
        const Node* child = list->children.data[i];
        if (IsEmptyStatement(child))
            continue;
        if (child->kind == kNodeFunction) {
            // A prototype writes nothing (the prototype section declares every defined
            // function), nor does a definition met a second time.
            const FunctionNode* function = static_cast<const FunctionNode*>(child);
            if (!function->isDefined || writtenFunctions.Contains(function))
                continue;
        }
        if (previous && (StandsApart(child) || StandsApart(previous)))
            Append("\n");
        if (IsList(child, kOpStatementList) && !static_cast<const ListNode*>(child)->isBlock) {
            // Statements grouped without braces stand at this level.
            WriteStatementList(static_cast<const ListNode*>(child), false);
        } else {
            WriteStatement(child, true, true);
        }
        previous = child;
    }
    if (braces) {
        --indentation;
        WriteIndentation();
        Append("}");
    }
}

void Translator::WriteStatement(const Node* node, bool indentFirst, bool newline)
{
    if (!inFunction && (IsList(node, kOpDeclarationList) || IsBareDeclarator(node)))
        currentSection = &globals;
    // A block indents its own braces.
    bool isBlock = IsList(node, kOpStatementList) && static_cast<const ListNode*>(node)->isBlock;
    if (indentFirst && !isBlock)
        WriteIndentation();
    WriteStatementNode(node);
    switch (node ? node->kind : kNodeList) {
    case kNodeList:
        if (IsList(node, kOpDeclarationList))
            Append(";");
        break;
    case kNodeFunction:
        break;
    case kNodeLoop:
    case kNodeIf:
        break;
    default:
        Append(";");
        break;
    }
    if (newline)
        Append("\n");
    currentSection = &bodySection;
}

void Translator::WriteBranchBody(const Node* node, int indentIt)
{
    const ListNode* list = AsList(node);
    if (list && list->op == kOpStatementList && list->isBlock) {
        WriteList(list);
        return;
    }
    if (list && list->op == kOpStatementList && list->children.count != 1) {
        // An empty statement keeps its ";" (a body may not vanish), several unbraced
        // statements get braces.
        indentation += indentIt;
        WriteIndentation();
        if (list->children.count == 0) {
            Append(";");
        } else {
            Append("{\n");
            ++indentation;
            WriteStatementList(list, false);
            --indentation;
            WriteIndentation();
            Append("}");
        }
        indentation -= indentIt;
        return;
    }
    if (list && list->op == kOpStatementList)
        node = list->children.data[0];
    indentation += indentIt;
    if (!node || IsEmptyStatement(node)) {
        if (indentIt)
            WriteIndentation();
        Append(";");
    } else {
        WriteStatement(node, indentIt != 0, false);
    }
    indentation -= indentIt;
}

bool Translator::IsBareDeclarator(const Node* node) const
{
    if (!node)
        return false;
    if (node->kind == kNodeOperator)
        return (node->flags & kNodeFlagDeclarationInitializer) != 0 &&
               static_cast<const OperatorNode*>(node)->op == kOpAssign;
    if (node->kind != kNodeSymbol)
        return false;
    // The built-in structures and the description's constants are never declared in the
    // source, and a name declared already makes the statement an expression.
    const SymbolNode* symbol = static_cast<const SymbolNode*>(node);
    return symbol->name.text && symbol->name.text[0] && !symbol->isDescriptionConstant &&
           symbol->type.baseKind != kBaseStruct && !declaredSymbols.Contains(symbol);
}

void Translator::WriteStatementNode(const Node* node)
{
    if (!IsBareDeclarator(node)) {
        WriteNode(node);
        return;
    }
    const Node* symbol = node->kind == kNodeOperator ? static_cast<const OperatorNode*>(node)->left : node;
    const Type* symbolType = GetNodeType(symbol);
    ListNode& declaration = bareDeclaration;
    declaration.op = kOpDeclarationList;
    declaration.line = node->line;
    declaration.column = node->column;
    declaration.type = symbolType ? *symbolType : Type();
    declaration.children.count = 0;
    declaration.children.Add(const_cast<Node*>(node));
    WriteVariableDeclaration(&declaration);
    declaration.children.count = 0;
}

void Translator::WriteQualifiedTypeName(const Type& type)
{
    if (type.qualifiers & kQualifierConst)
        Append("const ");
    Append(GetTypeName(type));
}

void Translator::AppendFormat(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    currentSection->AppendFormatArguments(format, args);
    va_end(args);
}

void Translator::WriteIndentation()
{
    static const char kTabs[] = "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t";
    const int32_t tabCount = static_cast<int32_t>(sizeof(kTabs)) - 1;
    for (int32_t left = indentation; left > 0; left -= tabCount)
        currentSection->Append(kTabs + (left >= tabCount ? 0 : tabCount - left));
}

void Translator::ReportError(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    String message = FormatArguments(format, args);
    va_end(args);
    errorLog.AppendError(message.text);
    succeeded = 0;
}

bool IsBitwiseOperator(uint32_t op)
{
    switch (op) {
    case kOpBitwiseNot:
    case kOpAndAssign:
    case kOpLeftShiftAssign:
    case kOpOrAssign:
    case kOpRightShiftAssign:
    case kOpXorAssign:
    case kOpBitwiseAnd:
    case kOpBitwiseOr:
    case kOpBitwiseXor:
    case kOpLeftShift:
    case kOpRightShift:
        return true;
    default:
        return false;
    }
}

bool IsSamplingOperator(uint32_t op)
{
    return op >= kBuiltInSampleTexture && op <= kBuiltInSampleTextureLodOffset;
}

const char* TextureDimensionSuffix(uint32_t dimension, bool capitalCube)
{
    switch (dimension) {
    case kTexture2D:
        return "2D";
    case kTexture3D:
        return "3D";
    case kTextureCube:
        return capitalCube ? "CUBE" : "Cube";
    default:
        return "";
    }
}

} // namespace ShaderTool
