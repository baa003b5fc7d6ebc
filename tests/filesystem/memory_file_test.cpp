// Memory files: growth, positioning and loading.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "filesystem/memory_file.h"

namespace {

using QVFileSystem::File;
using QVFileSystem::MemoryFile;

// A source that announces all its bytes and delivers at most the first `deliver`.
class FakeSource : public File {
public:
    FakeSource(std::string bytes, uint32_t deliver) : bytes_(std::move(bytes)), deliver_(deliver)
    {
        size = static_cast<uint32_t>(bytes_.size());
    }
    uint32_t Tell() override { return read_; }
    uint32_t Read(void* buffer, uint32_t count) override
    {
        uint32_t n = std::min(count, deliver_ - read_);
        memcpy(buffer, bytes_.data() + read_, n);
        read_ += n;
        return n;
    }
    int Seek(int32_t, int32_t) override { return -1; }

private:
    std::string bytes_;
    uint32_t deliver_;
    uint32_t read_ = 0;
};

std::string Contents(MemoryFile& file)
{
    return std::string(reinterpret_cast<const char*>(file.GetData()), file.GetSize());
}

TEST(MemoryFileTest, CapacityGrowsInGranulesOf256AndShrinkingKeepsWhatFits)
{
    MemoryFile file;
    EXPECT_EQ(file.capacity, 256u);
    std::string big(300, 'b');
    EXPECT_EQ(file.Write(big.data(), 300), 300u);
    EXPECT_EQ(file.capacity, 512u);
    EXPECT_EQ(Contents(file), big);

    std::string bigger(1000, 'q');
    file.Seek(0, 0);
    file.Write(bigger.data(), 1000);
    ASSERT_EQ(file.capacity, 1024u);
    ASSERT_TRUE(file.Reserve(10));
    EXPECT_EQ(file.capacity, 256u);
    EXPECT_LE(file.position, file.GetSize());
    EXPECT_EQ(Contents(file), std::string(256, 'q'));
}

TEST(MemoryFileTest, SeekClampsToTheDataAndWritesOverwriteInPlace)
{
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
}

TEST(MemoryFileTest, ImpossibleSizesFailWithoutChangingTheFile)
{
    MemoryFile file;
    file.Write("keep", 4);
    uint8_t* data = file.GetData();
    EXPECT_FALSE(file.Reserve(UINT32_MAX));  // rounding up would overflow
    EXPECT_EQ(file.GetData(), data);
    EXPECT_EQ(file.capacity, 256u);
    // position + size overflows 32 bits: nothing written.
    EXPECT_EQ(file.Write("z", UINT32_MAX), 0u);
    EXPECT_EQ(Contents(file), "keep");
}

TEST(MemoryFileTest, LoadingReplacesTheContentsWithWhatTheSourceDelivered)
{
    MemoryFile file;
    std::string big(2000, 'o');
    file.Write(big.data(), 2000);
    FakeSource smaller("new", 3);
    ASSERT_TRUE(file.LoadFromFile(&smaller, true));
    EXPECT_EQ(file.size, 3u);
    EXPECT_EQ(file.capacity, 256u);
    EXPECT_EQ(Contents(file), "new");
    EXPECT_EQ(file.Tell(), 0u);

    // Without the rewind it is positioned at the end.
    FakeSource longer(std::string(700, 's'), 700);
    ASSERT_TRUE(file.LoadFromFile(&longer, false));
    EXPECT_EQ(file.capacity, 768u);
    EXPECT_EQ(file.Tell(), 700u);
    EXPECT_FALSE(file.LoadFromFile(nullptr, true));

    FakeSource shortOne("abcdef", 4);
    EXPECT_FALSE(file.LoadFromFile(&shortOne, true));
    EXPECT_EQ(Contents(file), "abcd");
}

}  // namespace
