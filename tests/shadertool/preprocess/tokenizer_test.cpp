// The language tokenizer: words, literals, operators, positions, line markers, and what
// hostile text does to it.
#include "preprocess_test_support.h"

#include "shadertool/preprocess/tokenizer.h"

using namespace ShaderTool;
using preprocess_test::ScannedToken;
using preprocess_test::Tokenize;

namespace {

std::string Errors(const Log& log)
{
    return log.text.text ? log.text.text : "";
}

std::vector<int> Kinds(const std::string& text, Log* log)
{
    std::vector<int> kinds;
    for (const ScannedToken& token : Tokenize(text, log))
        kinds.push_back(token.kind);
    return kinds;
}

ScannedToken Single(const std::string& text, Log* log)
{
    std::vector<ScannedToken> tokens = Tokenize(text, log);
    EXPECT_EQ(tokens.size(), 1u) << text;
    return tokens.empty() ? ScannedToken{kTokenNone, "", 0, 0} : tokens[0];
}

} // namespace

TEST(ShaderTokenizer, KeywordsAndReservedWords)
{
    Log log;
    // Capitals differ; directive words are identifiers to the language.
    EXPECT_EQ(Kinds("float4x4 int3 discard true True define defined", &log),
              (std::vector<int>{kTokenFloat4x4, kTokenInt3, kTokenDiscard, kTokenBoolConstant, kTokenIdentifier,
                                kTokenIdentifier, kTokenIdentifier}));
    EXPECT_EQ(log.hasError, 0);

    Log reserved;
    std::vector<ScannedToken> words = Tokenize("struct in\n  Texture2D", &reserved);
    ASSERT_EQ(words.size(), 3u);
    for (const ScannedToken& word : words)
        EXPECT_EQ(word.kind, kTokenReserved);
    EXPECT_EQ(Errors(reserved), "a.fx(1:1) error: 'struct' is a reserved word.\n"
                                "a.fx(1:8) error: 'in' is a reserved word.\n"
                                "a.fx(2:3) error: 'Texture2D' is a reserved word.\n");
    EXPECT_EQ(reserved.hasError, 1);
}

TEST(ShaderTokenizer, IntegerLiterals)
{
    Log log;
    ScannedToken hex = Single("0x1F", &log);
    EXPECT_EQ(hex.kind, kTokenIntConstant);
    EXPECT_EQ(hex.text, "0x1F");
    EXPECT_EQ(Single("0x", &log).text, "0x");
    EXPECT_EQ(Errors(log), "");

    Log octal;
    ScannedToken bad = Single("  019", &octal);
    EXPECT_EQ(bad.kind, kTokenIntConstant);
    EXPECT_EQ(bad.text, "019");
    EXPECT_EQ(Errors(octal), "a.fx(1:3) error: unexpected digit in octal literal.\n");

    // Every digit belongs to one literal, not only up to the first bad one.
    Log split;
    EXPECT_EQ(Single("0819", &split).text, "0819");
}

TEST(ShaderTokenizer, FloatLiterals)
{
    Log log;
    for (const char* text : {"09.5", "1.", ".5", "1e5", "1e+5f", "2.0F", "3.25e-2"}) {
        ScannedToken token = Single(text, &log);
        EXPECT_EQ(token.kind, kTokenFloatConstant) << text;
        EXPECT_EQ(token.text, text);
    }
    EXPECT_EQ(Errors(log), "");

    Log missing;
    std::vector<ScannedToken> tokens = Tokenize("1e x", &missing);
    ASSERT_EQ(tokens.size(), 2u);
    EXPECT_EQ(tokens[0].kind, kTokenFloatConstant);
    EXPECT_EQ(tokens[1].kind, kTokenIdentifier);
    EXPECT_EQ(Errors(missing), "a.fx(1:1) error: unexpected character in floating point literal.\n");

    // A period alone is member selection.
    std::vector<ScannedToken> member = Tokenize("a.x", &log);
    ASSERT_EQ(member.size(), 3u);
    EXPECT_EQ(member[1].kind, kTokenPeriod);
}

TEST(ShaderTokenizer, OperatorsTakeTheLongestSpelling)
{
    Log log;
    EXPECT_EQ(Kinds("<<= >>= << <= && ++ -= != < ! # $", &log),
              (std::vector<int>{kTokenAssignLeftShift, kTokenAssignRightShift, kTokenLeftShift, kTokenLessEqual,
                                kTokenLogicalAnd, kTokenIncrease, kTokenAssignSubtract, kTokenNotEqual,
                                kTokenLeftChevron, kTokenExclamation, kTokenHash, '$'}));
    // a---b is a -- - b; no blank needed between operators.
    EXPECT_EQ(Kinds("a---b", &log), (std::vector<int>{kTokenIdentifier, kTokenDecrease, kTokenDash, kTokenIdentifier}));
}

TEST(ShaderTokenizer, PositionsCountTabsAsFourColumns)
{
    Log log;
    std::vector<ScannedToken> tokens = Tokenize("\tx\n  y\n\t\tz w", &log, 10);
    ASSERT_EQ(tokens.size(), 4u);
    EXPECT_EQ(tokens[0].line, 10);
    EXPECT_EQ(tokens[0].column, 5);
    EXPECT_EQ(tokens[1].line, 11);
    EXPECT_EQ(tokens[1].column, 3);
    EXPECT_EQ(tokens[2].line, 12);
    EXPECT_EQ(tokens[2].column, 9);
    EXPECT_EQ(tokens[3].column, 11);
}

TEST(ShaderTokenizer, StringLiterals)
{
    Log log;
    ScannedToken text = Single("\"a b/c\"", &log);
    EXPECT_EQ(text.kind, kTokenStringLiteral);
    EXPECT_EQ(text.text, "a b/c");

    // No closing quote: no kind, and the next line is still its own.
    std::vector<ScannedToken> open = Tokenize("\"abc\nx", &log);
    ASSERT_EQ(open.size(), 2u);
    EXPECT_EQ(open[0].kind, kTokenNone);
    EXPECT_EQ(open[1].line, 2);
    EXPECT_EQ(Single("\"abc", &log).kind, kTokenNone);
}

TEST(ShaderTokenizer, CommentsAreBlankedInPlace)
{
    String stripped = StripComments("a /* x\n y */ b // rest\r\nc /* open");
    std::string expected = "a" + std::string(5, ' ') + "\n" + std::string(6, ' ') + "b" + std::string(3, ' ') + "\nc" +
                           std::string(8, ' ');
    EXPECT_STREQ(stripped.text, expected.c_str());

    Log log;
    std::vector<ScannedToken> tokens = Tokenize("x /* one\n two */ y // z\nw", &log, 1, true);
    ASSERT_EQ(tokens.size(), 3u);
    EXPECT_EQ(tokens[1].text, "y");
    EXPECT_EQ(tokens[1].line, 2);
    EXPECT_EQ(tokens[1].column, 9);
    EXPECT_EQ(tokens[2].text, "w");
    EXPECT_EQ(tokens[2].line, 3);

    // Never closed: only blanks remain, no tokens and no errors.
    EXPECT_TRUE(Tokenize("/* never closed\n int x;", &log, 1, true).empty());
    EXPECT_EQ(Errors(log), "");
    EXPECT_EQ(StripComments("").text, nullptr);
    EXPECT_STREQ(StripComments("a/").text, "a/");
}

TEST(ShaderTokenizer, LineMarkersRenameAndRenumber)
{
    Log log;
    std::vector<ScannedToken> tokens = Tokenize("x\n@f \"lib/inc.fx\" 1\nstruct\n@f \"main.fx\" 7\n019", &log);
    ASSERT_EQ(tokens.size(), 3u);
    EXPECT_EQ(tokens[1].line, 1);
    EXPECT_EQ(tokens[2].line, 7);
    EXPECT_EQ(Errors(log), "lib/inc.fx(1:1) error: 'struct' is a reserved word.\n"
                           "main.fx(7:1) error: unexpected digit in octal literal.\n");

    // A path longer than a token is still a whole file name, without complaint.
    Log longLog;
    std::string path(200, 'p');
    Tokenize("@f \"" + path + "\" 3\nstruct", &longLog);
    EXPECT_EQ(Errors(longLog), path + "(3:1) error: 'struct' is a reserved word.\n");

    // Broken markers end their line and change nothing.
    Log broken;
    std::vector<ScannedToken> rest = Tokenize("@f\nstruct\n@f \"x\n@x\n@", &broken);
    EXPECT_EQ(rest.size(), 1u);
    EXPECT_EQ(Errors(broken), "a.fx(2:1) error: 'struct' is a reserved word.\n");
}

TEST(ShaderTokenizer, HostileInputNeverBreaksIt)
{
    Log log;
    std::string longName(130, 'n');
    ScannedToken name = Single(longName, &log);
    EXPECT_EQ(name.kind, kTokenIdentifier);
    EXPECT_EQ(name.text, std::string(128, 'n'));
    EXPECT_EQ(Errors(log), "a.fx(1:1) error: too many characters in token (maximum is 128).\n");

    Log stringLog;
    ScannedToken text = Single("\"" + std::string(200, 's') + "\"", &stringLog);
    EXPECT_EQ(text.kind, kTokenStringLiteral);
    EXPECT_EQ(text.text.size(), 128u);
    EXPECT_EQ(Errors(stringLog), "a.fx(1:1) error: too many characters in token (maximum is 128).\n");

    // Bytes outside ASCII come through as their own codes, never as letters.
    Log binary;
    std::vector<ScannedToken> bytes = Tokenize("\x80\xff\x01 a\xe9", &binary);
    ASSERT_EQ(bytes.size(), 5u);
    EXPECT_EQ(bytes[0].kind, 0x80);
    EXPECT_EQ(bytes[1].kind, 0xff);
    EXPECT_EQ(bytes[2].kind, 1);
    EXPECT_EQ(bytes[3].text, "a");
    EXPECT_EQ(bytes[4].kind, 0xe9);

    // Every byte value, in every order the generator gives, ends in the end token.
    std::string all;
    for (int i = 1; i < 256; ++i)
        all += static_cast<char>(i);
    for (int start = 0; start < 255; start += 17) {
        std::string rotated = all.substr(start) + all.substr(0, start);
        Tokenize(rotated, &binary);
        Tokenize(rotated, &binary, 1, true);
    }
}
