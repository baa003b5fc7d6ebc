// Memory files: growth, positioning and loading.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "filesystem/memory_file.h"

namespace {

using QVFileSystem::MemoryFile;

// A source that announces `announced` bytes and delivers those of text.
std::unique_ptr<MemoryFile> Source(const std::string& text, uint32_t announced) {
    auto source = std::make_unique<MemoryFile>();
    source->Write(text.data(), static_cast<uint32_t>(text.size()));
    source->Seek(0, 0);
    source->size = announced;
    return source;
}

std::string Contents(MemoryFile& file) {
    return std::string(reinterpret_cast<const char*>(file.GetData()), file.GetSize());
}

TEST(MemoryFileTest, CapacityGrowsInGranulesOf256AndShrinkingKeepsWhatFits) {
    MemoryFile file;
    EXPECT_EQ(file.capacity, 256u);
    EXPECT_EQ(file.Write(std::string(300, 'b').data(), 300), 300u);
    EXPECT_EQ(file.capacity, 512u);
    EXPECT_EQ(Contents(file), std::string(300, 'b'));

    file.Seek(0, 0);
    file.Write(std::string(1000, 'q').data(), 1000);
    ASSERT_EQ(file.capacity, 1024u);
    ASSERT_TRUE(file.Reserve(10));
    EXPECT_EQ(file.capacity, 256u);
    EXPECT_LE(file.position, file.GetSize());
    EXPECT_EQ(Contents(file), std::string(256, 'q'));
}

TEST(MemoryFileTest, SeekClampsToTheDataWritesOverwriteInPlaceAndImpossibleSizesChangeNothing) {
    MemoryFile file;
    file.Write("0123456789", 10);
    EXPECT_EQ(file.Seek(-3, 1), 7);
    EXPECT_EQ(file.Seek(-20, 1), 10);  // before the start counts as past the end
    EXPECT_EQ(file.Seek(3, 9), 10);    // an unknown origin keeps the position
    char out[4];
    EXPECT_EQ(file.Read(out, 4), 0u);
    file.Seek(2, 0);
    file.Write("XY", 2);
    EXPECT_EQ(Contents(file), "01XY456789");

    uint8_t* data = file.GetData();
    EXPECT_FALSE(file.Reserve(UINT32_MAX));  // rounding up would overflow
    EXPECT_EQ(file.GetData(), data);
    EXPECT_EQ(file.capacity, 256u);
    // position + size overflows 32 bits: nothing written.
    EXPECT_EQ(file.Write("z", UINT32_MAX), 0u);
    EXPECT_EQ(Contents(file), "01XY456789");
}

TEST(MemoryFileTest, LoadingReplacesTheContentsWithWhatTheSourceDelivered) {
    MemoryFile file;
    file.Write(std::string(2000, 'o').data(), 2000);
    ASSERT_TRUE(file.LoadFromFile(Source("new", 3).get(), true));
    EXPECT_EQ(file.size, 3u);
    EXPECT_EQ(file.capacity, 256u);
    EXPECT_EQ(Contents(file), "new");
    EXPECT_EQ(file.Tell(), 0u);

    // Without the rewind it is positioned at the end.
    ASSERT_TRUE(file.LoadFromFile(Source(std::string(700, 's'), 700).get(), false));
    EXPECT_EQ(file.capacity, 768u);
    EXPECT_EQ(file.Tell(), 700u);
    EXPECT_FALSE(file.LoadFromFile(nullptr, true));

    EXPECT_FALSE(file.LoadFromFile(Source("abcd", 6).get(), true));
    EXPECT_EQ(Contents(file), "abcd");
}

}  // namespace
