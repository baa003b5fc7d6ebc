#include "shadertool/semantic/semantic_internal.h"

#include <cstring>

namespace ShaderTool {

namespace {

bool IsNamed(const String& name, const char* text)
{
    return name.text && strcmp(name.text, text) == 0;
}

bool IsBuiltInVariableName(const char* name)
{
    return name && (strcmp(name, "input") == 0 || strcmp(name, "output") == 0 || strcmp(name, "texture") == 0);
}

// Parameter Symbols and the parameter list of a prototype whose definition replaces them.
void DestroyParameters(ParseContext& context, FunctionNode* function)
{
    ListNode* parameters = function->Parameters();
    if (!parameters)
        return;
    for (int32_t i = 0; i < parameters->children.count; ++i) {
        Node* parameter = parameters->children.data[i];
        if (parameter && parameter->kind == kNodeSymbol && context.nodes.Remove(parameter))
            DestroyNode(parameter);
    }
    if (context.nodes.Remove(parameters))
        DestroyNode(parameters);
    function->children.RemoveAt(0);
}

// The type a declaration declares: its Symbol's, or the Symbol's under an initializing "=".
Type DeclaredType(const Node* declaration)
{
    if (declaration && declaration->kind == kNodeOperator) {
        const OperatorNode* assignment = static_cast<const OperatorNode*>(declaration);
        declaration = assignment->left;
    }
    if (declaration && declaration->kind == kNodeSymbol)
        return static_cast<const SymbolNode*>(declaration)->type;
    return Type();
}

} // namespace

Type TypeSpecifier::ToType() const
{
    Type type;
    if (baseKind == kBaseTexture)
        type = Type::MakeTexture(textureDimension);
    else if (matrixSize >= 1)
        type = Type::MakeMatrix(matrixSize);
    else
        type = Type(baseKind, vectorSize);
    type.arraySize = arraySize;
    type.qualifiers = qualifiers;
    return type;
}

TypeSpecifier TypeSpecifierForKeyword(int32_t tokenKind)
{
    struct Row {
        int32_t token;
        uint32_t baseKind;
        uint32_t constructorId;
        int32_t vectorSize;
        int32_t matrixSize;
        uint32_t textureDimension;
    };
    static const Row kRows[] = {
        {kTokenBool, kBaseBool, kConstructorBool, 1, 0, kTextureNone},
        {kTokenFloat, kBaseFloat, kConstructorFloat, 1, 0, kTextureNone},
        {kTokenFloat2, kBaseFloat, kConstructorFloat2, 2, 0, kTextureNone},
        {kTokenFloat3, kBaseFloat, kConstructorFloat3, 3, 0, kTextureNone},
        {kTokenFloat4, kBaseFloat, kConstructorFloat4, 4, 0, kTextureNone},
        {kTokenFloat2x2, kBaseFloat, kConstructorFloat2x2, 0, 2, kTextureNone},
        {kTokenFloat3x3, kBaseFloat, kConstructorFloat3x3, 0, 3, kTextureNone},
        {kTokenFloat4x4, kBaseFloat, kConstructorFloat4x4, 0, 4, kTextureNone},
        {kTokenInt, kBaseInt, kConstructorInt, 1, 0, kTextureNone},
        {kTokenInt2, kBaseInt, kConstructorInt2, 2, 0, kTextureNone},
        {kTokenInt3, kBaseInt, kConstructorInt3, 3, 0, kTextureNone},
        {kTokenInt4, kBaseInt, kConstructorInt4, 4, 0, kTextureNone},
        {kTokenVoid, kBaseVoid, kNoConstructor, 0, 0, kTextureNone},
        {kTokenTexture2D, kBaseTexture, kNoConstructor, 0, 0, kTexture2D},
        {kTokenTexture3D, kBaseTexture, kNoConstructor, 0, 0, kTexture3D},
        {kTokenTextureCube, kBaseTexture, kNoConstructor, 0, 0, kTextureCube},
    };
    TypeSpecifier specifier;
    for (const Row& row : kRows) {
        if (row.token != tokenKind)
            continue;
        specifier.baseKind = row.baseKind;
        specifier.constructorId = row.constructorId;
        specifier.vectorSize = row.vectorSize;
        specifier.matrixSize = row.matrixSize;
        specifier.textureDimension = row.textureDimension;
    }
    return specifier;
}

void CheckParameter(ParseContext& context, Node* node)
{
    const Type* type = GetNodeType(node);
    if (!type)
        return;
    bool isHeader = node->kind == kNodeFunction;
    if (type->baseKind == kBaseStruct || type->baseKind == kBaseTexture || (!isHeader && type->baseKind == kBaseVoid))
        context.ReportError(node->Position(), "invalid type specifier.");
    if (type->IsConst())
        context.ReportError(node->Position(), "'const' is not allowed in function declarations.");
    if (node->kind == kNodeSymbol && IsNamed(static_cast<SymbolNode*>(node)->name, "texture"))
        context.ReportError(node->Position(), "parameter can not have the same name as built-in variable '%s'.",
                            "texture");
}

FunctionNode* DeclareFunction(ParseContext& context, FunctionNode* function, bool isDefinition)
{
    if (!function)
        return nullptr;
    if (isDefinition)
        function->isDefined = 1;
    ListNode* parameters = function->Parameters();
    NodeChildren none;
    function->signatureKey = BuildSignatureKey(function->name.text, parameters ? parameters->children : none);
    const char* key = function->signatureKey.text ? function->signatureKey.text : "";

    if (IsNamed(function->name, "main") &&
        (!isDefinition || function->type.baseKind != kBaseVoid || strcmp(key, "main,") != 0))
        context.ReportError(function->Position(), "main() must be defined only and can not have overloads.");

    StringMapEntry<FunctionNode*>* entry = FindFunctionEntry(context, key);
    if (entry && !entry->value) {
        entry->value = function;
        return function;
    }
    if (!entry) {
        // Not through operator[]: the key was just searched for, and it would search the table again.
        StringMapEntry<FunctionNode*>* added = new StringMapEntry<FunctionNode*>();
        added->key.Assign(key);
        added->value = function;
        context.functions.entries.Add(added);
        return function;
    }

    FunctionNode* existing = entry->value;
    if (!isDefinition) {
        context.ReportError(function->Position(), "function '%s' already has a declaration.", function->name.text);
        return function;
    }
    // A built-in counts as defined: its record belongs to the built-in table, which a
    // source must never rewrite.
    if (existing->isDefined || existing->isBuiltIn) {
        context.ReportError(function->Position(), "function '%s' already has a definition.", function->name.text);
        return function;
    }

    // The prototype's node takes over the definition, so calls already resolved to it
    // reach the body.
    DestroyParameters(context, existing);
    for (int32_t i = 0; i < function->children.count; ++i)
        existing->children.Add(function->children.data[i]);
    existing->isDefined = 1;
    // Reports about the body (a missing return) point at the definition.
    existing->SetPosition(function->Position());
    if (context.nodes.Remove(function))
        DestroyNode(function);
    return existing;
}

void BeginFunctionBody(ParseContext& context, FunctionNode* function)
{
    context.currentFunction = function;
    context.returnCount = 0;
    PushScope(context);
    if (!function)
        return;
    if (ListNode* parameters = function->Parameters()) {
        for (int32_t i = 0; i < parameters->children.count; ++i) {
            Node* parameter = parameters->children.data[i];
            if (parameter && parameter->kind == kNodeSymbol)
                DeclareSymbol(context, static_cast<SymbolNode*>(parameter));
        }
    }
    if (IsNamed(function->name, "main")) {
        DeclareSymbol(context, CreateStructureSymbol(context, kInputStructureName, "input"));
        DeclareSymbol(context, CreateStructureSymbol(context, kOutputStructureName, "output"));
    }
}

void EndFunctionBody(ParseContext& context)
{
    FunctionNode* function = context.currentFunction;
    if (function && context.returnCount == 0 && function->type.baseKind != kBaseVoid)
        context.ReportError(function->Position(), "function '%s' must return a value.", function->name.text);
    context.currentFunction = nullptr;
}

void CheckReturn(ParseContext& context, BranchNode* branch)
{
    ++context.returnCount;
    FunctionNode* function = context.currentFunction;
    if (!branch || !function)
        return;
    if (IsNamed(function->name, "main")) {
        context.ReportError(branch->Position(), "returning from main() is not allowed.");
        return;
    }
    const Type& expected = function->type;
    if (!branch->value) {
        if (expected.baseKind != kBaseVoid)
            context.ReportError(branch->Position(), "return value type does not match the function type.");
        return;
    }
    const Type* value = GetNodeType(branch->value);
    bool shapeMatches = value && value->vectorSize == expected.vectorSize && value->matrixSize == expected.matrixSize &&
                        value->textureDimension == expected.textureDimension && SameTypeName(*value, expected) &&
                        value->arraySize == 0;
    if (shapeMatches && value->baseKind == expected.baseKind)
        return;
    if (shapeMatches && expected.baseKind == kBaseFloat && value->baseKind == kBaseInt) {
        branch->value = ConvertToFloat(context, branch->value, expected);
        return;
    }
    context.ReportError(branch->Position(), "return value type does not match the function type.");
}

void CheckArrayDeclarator(ParseContext& context, TypeSpecifier& type, ListNode* initializerList,
                          const SourcePosition& position)
{
    if (type.arraySize == 0 || type.arraySize < -1) {
        context.ReportError(position, "array size must be larger than 0.");
        return;
    }
    if (type.arraySize == -1) {
        if (!initializerList) {
            context.ReportError(position, "array size is required when the initializer list is omitted.");
            return;
        }
        type.arraySize = initializerList->children.count;
    }
    if (!initializerList)
        return;
    if (initializerList->children.count != type.arraySize) {
        context.ReportError(position, "array size does not match with the number of items in the initializer list.");
        return;
    }

    Type listType = type.ToType();
    bool allConstant = true;
    for (int32_t i = 0; i < initializerList->children.count; ++i) {
        Node* item = initializerList->children.data[i];
        const Type* itemType = GetNodeType(item);
        if (!itemType || itemType->vectorSize != listType.vectorSize || itemType->matrixSize != listType.matrixSize ||
            itemType->textureDimension != listType.textureDimension || !SameTypeName(*itemType, listType) ||
            itemType->baseKind != listType.baseKind || itemType->arraySize != 0) {
            context.ReportError(item ? item->Position() : position,
                                "member in initializer list does not match the list type. NOTE: implicit conversion "
                                "is not allowed.");
        }
        if (!itemType || !itemType->isConstant)
            allConstant = false;
    }
    listType.isConstant = allConstant ? 1 : 0;
    initializerList->type = listType;
}

Node* DeclareVariableOfType(ParseContext& context, const SourceName& name, Node* initializer,
                            const SourcePosition& assignPosition, Type type)
{
    SourcePosition position = PositionOf(name);
    if (type.baseKind == kBaseStruct || type.baseKind == kBaseTexture || type.baseKind == kBaseVoid)
        context.ReportError(position, "invalid type specifier.");
    if (IsBuiltInVariableName(name.text))
        context.ReportError(position, "variable can not have the same name as built-in variable '%s'.", name.text);

    if (type.IsConst()) {
        const Type* initial = GetNodeType(initializer);
        if (!initializer)
            context.ReportError(position, "'const' variable must be initialized.");
        else if (initial && initial->isConstant && type.arraySize == 0)
            type.isConstant = 1;
        else if (initial && initial->isConstant)
            context.ReportError(position, "'const' is not allowed in array declarations.");
        else
            context.ReportError(initializer->Position(), "initializer of 'const' variable must be a constant expression.");
    }

    SymbolNode* symbol = CreateSymbolNode(context, type, name.text, position);
    DeclareSymbol(context, symbol);
    if (!initializer)
        return symbol;

    OperatorNode* assignment = CreateOperatorNode(context, kOpAssign, assignPosition);
    assignment->flags |= kNodeFlagDeclarationInitializer;
    CheckOperator(context, assignment, symbol, initializer);
    return assignment;
}

Node* DeclareVariable(ParseContext& context, const SourceName& name, Node* initializer, const SourcePosition& assignPosition,
                      const TypeSpecifier& type)
{
    return DeclareVariableOfType(context, name, initializer, assignPosition, type.ToType());
}

ListNode* AddDeclarator(ParseContext& context, Node* previous, const SourceName& name, Node* initializer,
                        const SourcePosition& assignPosition)
{
    ListNode* list = nullptr;
    if (previous && previous->kind == kNodeList && static_cast<ListNode*>(previous)->op == kOpDeclarationList) {
        list = static_cast<ListNode*>(previous);
    } else {
        list = CreateListNode(context, kOpDeclarationList, previous ? previous->Position() : PositionOf(name));
        list->type = DeclaredType(previous);
        AppendToList(list, previous);
    }
    // Only the declarator that has the array specifier is an array: in "float a[2], b"
    // b is a float.
    Type type = list->type;
    type.arraySize = 0;
    type.isConstant = 0;
    AppendToList(list, DeclareVariableOfType(context, name, initializer, assignPosition, type));
    return list;
}

} // namespace ShaderTool
