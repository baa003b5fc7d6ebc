// The translation context, its logs, and the targets it translates for.
#include "shadertool/core/context.h"
#include "shadertool/core/target.h"
#include "shadertool/description/shader_xml_reader.h"
#include "shadertool/preprocess/preprocessor.h"
#include "shadertool/preprocess/tokenizer.h"
#include "shadertool/translator/translator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

using namespace ShaderTool;

TEST(ShaderContext, GlobalContextIsBuiltWithOneErrorLogForEveryStage) {
    const Context& context = g_shaderContext;
    // The stages in front of the parser report into the same error log.
    ASSERT_TRUE(context.tokenizer && context.preprocessor && context.reader);
    EXPECT_EQ(context.tokenizer->errorLog, &context.errorLog);
    EXPECT_EQ(context.preprocessor->errorLog, &context.errorLog);
    EXPECT_EQ(context.reader->errorLog, &context.errorLog);
    EXPECT_EQ(context.parse.errorLog, &context.errorLog);
    EXPECT_EQ(context.parse.tokenSource, context.tokenizer);
    EXPECT_NE(context.preprocessor->FindMacro("_PI"), nullptr);
    EXPECT_NE(context.parse.builtInFunctions.FindBySignature("dot,f3,f3"), nullptr);
    // Only the OpenGL ES 2 target lacks 3D textures.
    ASSERT_NE(context.GetCapabilities(kTargetESSL20), nullptr);
    EXPECT_EQ(context.GetCapabilities(kTargetESSL20)->textures3D, 0);
    EXPECT_EQ(context.GetCapabilities(kTargetGLSL21)->textures3D, 1);
    EXPECT_EQ(context.GetCapabilities(kTargetGLSL21)->multiplePixelOutputs, 0);
    EXPECT_EQ(context.GetCapabilities(kTargetCG), nullptr);
}

TEST(ShaderContext, ClearingTheInterfaceStructuresKeepsThemEmpty) {
    Context context;
    StringMap<Type>* input = context.parse.FindStructure("_Input");
    ASSERT_NE(input, nullptr);
    (*input)["position"] = Type(kBaseFloat, 4, kQualifierConst);
    (*context.parse.FindStructure("_Texture"))["diffuse"] = Type::MakeTexture(kTexture2D);
    context.parse.ClearInterfaceStructures();
    EXPECT_EQ(input->entries.count, 0);
    EXPECT_EQ(context.parse.FindStructure("_Texture")->entries.count, 0);
    EXPECT_EQ(context.parse.FindStructure("_Other"), nullptr);
    EXPECT_EQ(context.parse.FindStructure(nullptr), nullptr);
    // Errors fail the unit even without a log to write them to.
    ParseContext parse;
    parse.ReportError(SourcePosition{5, 12}, "undeclared identifier '%s'.", "x");
    EXPECT_EQ(parse.success, 0);
}

namespace {
struct CountedTranslator : Translator {
    int* destroyed;
    CountedTranslator(Log& log, int* count) : Translator(log), destroyed(count) {}
    ~CountedTranslator() override { ++*destroyed; }
};
} // namespace

TEST(ShaderContext, DestroysTheTranslatorsItOwns) {
    int destroyed = 0;
    {
        Context context;
        context.translators[0] = new CountedTranslator(context.errorLog, &destroyed);
        context.translators[kTargetCount - 1] = new CountedTranslator(context.errorLog, &destroyed);
    }
    EXPECT_EQ(destroyed, 2);
}

TEST(ShaderLog, MovingIntoTheReportEmptiesTheErrorLog) {
    Log errors, report, quiet, note, clean;
    errors.AppendError("file is of invalid version.");
    errors.MoveInto(report, "Failed to read the Shader XML");
    const char* const moved = "Failed to read the Shader XML:\nError: file is of invalid version.\n";
    EXPECT_STREQ(report.text.text, moved);
    EXPECT_EQ(report.hasError, 1);
    EXPECT_EQ(errors.text.text, nullptr);
    EXPECT_EQ(errors.hasText, 0);
    EXPECT_EQ(errors.hasError, 0);
    // An empty log with an empty title adds nothing and keeps the report's flags; a log
    // moved into itself stays as it is.
    quiet.MoveInto(report, "");
    report.MoveInto(report, "self");
    EXPECT_STREQ(report.text.text, moved);
    EXPECT_EQ(report.hasText, 1);
    EXPECT_EQ(report.hasError, 1);
    // Text without an error marks the target as holding text only.
    note.Append("note\n");
    note.MoveInto(clean, nullptr);
    EXPECT_STREQ(clean.text.text, "note\n");
    EXPECT_EQ(clean.hasText, 1);
    EXPECT_EQ(clean.hasError, 0);
}

TEST(ShaderLog, GrowsLineByLineAndFollowsATextReplacedOrCutFromOutside) {
    Log log;
    std::string expected;
    for (int i = 0; i < 300; ++i) {
        log.AppendFormat("Translating for target '%s'...\n", i % 2 ? "GLSL21" : "HLSL11");
        expected += i % 2 ? "Translating for target 'GLSL21'...\n" : "Translating for target 'HLSL11'...\n";
    }
    log.AppendError(std::string(1000, 'x').c_str());  // past the stack buffer of a formatted line
    expected += "Error: " + std::string(1000, 'x') + "\n";
    EXPECT_EQ(std::string(log.text.text), expected);
    EXPECT_EQ(log.Length(), expected.size());
    log.Truncate(35);
    log.Append("more\n");
    EXPECT_EQ(std::string(log.text.text), expected.substr(0, 35) + "more\n");
    log.text.Assign("replaced\n");
    log.AppendFormat("%i lines", 2);
    EXPECT_STREQ(log.text.text, "replaced\n2 lines");
    log.Truncate(0);
    EXPECT_EQ(log.text.text, nullptr);
    EXPECT_EQ(log.hasError, 1) << "cutting the text leaves the flags to the caller";

    // A cleared log's block is freed, and text given afterwards may well get the same
    // address; it must not be taken for the grown text that was there.
    for (int round = 0; round < 8; ++round) {
        log.Append(std::string(100, 'x').c_str());
        log.Clear();
        const std::string replaced(255 - round, 'y');
        log.text.Assign(replaced.c_str());
        log.Append("z");
        ASSERT_EQ(std::string(log.text.text), replaced + "z") << round;
        log.Truncate(0);
    }
}

TEST(ShaderTargets, NamesIndicesFamiliesAndListsThatMustMatchExactly) {
    EXPECT_STREQ(GetTargetName(kTargetHLSL9), "HLSL9");
    EXPECT_STREQ(GetTargetName(kTargetCG), "CG");
    EXPECT_EQ(GetTargetName(kTargetAll), nullptr);
    EXPECT_EQ(GetTargetIndex(kTargetGLSL31), 3);
    EXPECT_EQ(GetTargetIndex(kTargetCG), -1);
    EXPECT_EQ(GetTargetFamily(kTargetESSL20), kFamilyGL);
    EXPECT_EQ(GetTargetFamily(kTargetHLSL9), kFamilyHLSL);
    EXPECT_EQ(GetTargetFamily(kTargetPSSL), kFamilyPSSL);
    EXPECT_EQ(GetTargetFamily(3), -1);
    for (const char* all : {static_cast<const char*>(nullptr), "", "ALL"})
        EXPECT_EQ(ParseTargetList(all), 127u) << (all ? all : "null");
    EXPECT_EQ(ParseTargetList("HLSL11,GLSL21"), 36u);
    EXPECT_EQ(ParseTargetList("PSSL,"), 64u) << "a comma at the end adds no name";
    for (const char* list : {"HLSL11, GLSL21", "HLSL11,,GLSL21", ",HLSL11", "hlsl11", "CG", "HLSL11HLSL11HLSL11"})
        EXPECT_EQ(ParseTargetList(list), 0u) << list;
}

TEST(ShaderContext, NodesOfAParseShareBlocksThatTheNextParseReuses) {
    ParseContext parse;
    ListNode* first = CreateListNode(parse, kOpStatementList, SourcePosition{3, 7});
    SymbolNode* symbol = CreateSymbolNode(parse, Type(kBaseFloat, 3), "normal", SourcePosition{4, 7});
    AppendToList(first, symbol);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(first) % 8, 0u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(symbol) % 8, 0u);
    EXPECT_STREQ(symbol->name.text, "normal");
    EXPECT_EQ(first->children.count, 1);
    // A removed node is destroyed where it stands; the rest of the tree stays readable.
    ASSERT_TRUE(parse.nodes.Remove(symbol));
    DestroyNode(symbol);
    EXPECT_EQ(first->line, 7);
    // More nodes than one block holds.
    for (int i = 0; i < 2000; ++i)
        CreateSymbolNode(parse, Type(kBaseInt, 1), "counter", SourcePosition{1, 9});
    EXPECT_EQ(parse.nodes.count, 2001);
    parse.DestroyNodes();
    EXPECT_EQ(parse.nodes.count, 0);
    ListNode* again = CreateListNode(parse, kOpStatementList);
    EXPECT_EQ(again->children.count, 0);
    EXPECT_EQ(again->isBlock, 0);
    // Children and texts kept in the store: a list outgrowing its pieces keeps its order, a
    // copy lives on the heap, and an int literal converted in place gets its float text.
    for (int i = 0; i < 100; ++i)
        AppendToList(again, CreateLiteralNode(parse, kBaseInt, std::to_string(i).c_str(), SourcePosition{i, 1}));
    NodeChildren copy = again->children;
    parse.DestroyNodes();
    ASSERT_EQ(copy.count, 100);
    EXPECT_EQ(copy.store, nullptr);
    LiteralNode* three = CreateLiteralNode(parse, kBaseInt, "3", SourcePosition{1, 1});
    EXPECT_EQ(ConvertToFloat(parse, three, Type(kBaseFloat, 1)), three);
    EXPECT_STREQ(three->text.text, "3.000000f");
    EXPECT_STREQ(CreateLiteralNode(parse, kBaseFloat, "0.5", SourcePosition{1, 1})->text.text, "0.5f");
    parse.DestroyNodes();
}
