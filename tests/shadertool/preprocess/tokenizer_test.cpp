// The language tokenizer: words, literals, operators, positions, line markers, and what
// hostile text does to it.
#include "shadertool/shadertool_fixture.h"

#include <cstring>

#include "shadertool/preprocess/tokenizer.h"

using namespace ShaderTool;
using shadertool_test::Text;

namespace {

using Kinds = std::vector<int>;
using Positions = std::vector<std::pair<int, int>>;

std::vector<Token> Tokenize(const std::string& text, Log* log, int firstLine = 1, bool stripComments = false) {
    Tokenizer tokenizer(log);
    SourceInput input = shadertool_test::Source(text, "a.fx", firstLine);  // read while tokens are taken
    tokenizer.Begin(input, stripComments);
    std::vector<Token> tokens;
    Token token;
    // A bound, so that a tokenizer that stopped advancing fails instead of hanging.
    for (size_t guard = 0; guard <= text.size() + 1; ++guard) {
        tokenizer.NextToken(token);
        if (token.kind == kTokenEnd)
            return tokens;
        tokens.push_back(token);
    }
    ADD_FAILURE() << "no end token";
    return tokens;
}

Kinds KindsOf(const std::string& text, Log* log) {
    Kinds kinds;
    for (const Token& token : Tokenize(text, log))
        kinds.push_back(token.kind);
    return kinds;
}

Positions PositionsOf(const std::vector<Token>& tokens) {
    Positions positions;
    for (const Token& token : tokens)
        positions.push_back({token.line, token.column});
    return positions;
}

Token Single(const std::string& text, Log* log) {
    std::vector<Token> tokens = Tokenize(text, log);
    EXPECT_EQ(tokens.size(), 1u) << text;
    return tokens.empty() ? Token() : tokens[0];
}

} // namespace

TEST(ShaderTokenizer, KeywordsReservedWordsAndOperators) {
    Log log;
    // Capitals differ; directive words are identifiers to the language.
    EXPECT_EQ(KindsOf("float4x4 int3 discard true True define defined", &log),
              (Kinds{kTokenFloat4x4, kTokenInt3, kTokenDiscard, kTokenBoolConstant, kTokenIdentifier, kTokenIdentifier,
                     kTokenIdentifier}));
    // The longest spelling wins: a---b is a -- - b, and no blank is needed between operators.
    EXPECT_EQ(KindsOf("<<= >>= << <= && ++ -= != < ! # $", &log),
              (Kinds{kTokenAssignLeftShift, kTokenAssignRightShift, kTokenLeftShift, kTokenLessEqual, kTokenLogicalAnd,
                     kTokenIncrease, kTokenAssignSubtract, kTokenNotEqual, kTokenLeftChevron, kTokenExclamation,
                     kTokenHash, '$'}));
    EXPECT_EQ(KindsOf("a---b", &log), (Kinds{kTokenIdentifier, kTokenDecrease, kTokenDash, kTokenIdentifier}));
    EXPECT_EQ(log.hasError, 0);
    EXPECT_EQ(KindsOf("struct in\n  Texture2D", &log), Kinds(3, kTokenReserved));
    EXPECT_EQ(Text(log), "a.fx(1:1) error: 'struct' is a reserved word.\na.fx(1:8) error: 'in' is a reserved word.\n"
                         "a.fx(2:3) error: 'Texture2D' is a reserved word.\n");
    EXPECT_EQ(log.hasError, 1);
}

TEST(ShaderTokenizer, AKeywordTableTooLargeForItsIndexIsSearchedThrough) {
    Log log;
    EXPECT_EQ(KindsOf("float x", &log), (Kinds{kTokenFloat, kTokenIdentifier}));
    // The table is kept for the process and cannot lose entries: these words appear in no
    // other test's source.
    for (int i = 0; i < 300; ++i)
        g_shaderKeywords[("crowded" + std::to_string(i)).c_str()] = kTokenInt;
    EXPECT_EQ(KindsOf("float crowded299 crowded0 x discard", &log),
              (Kinds{kTokenFloat, kTokenInt, kTokenInt, kTokenIdentifier, kTokenDiscard}));
    EXPECT_EQ(log.hasError, 0);
}

TEST(ShaderTokenizer, Literals) {
    const std::string octal = "error: unexpected digit in octal literal.\n";
    const struct { const char* text; int kind; std::string errors; } cases[] = {
        {"0x1F", kTokenIntConstant, ""}, {"0x", kTokenIntConstant, ""}, {"  019", kTokenIntConstant, "a.fx(1:3) " + octal},
        // Every digit belongs to one literal, not only up to the first bad one.
        {"0819", kTokenIntConstant, "a.fx(1:1) " + octal},
        {"09.5", kTokenFloatConstant, ""}, {"1.", kTokenFloatConstant, ""}, {".5", kTokenFloatConstant, ""},
        {"1e+5f", kTokenFloatConstant, ""}, {"2.0F", kTokenFloatConstant, ""}, {"3.25e-2", kTokenFloatConstant, ""},
        {"1e", kTokenFloatConstant, "a.fx(1:1) error: unexpected character in floating point literal.\n"},
    };
    for (const auto& c : cases) {
        Log log;
        Token token = Single(c.text, &log);
        EXPECT_EQ(token.kind, c.kind) << c.text;
        EXPECT_EQ(std::string(token.text), std::string(c.text).substr(std::string(c.text).find_first_not_of(' ')));
        EXPECT_EQ(Text(log), c.errors) << c.text;
    }
    // A period alone is member selection; what follows a literal is a token of its own.
    Log log;
    EXPECT_EQ(KindsOf("a.x 2.5+1e2-", &log), (Kinds{kTokenIdentifier, kTokenPeriod, kTokenIdentifier, kTokenFloatConstant,
                                                    kTokenPlus, kTokenFloatConstant, kTokenDash}));
}

TEST(ShaderTokenizer, PositionsCountTabsAsFourColumnsAndStringsEndWithTheirLine) {
    Log log;
    EXPECT_EQ(PositionsOf(Tokenize("\tx\n  y\n\t\tz w", &log, 10)), (Positions{{10, 5}, {11, 3}, {12, 9}, {12, 11}}));
    Token text = Single("\"a b/c\"", &log);
    EXPECT_EQ(text.kind, kTokenStringLiteral);
    EXPECT_STREQ(text.text, "a b/c");
    // No closing quote: no kind, and the next line is still its own.
    std::vector<Token> open = Tokenize("\"abc\nx", &log);
    ASSERT_EQ(open.size(), 2u);
    EXPECT_EQ(open[0].kind, kTokenNone);
    EXPECT_EQ(open[1].line, 2);
    EXPECT_EQ(Single("\"abc", &log).kind, kTokenNone);
}

TEST(ShaderTokenizer, CommentsAreBlankedInPlace) {
    String stripped = StripComments("a /* x\n y */ b // rest\r\nc /* open");
    EXPECT_EQ(std::string(stripped.text), "a" + std::string(5, ' ') + "\n" + std::string(6, ' ') + "b" +
                                              std::string(3, ' ') + "\nc" + std::string(8, ' '));
    Log log;
    EXPECT_EQ(PositionsOf(Tokenize("x /* one\n two */ y // z\nw", &log, 1, true)), (Positions{{1, 1}, {2, 9}, {3, 1}}));
    // Never closed: only blanks remain, no tokens and no errors.
    EXPECT_TRUE(Tokenize("/* never closed\n int x;", &log, 1, true).empty());
    EXPECT_EQ(Text(log), "");
    EXPECT_EQ(StripComments("").text, nullptr);
    EXPECT_STREQ(StripComments("a/").text, "a/");
}

TEST(ShaderTokenizer, LineMarkersRenameAndRenumber) {
    Log log;
    EXPECT_EQ(PositionsOf(Tokenize("x\n@f \"lib/inc.fx\" 1\nstruct\n@f \"main.fx\" 7\n019", &log)),
              (Positions{{1, 1}, {1, 1}, {7, 1}}));
    EXPECT_EQ(Text(log), "lib/inc.fx(1:1) error: 'struct' is a reserved word.\n"
                         "main.fx(7:1) error: unexpected digit in octal literal.\n");
    // A path longer than a token is still a whole file name, without complaint.
    std::string path(200, 'p');
    Log longPath, negative, broken;
    Tokenize("@f \"" + path + "\" 3\nstruct", &longPath);
    EXPECT_EQ(Text(longPath), path + "(3:1) error: 'struct' is a reserved word.\n");
    Tokenize("@f \"n.fx\" -2\nstruct", &negative);
    EXPECT_EQ(Text(negative), "n.fx(-2:1) error: 'struct' is a reserved word.\n");
    // A number past the largest line saturates, and the lines after it keep that count.
    Log huge;
    EXPECT_EQ(PositionsOf(Tokenize("@f \"h.fx\" 99999999999\nx\n\ny", &huge)),
              (Positions{{2147483647, 1}, {2147483647, 1}}));
    // Broken markers end their line and change nothing.
    EXPECT_EQ(Tokenize("@f\nstruct\n@f \"x\n@x\n@", &broken).size(), 1u);
    EXPECT_EQ(Text(broken), "a.fx(2:1) error: 'struct' is a reserved word.\n");
}

TEST(ShaderTokenizer, TokensKeepAtMost128Characters) {
    Log exact;
    EXPECT_EQ(strlen(Single(std::string(128, 'n'), &exact).text), 128u);
    EXPECT_EQ(Text(exact), "");
    for (const std::string& text : {std::string(129, 'n'), "\"" + std::string(200, 's') + "\""}) {
        Log log;
        EXPECT_EQ(strlen(Single(text, &log).text), 128u);
        EXPECT_EQ(Text(log), "a.fx(1:1) error: too many characters in token (maximum is 128).\n") << "reported once";
    }
}

TEST(ShaderTokenizer, HostileInputNeverBreaksIt) {
    // Bytes outside ASCII come through as their own codes, never as letters.
    Log log;
    EXPECT_EQ(KindsOf("\x80\xff\x01 a\xe9", &log), (Kinds{0x80, 0xff, 1, kTokenIdentifier, 0xe9}));
    // Every byte value, in every order the generator gives, ends in the end token.
    std::string all;
    for (int i = 1; i < 256; ++i)
        all += static_cast<char>(i);
    for (int start = 0; start < 255; start += 51) {
        std::string rotated = all.substr(start) + all.substr(0, start);
        Tokenize(rotated, &log);
        Tokenize(rotated, &log, 1, true);
    }
}
