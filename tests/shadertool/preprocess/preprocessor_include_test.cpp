// Includes: splicing between line markers, nesting, cycles, missing files, and the file
// names and lines that errors inside included text carry.
#include "shadertool/shadertool_fixture.h"

#include "core/engine_log.h"

using namespace ShaderTool;

using PreprocessorIncludes = shadertool_test::PreprocessTest;
using Lines = std::vector<std::string>;

TEST_F(PreprocessorIncludes, IncludedTextStandsBetweenLineMarkers) {
    files->Put("shaders/lib/common.fx", "// shared\n#define SCALE 2\nfloat f() { return SCALE; }\n");
    ASSERT_TRUE(Run("a\n#include \"lib/common.fx\"  \nb SCALE", kTargetHLSL11, "shaders/main.fx"));
    EXPECT_EQ(Output(), "a\n@f \"shaders/lib/common.fx\" 1\n  \n\nfloat f() { return 2; }\n\n"
                        "@f \"shaders/main.fx\" 3  \nb 2");
    EXPECT_EQ(files->opened.size(), 1u);
    // Branches left open inside an include keep the markers.
    files->Put("open.fx", "#if 0\nhidden");
    ASSERT_TRUE(Run("#include \"open.fx\"\nskipped\n#endif\nshown"));
    EXPECT_EQ(Output(), "@f \"open.fx\" 1\n\n\n@f \"main.fx\" 2\n\n\nshown");
    // Digits after the name run on into the exit marker's line, which saturates; an include
    // on a line after that marks its exit at the largest line too, never a negative one.
    files->Put("one.fx", "1");
    ASSERT_TRUE(Run("#include \"one.fx\"99999999999\n#include \"one.fx\"\nz"));
    EXPECT_EQ(Output().substr(Output().rfind("@f")), "@f \"main.fx\" 2147483647\nz");
}

TEST_F(PreprocessorIncludes, ChainsResolveAgainstTheIncludingFile) {
    files->Put("res://a/first.fx", "#include \"b/second.fx\"\nfirst");
    files->Put("res://a/b/second.fx", "#include \"third.fx\"\nsecond");
    files->Put("res://a/b/third.fx", "third");
    files->Put("res://top.fx", "top");
    files->Put("top.fx", "top");
    ASSERT_TRUE(Run("#include \"a/first.fx\"\n#include \"top.fx\"\nmain", kTargetGLSL21, "res://main.fx"));
    EXPECT_EQ(CodeLines(), (Lines{"third", "second", "first", "top", "main"}));
    EXPECT_EQ(files->opened, (Lines{"res://a/first.fx", "res://a/b/second.fx", "res://a/b/third.fx", "res://top.fx"}));
    files->Put("plain.fx", "#include \"top.fx\"");
    ASSERT_TRUE(Run("#include \"plain.fx\"", kTargetGLSL21));
    EXPECT_EQ(CodeLines(), (Lines{"top"}));
}

TEST_F(PreprocessorIncludes, ErrorsNameTheIncludedFileAndItsLines) {
    files->Put("inc.fx", "ok\n#if 1\n  #else junk");
    ExpectErrors("x\n#include \"inc.fx\"\n#endif", "inc.fx(3:9) error: syntax error\n");
    files->Put("div.fx", "line\n#define D 1 / 0");
    ExpectErrors("#include \"div.fx\"\n#define Q 1 / 0",
                 "div.fx(2:13) error: division by zero.\nmain.fx(2:13) error: division by zero.\n");
    // Inline code names the XML file's own lines.
    files->Put("lex.fx", "\n#if 09\n#endif\n");
    EXPECT_FALSE(Run("\n#include \"lex.fx\"\n#else", kTargetHLSL11, "shader.xml", 40));
    EXPECT_EQ(Errors(), "lex.fx(2:5) error: unexpected digit in octal literal.\n"
                        "shader.xml(42:2) error: unexpected else directive.\n");
}

TEST_F(PreprocessorIncludes, CyclesEndInErrors) {
    // A loop without a guard is spliced until the file would stand in its chain a 17th time.
    files->Put("self.fx", "#include \"self.fx\"\ns");
    ExpectErrors("#include \"self.fx\"", "self.fx(1:2) error: recursive include of 'self.fx'.\n");
    const std::string output = Output();
    size_t splices = 0;
    for (size_t at = output.find("@f \"self.fx\" 1"); at != std::string::npos; at = output.find("@f \"self.fx\" 1", at + 1))
        ++splices;
    EXPECT_EQ(splices, 16u);
    files->Put("ping.fx", "#include \"pong.fx\"");
    files->Put("pong.fx", "#include \"ping.fx\"");
    ExpectErrors("#include \"ping.fx\"", "pong.fx(1:2) error: recursive include of 'ping.fx'.\n");
    // The run's own source counts as its first place in the chain.
    files->opened.clear();
    files->Put("main.fx", "#include \"main.fx\"");
    ExpectErrors("#include \"main.fx\"", "main.fx(1:2) error: recursive include of 'main.fx'.\n");
    EXPECT_EQ(files->opened.size(), 15u);
    // The same file twice in a row is no cycle.
    files->Put("twice.fx", "t");
    ASSERT_TRUE(Run("#include \"twice.fx\"\n#include \"twice.fx\""));
    EXPECT_EQ(CodeLines(), (Lines{"t", "t"}));
}

TEST_F(PreprocessorIncludes, GuardedHeadersIncludingEachOtherEndAtTheirGuards) {
    const auto text = [this] {
        Lines lines;
        for (const std::string& line : CodeLines())
            if (!line.empty())
                lines.push_back(line);
        return lines;
    };
    files->Put("cyc/a.inc", "#if !defined(A_H)\n#define A_H\n#define A_VALUE 1\n#include \"b.inc\"\na\n#endif\n");
    files->Put("cyc/b.inc", "#if !defined(B_H)\n#define B_H\n#define B_VALUE 2\n#include \"a.inc\"\nb A_VALUE\n#endif\n");
    ASSERT_TRUE(Run("#include \"cyc/a.inc\"\nmain A_VALUE B_VALUE"));
    EXPECT_EQ(text(), (Lines{"b 1", "a", "main 1 2"}));
    EXPECT_EQ(files->opened, (Lines{"cyc/a.inc", "cyc/b.inc", "cyc/a.inc"})) << "a.inc's second visit is spliced";
    // Entered from the other side, the other header's body comes first.
    ASSERT_TRUE(Run("#include \"cyc/b.inc\"\n#include \"cyc/a.inc\"\nmain"));
    EXPECT_EQ(text(), (Lines{"a", "b 1", "main"}));
}

TEST_F(PreprocessorIncludes, ChainsOfDistinctFilesNestAtAnyDepth) {
    // Each level includes the next, then has a line of its own.
    const int kLevels = 200;
    for (int level = 1; level < kLevels; ++level)
        files->Put("l" + std::to_string(level) + ".fx",
                   "#include \"l" + std::to_string(level + 1) + ".fx\"\nline " + std::to_string(level));
    files->Put("l" + std::to_string(kLevels) + ".fx", "bottom\n#else");
    ExpectErrors("#include \"l1.fx\"\nmain", "l200.fx(2:2) error: unexpected else directive.\n");
    files->Put("l200.fx", "bottom");
    files->opened.clear();
    ASSERT_TRUE(Run("#include \"l1.fx\"\nmain"));
    Lines lines = CodeLines();
    ASSERT_EQ(lines.size(), static_cast<size_t>(kLevels + 1));
    EXPECT_EQ(lines.front(), "bottom");
    EXPECT_EQ(lines[1], "line 199");
    EXPECT_EQ(lines[kLevels - 1], "line 1");
    EXPECT_EQ(lines.back(), "main");
    EXPECT_EQ(Output().substr(Output().rfind("@f")), "@f \"main.fx\" 2\nmain") << "back in the including file";
    EXPECT_EQ(files->opened.size(), static_cast<size_t>(kLevels));
    // A cycle deep down the chain is still found.
    files->Put("l200.fx", "#include \"l100.fx\"");
    ExpectErrors("#include \"l1.fx\"", "l200.fx(1:2) error: recursive include of 'l100.fx'.\n");
}

TEST_F(PreprocessorIncludes, DiamondsCannotGrowWithoutBound) {
    // Each level includes the next twice: 2^16 copies of the bottom would be far too much.
    for (int level = 1; level <= 15; ++level) {
        std::string next = "d" + std::to_string(level + 1) + ".fx";
        files->Put("d" + std::to_string(level) + ".fx", "#include \"" + next + "\"\n#include \"" + next + "\"\n");
    }
    files->Put("d16.fx", std::string(2000, 'x'));
    EXPECT_FALSE(Run("#include \"d1.fx\""));
    EXPECT_NE(Errors().find("error: included text is too large.\n"), std::string::npos);
}

TEST_F(PreprocessorIncludes, MissingUnreadableAndInactiveIncludes) {
    files->Put("short.fx", "abc");
    files->files["short.fx"].maxRead = 2;
    ExpectErrors("#include \"none.fx\"\n#include \"short.fx\"\nafter",
                 "main.fx(1:2) error: include file was not found.\nmain.fx(2:2) error: include file could not be read.\n");
    files->opened.clear();
    ASSERT_TRUE(Run("#if 0\n#include \"none.fx\"\n#endif\nafter"));
    EXPECT_EQ(Output(), "\n\n\nafter");
    EXPECT_TRUE(files->opened.empty());
    // Without a file system nothing can be found, and nothing breaks.
    qv->fileSystem = nullptr;
    EXPECT_FALSE(Run("#include \"x.fx\""));
}

TEST_F(PreprocessorIncludes, NewestTimeCoversEveryFileRead) {
    description.timeStamp = 100;
    files->Put("main.fx", "", 50);
    files->Put("inc.fx", "#include \"deep.fx\"", 150);
    files->Put("deep.fx", "", 300);
    preprocessor.trackTimes = 1;
    ASSERT_TRUE(Run("#include \"inc.fx\""));
    EXPECT_EQ(preprocessor.newestTime, 300u);
    ASSERT_TRUE(Run("x"));
    EXPECT_EQ(preprocessor.newestTime, 100u);
    preprocessor.trackTimes = 0;
    ASSERT_TRUE(Run("#include \"inc.fx\""));
    EXPECT_EQ(preprocessor.newestTime, 0u);
}
