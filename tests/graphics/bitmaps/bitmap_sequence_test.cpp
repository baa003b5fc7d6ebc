// Bitmap sequences: .bms files written and read back, duplicate frames, hostile files, and a
// sequence loaded by name through the pool and drawn from one atlas texture.
#include <cstring>
#include <optional>
#include <string>
#include <thread>

#include "engine/resource_queues.h"
#include "filesystem/backends.h"
#include "graphics/bitmaps/bitmap_fixture.h"
#include "graphics/bitmaps/bitmap_sequences.h"
#include "graphics/bitmaps/image_loader_portable.h"
#include "support/engine_table.h"
#include "support/files.h"
#include "support/res_folder.h"

namespace bitmap_test {
namespace {

using quaven_test::LogCapture;

bool Reported(const std::string& part) {
    return LogCapture::CountContaining(part) + LogCapture::CountPopupsContaining(part) > 0;
}

// A sequence record outside the pool, named as the pool's records are.
struct Sequence : Bitmap {
    Sequence() : Bitmap() { header.name = strdup("read"); }
    ~Sequence() {
        QVI_ReleaseBitmapResources(this);
        free(header.name);
    }
};

class BitmapSequence : public BitmapPoolTest {
protected:
    void SetUp() override {
        BitmapPoolTest::SetUp();
        ASSERT_TRUE(QVI_InitFileSystem());
        res_.emplace("sequence");
        LogCapture::Clear();
    }
    void TearDown() override {
        QVI_ReleaseBitmapResources(&sequence_);
        free(sequence_.header.name);
        res_.reset();
        BitmapPoolTest::TearDown();
    }

    // Frame i of 4 in code: frames 2 and 3 repeat frames 0 and 1 within the match tolerance.
    void MakeFrames(int count) {
        sequence_.header.name = strdup("walk.bms");
        sequence_.frames = static_cast<Bitmap*>(calloc(count, sizeof(Bitmap)));
        sequence_.frameCount = count;
        for (int i = 0; i < count; ++i) {
            Bitmap* frame = &sequence_.frames[i];
            QVI_GetImageLoader()->AllocateImagePixels(frame, 20 + (i % 2) * 4, 12);
            for (int p = 0; p < frame->width * frame->height; ++p) {
                const uint8_t pixel[4] = {uint8_t(p * 7 + (i % 2) * 90), uint8_t(p), uint8_t(i >= 2 ? 2 : 0), 255};
                memcpy(frame->pixels + p * 4, pixel, 4);
            }
            frame->currentFrame = 10 + i;
            frame->frameRate = 30.0f;
        }
    }

    std::string Native(const std::string& name) const { return res_->NativePath(name); }

    Bitmap sequence_ = {};
    std::optional<quaven_test::ResFolder> res_;
};

TEST_F(BitmapSequence, WrittenFileReadsBackWithDuplicatesSharingTheirRoot) {
    MakeFrames(5);
    // Frame 4 matches frame 2 first while walking down, and frame 2 itself repeats frame 0.
    memcpy(sequence_.frames[4].pixels, sequence_.frames[2].pixels, 20 * 12 * 4);
    EXPECT_EQ(QVI_ShareDuplicateFrames(&sequence_), uint64_t(20 * 12 * 4 * 2 + 24 * 12 * 4));
    EXPECT_EQ(sequence_.frames[1].sharedWith, nullptr);
    EXPECT_EQ(sequence_.frames[2].sharedWith, &sequence_.frames[0]);
    EXPECT_EQ(sequence_.frames[3].sharedWith, &sequence_.frames[1]);
    EXPECT_EQ(sequence_.frames[4].sharedWith, &sequence_.frames[0]);

    ASSERT_TRUE(QVI_SaveBitmapSequence(&sequence_, Native("walk.bms").c_str()));
    EXPECT_FALSE(quaven_test::NativeExists(Native("walk.bms..tmp")));
    ASSERT_TRUE(sequence_.atlas && sequence_.atlas->pixels);

    Sequence read;
    ASSERT_TRUE(QVI_LoadBitmapSequenceFile(&read, "res://walk.bms"));
    ASSERT_EQ(read.frameCount, 5);
    const Bitmap* atlas = read.atlas;
    ASSERT_TRUE(atlas && atlas->width == sequence_.atlas->width && atlas->height == sequence_.atlas->height);
    EXPECT_EQ(memcmp(atlas->pixels, sequence_.atlas->pixels, size_t(atlas->width) * atlas->height * 4), 0);
    EXPECT_EQ(atlas->state, BITMAP_READY);
    for (int i = 0; i < 5; ++i) {
        const Bitmap& written = sequence_.frames[i];
        const Bitmap& root = written.sharedWith ? *written.sharedWith : written;
        const Bitmap& frame = read.frames[i];
        EXPECT_TRUE(frame.width == written.width && frame.height == written.height) << i;
        EXPECT_TRUE(frame.currentFrame == 10 + i && frame.frameRate == 30.0f && frame.atlas == atlas) << i;
        EXPECT_TRUE(frame.hardware.left == root.hardware.left && frame.hardware.top == root.hardware.top &&
                    frame.hardware.right == root.hardware.right && frame.hardware.bottom == root.hardware.bottom)
            << i;
        // The frame's place in the atlas holds its pixels.
        const int x = int(frame.hardware.left * atlas->width + 0.5f), y = int(frame.hardware.top * atlas->height + 0.5f);
        EXPECT_EQ(memcmp(atlas->pixels + (y * atlas->width + x) * 4, root.pixels, 4), 0) << i;
    }

    // The same atlas stored run-length coded reads back alike.
    FILE* rle = fopen(Native("atlas.rle").c_str(), "wb");
    ASSERT_TRUE(rle && QVI_EncodeFrameRLE(sequence_.atlas, rle));
    fclose(rle);
    const std::string png = res_->Get("walk.bms");
    ASSERT_TRUE(res_->Put("rle.bms", png.substr(0, 33 + 5 * 32) + std::string("RLE", 4) + res_->Get("atlas.rle")));
    Sequence coded;
    ASSERT_TRUE(QVI_LoadBitmapSequenceFile(&coded, "res://rle.bms"));
    ASSERT_TRUE(coded.atlas->width == atlas->width && coded.atlas->height == atlas->height);
    EXPECT_EQ(memcmp(coded.atlas->pixels, atlas->pixels, size_t(atlas->width) * atlas->height * 4), 0);

    // The run-length image of a bitmap of one colour: 300 pixels make runs of 255 and 45.
    Bitmap flat = {};
    QVI_GetImageLoader()->AllocateImagePixels(&flat, 300, 1);
    memset(flat.pixels, 9, 300 * 4);
    FILE* file = fopen(Native("flat.rle").c_str(), "wb");
    ASSERT_TRUE(file && QVI_EncodeFrameRLE(&flat, file));
    fclose(file);
    const std::string bytes = res_->Get("flat.rle");
    EXPECT_TRUE(bytes.size() == 18 && uint8_t(bytes[8]) == 255 && uint8_t(bytes[13]) == 45);
    QVI_GetImageLoader()->FreeImagePixels(&flat);
}

TEST_F(BitmapSequence, FailedWritesLeaveNoFileAndTheOldFileIntact) {
    MakeFrames(2);
    EXPECT_FALSE(QVI_SaveBitmapSequence(&sequence_, Native("missing/folder/walk.bms").c_str()));
    EXPECT_TRUE(Reported("Unable to save bitmap sequence 'walk.bms'"));
    EXPECT_FALSE(quaven_test::NativeExists(Native("missing/folder/walk.bms..tmp")));

    // Frames that cannot share one 2048 x 2048 atlas make no file; the earlier file stays.
    ASSERT_TRUE(res_->Put("walk.bms", "earlier"));
    QVI_GetImageLoader()->AllocateImagePixels(&sequence_.frames[1], 2040, 2040);
    EXPECT_FALSE(QVI_SaveBitmapSequence(&sequence_, Native("walk.bms").c_str()));
    EXPECT_TRUE(Reported("bitmaps didn't fit into atlas, not creating file"));
    EXPECT_EQ(res_->Get("walk.bms"), "earlier");
    EXPECT_EQ(sequence_.atlas, nullptr);
}

TEST_F(BitmapSequence, HostileFilesFailWithAMessage) {
    MakeFrames(2);
    ASSERT_TRUE(QVI_SaveBitmapSequence(&sequence_, Native("good.bms").c_str()));
    const std::string good = res_->Get("good.bms");
    ASSERT_GT(good.size(), 33u + 64u + 12u);

    // Every cut of the file fails, and leaves no frames behind.
    for (size_t length = 0; length < good.size(); length += (length < 120 ? 1 : 37)) {
        ASSERT_TRUE(res_->Put("cut.bms", good.substr(0, length)));
        Sequence read;
        EXPECT_FALSE(QVI_LoadBitmapSequenceFile(&read, "res://cut.bms")) << length;
        EXPECT_TRUE(read.frameCount == 0 && !read.frames && !read.atlas) << length;
    }
    const auto patched = [&](size_t at, const std::string& bytes) {
        std::string file = good;
        file.replace(at, bytes.size(), bytes);
        return file;
    };
    struct Case {
        std::string file;
        const char* message;
    };
    const size_t atlasAt = 33 + 64;  // the atlas's encoding tag
    const Case cases[] = {
        {patched(0, "QV_Bm_Seq_v2"), "Bad header in bitmap sequence 'res://bad.bms'"},
        {patched(21, std::string("FRAME\0\0\0", 8)), "unimplemented chunk: 'FRAME'"},
        {patched(13, "\xff\xff\xff\x0f"), "announces 268435455 frames"},
        {patched(13, std::string("\x00\x00\x00\x80", 4)), "announces 2147483648 frames"},
        {patched(33, "\xff\xff\xff\xff"), "bad record for frame 0"},
        {patched(33 + 16, std::string("\x00\x00\xc0\x7f", 4)), "bad record for frame 0"},  // a NaN place
        {patched(atlasAt, std::string("RLE\0\x00\x00\x01\x00\x01\x00\x00\x00", 12)), "bad size (65536x1)"},
        {good.substr(0, atlasAt) + std::string("rle\0\x02\0\0\0\x02\0\0\0\x03\x01\x02\x03\xff", 17),
         "ends after 3 of 4 pixels"},
        {patched(atlasAt, std::string("JPG\0", 4)), "encoding: 'JPG'"},
        {patched(atlasAt + 4, "\xff\xff\xff\x7f"), "holds less of its atlas than it announces"},
        {patched(atlasAt + 8 + 16, "\xff\xff\xff\xff"), "unimplemented chunk: 'ATLAS'"},  // a broken PNG
    };
    for (const Case& test : cases) {
        LogCapture::Clear();
        ASSERT_TRUE(res_->Put("bad.bms", test.file));
        Sequence read;
        EXPECT_FALSE(QVI_LoadBitmapSequenceFile(&read, "res://bad.bms")) << test.message;
        EXPECT_TRUE(Reported(test.message)) << test.message;
        EXPECT_TRUE(read.frameCount == 0 && !read.frames && !read.atlas) << test.message;
    }
}

TEST_F(BitmapSequence, GetBitmapDrawsEveryFrameFromTheAtlasTexture) {
    MakeFrames(4);
    QVI_ShareDuplicateFrames(&sequence_);
    ASSERT_TRUE(QVI_SaveBitmapSequence(&sequence_, Native("walk.bms").c_str()));

    Bitmap* walk = g()->GetBitmap("res://walk");  // found as "res://walk.bms"
    ASSERT_TRUE(walk && walk->frameCount == 4 && walk->atlas && walk->state == BITMAP_READY);
    EXPECT_EQ(Textures(), 1);
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(walk->frames[i].hardware.loaded && walk->frames[i].state == BITMAP_READY) << i;
        EXPECT_EQ(walk->frames[i].hardware.rendererData, walk->atlas->hardware.rendererData) << i;
    }
    g()->SetBitmapFrame(walk, 5);
    EXPECT_TRUE(walk->currentFrame == 1 && walk->width == 24 && walk->height == 12);
    EXPECT_EQ(walk->hardware.left, walk->frames[1].hardware.left);
}

// A ".bms" manifest height scales every frame against the first frame's height; the
// textures keep the frames' own sizes.
TEST_F(BitmapSequence, AManifestHeightScalesEveryFrameOfASequenceFile) {
    MakeFrames(4);
    QVI_ShareDuplicateFrames(&sequence_);
    ASSERT_TRUE(QVI_SaveBitmapSequence(&sequence_, Native("run.bms").c_str()));
    Bitmap* run;
    {
        quaven_test::ScopedManifest manifest;
        manifest.Add("res://run.bms", {{"h", "36"}});
        run = g()->GetBitmap("res://run.bms");
    }
    ASSERT_TRUE(run && run->frameCount == 4);
    const int firstHeight = run->frames[0].textureHeight;
    ASSERT_GT(firstHeight, 0);
    for (int i = 0; i < 4; ++i) {
        const Bitmap& frame = run->frames[i];
        EXPECT_EQ(frame.width, frame.textureWidth * 36 / firstHeight) << i;
        EXPECT_EQ(frame.height, frame.textureHeight * 36 / firstHeight) << i;
    }
    EXPECT_EQ(run->frames[0].height, 36);
    EXPECT_TRUE(run->currentFrame == 0 && run->height == 36);
}

TEST_F(BitmapSequence, SequencesLoadedOnAWorkerThreadUploadOverTheNextFrames) {
    MakeFrames(2);
    ASSERT_TRUE(QVI_SaveBitmapSequence(&sequence_, Native("walk.bms").c_str()));
    const std::string file = res_->Get("walk.bms");
    for (int i = 0; i < 26; ++i) ASSERT_TRUE(res_->Put("s" + std::to_string(i) + ".bms", file));
    Bitmap* loaded[25] = {};
    std::thread([&] {
        for (int i = 0; i < 25; ++i) loaded[i] = g()->GetBitmap(("res://s" + std::to_string(i) + ".bms").c_str());
        // Released (hibernated) before any frame came: it leaves the queue without an upload.
        g()->ReleaseBitmap(g()->GetBitmap("res://s25.bms"));
    }).join();
    ASSERT_EQ(g_bitmapUploadQueue.count, 26);
    EXPECT_EQ(Textures(), 0);
    for (int uploaded : {10, 20, 25}) {
        QVI_ProcessBitmapResourceQueues();
        EXPECT_EQ(Textures(), uploaded);
    }
    EXPECT_EQ(g_bitmapUploadQueue.count, 0);
    EXPECT_EQ(LogCapture::Count("[QVI_ProcessBitmapResourceQueues] Data of bitmap 'res://s25.bms' is not valid "
                                "anymore. Most likely it has just been released."),
              1);
    for (Bitmap* bitmap : loaded) {
        EXPECT_TRUE(bitmap->frames[1].hardware.loaded);
        EXPECT_TRUE(bitmap->hardware.loaded && bitmap->width == 20);
        EXPECT_EQ(bitmap->atlas->pixels, nullptr);  // the texture is all that is kept
    }

    // Textures released from other threads are given back ten a frame as well.
    std::thread([&] {
        for (Bitmap* bitmap : loaded) g()->ReleaseBitmap(bitmap);
    }).join();
    EXPECT_EQ(g_bitmapReleaseQueue.count, 25);
    QVI_ProcessBitmapResourceQueues();
    EXPECT_EQ(Textures(), 15);
    QVI_ProcessBitmapResourceQueues();
    QVI_ProcessBitmapResourceQueues();
    EXPECT_TRUE(Textures() == 0 && g_bitmapReleaseQueue.count == 0);
}

TEST_F(BitmapSequence, NumberedFrameFilesBecomeABmsFileForTheNextRun) {
    // Frames 1, 2 and 4 (after a gap, which widens the probe's reach to 100 misses); frame 4
    // repeats frame 1. Frame 5 does not decode and is left out; frame 200 is out of reach.
    MakeFrames(4);
    ASSERT_TRUE(res_->Put("anim/run_0005.png", "not an image"));
    const int numbers[] = {1, 2, 4, 200};
    for (int i = 0; i < 4; ++i) {
        char name[32];
        snprintf(name, sizeof name, "anim/run_%.4d", numbers[i]);
        const std::string path = Native(std::string(name) + ".png");
        ASSERT_TRUE(QVI_GetImageLoader()->SaveImage(&sequence_.frames[i % 3 == 0 ? 0 : i], path.c_str(), 100));
    }

    Bitmap* run = g()->GetBitmap("res://anim/run.bms");
    ASSERT_TRUE(run && run->frameCount == 3 && run->atlas && run->state == BITMAP_READY);
    EXPECT_TRUE(Reported("Frames #0002 and #0000 match."));
    EXPECT_TRUE(quaven_test::NativeExists(Native("anim/run.bms")));
    EXPECT_EQ(Textures(), 1);
    const int expected[] = {1, 2, 4};
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(run->frames[i].currentFrame == expected[i] && run->frames[i].frameRate == 30.0f) << i;
        EXPECT_TRUE(run->frames[i].hardware.loaded && run->frames[i].state == BITMAP_READY) << i;
    }
    EXPECT_TRUE(run->frames[2].hardware.left == run->frames[0].hardware.left &&
                run->frames[2].hardware.top == run->frames[0].hardware.top);
    EXPECT_FALSE(run->frames[1].hardware.left == run->frames[0].hardware.left &&
                 run->frames[1].hardware.top == run->frames[0].hardware.top);

    // The next run reads the .bms file alone.
    Sequence again;
    ASSERT_TRUE(QVI_LoadBitmapSequenceFile(&again, "res://anim/run.bms"));
    EXPECT_EQ(again.frameCount, 3);

    Sequence none;
    EXPECT_TRUE(QVI_LoadBitmapSequenceFrames(&none, "res://none_*.png"));
    EXPECT_TRUE(none.frameCount == 0 && Reported("Bitmap files 'res://none_*.png' not found."));
    // A ".bms" name with neither a file nor frames fails to load and draws nothing.
    Bitmap* missing = g()->GetBitmap("res://nothing.bms");
    ASSERT_NE(missing, nullptr);
    EXPECT_TRUE(missing->state == BITMAP_READY && missing->frameCount == 0);
}

}  // namespace
}  // namespace bitmap_test
