// The names of the temporaries that replace files whole: suffixed while the path limit leaves
// room, of the target's own length past it, and never a name the target itself could have.
#include <gtest/gtest.h>

#include <string>

#include "filesystem/file_replacement.h"

namespace {

std::string Name(const std::string& target, TemporaryFor kind, uint32_t thread, bool* shared) {
    const String name = QVI_NameTemporaryFile(target.c_str(), kind, thread, shared);
    return name.text ? name.text : "";
}

// A native path of exactly length characters in the folder "C:/f".
std::string TargetOfLength(size_t length) { return "C:/f/" + std::string(length - 5, 'n'); }

TEST(TemporaryNames, SuffixedWhileThePathLimitLeavesRoomAndOfTheTargetsOwnLengthPastIt) {
    bool shared = true;
    // The game's folders: "..tmp" fits up to a target five short of the limit.
    const std::string roomy = TargetOfLength(kLongestNativePath - 5);
    EXPECT_EQ(Name(roomy, TemporaryFor::kGameFolder, 7, &shared), roomy + "..tmp");
    EXPECT_FALSE(shared);
    const std::string tight = TargetOfLength(kLongestNativePath - 4);
    EXPECT_EQ(Name(tight, TemporaryFor::kGameFolder, 7, &shared), tight.substr(0, tight.size() - 1) + "~");
    EXPECT_TRUE(shared);
    const std::string longest = TargetOfLength(kLongestNativePath);
    EXPECT_EQ(Name(longest, TemporaryFor::kGameFolder, 7, &shared).size(), static_cast<size_t>(kLongestNativePath));

    // The cache: "~<thread>.download", whose length goes with the thread's number.
    const std::string cache = TargetOfLength(kLongestNativePath - 13);  // room for "~123.download"
    EXPECT_EQ(Name(cache, TemporaryFor::kCache, 123, &shared), cache + "~123.download");
    EXPECT_FALSE(shared);
    EXPECT_EQ(Name(cache, TemporaryFor::kCache, 1234, &shared), cache.substr(0, cache.size() - 1) + "~");
    EXPECT_TRUE(shared);
    EXPECT_EQ(Name("C:/cache/http___a..b", TemporaryFor::kCache, 9, &shared), "C:/cache/http___a..b~9.download");
}

TEST(TemporaryNames, NoNameIsMadeThatCouldBeTheTargetOrOutsideItsFolder) {
    bool shared = false;
    EXPECT_EQ(Name("", TemporaryFor::kGameFolder, 1, &shared), "");
    EXPECT_EQ(QVI_NameTemporaryFile(nullptr, TemporaryFor::kCache, 1, &shared).text, std::string(""));
    // Past the limit, a target whose name is no name, or ends in '~' already, has no temporary.
    EXPECT_EQ(Name(TargetOfLength(kLongestNativePath + 1).substr(0, kLongestNativePath) + "/", TemporaryFor::kGameFolder, 1,
                   &shared), "");
    std::string tilde = TargetOfLength(kLongestNativePath);
    tilde.back() = '~';
    EXPECT_EQ(Name(tilde, TemporaryFor::kGameFolder, 1, &shared), "");
    // Either separator ends the folder; a one-character name becomes "~" in the same folder.
    const std::string folder = "C:\\" + std::string(kLongestNativePath - 4, 'f') + "\\";
    EXPECT_EQ(Name(folder + "a", TemporaryFor::kGameFolder, 1, &shared), folder + "~");
    EXPECT_TRUE(shared);
}

TEST(TemporaryNames, AThreadHoldingASharedNameMayTakeAnotherOne) {
    const std::string longest = TargetOfLength(kLongestNativePath);
    TemporaryFile outer(longest.c_str(), TemporaryFor::kGameFolder);
    ASSERT_NE(outer.Path(), nullptr);
    TemporaryFile inner((longest.substr(0, longest.size() - 2) + "xy").c_str(), TemporaryFor::kGameFolder);
    EXPECT_NE(inner.Path(), nullptr);
}

}  // namespace
