// The temporaries of the files the engine replaces whole, met as a game meets them: a file of
// the game's own never stands where a writer puts its temporary, a path the game may not name
// is refused before anything is written, and a file at the longest native path is replaced
// through a temporary of its own length, one save at a time where two share such a name.
#include "platform/windows/win32.h"

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "data/datamanager/database.h"
#include "engine/replaced_files_fixture.h"
#include "filesystem/file_replacement.h"
#include "filesystem/http_system.h"
#include "graphics/bitmaps/bitmap_pool.h"
#include "graphics/bitmaps/bitmap_sequences.h"
#include "graphics/bitmaps/image_loader_portable.h"
#include "graphics/renderer/texture_description.h"
#include "graphics/setup/renderer_setup.h"
#include "shadertool/core/log.h"
#include "shadertool/driver/output_file.h"
#include "support/null_renderer.h"
#include "text/fonts/font_pool.h"
#include "text/fonts/font_record.h"

namespace {

using quaven_test::LogCapture;
using quaven_test::NativeExists;
using quaven_test::ReadThrough;
using quaven_test::WriteThrough;

std::string Native(const std::string& path) { return QV_ConvertStaticPathToNativeOSPath(path.c_str()).text; }

// The temporaries a target's save may leave: suffixed (in the game's folders or the cache's), or
// of the target's own length.
bool TemporaryLeftBeside(const std::string& path) {
    std::string shortened = Native(path);
    shortened.back() = '~';
    return NativeExists(Native(path) + "..tmp") || NativeExists(shortened) ||
           NativeExists(Native(path) + "~" + std::to_string(GetCurrentThreadId()) + ".download");
}

bool SaveDatabase(const std::string& path, const std::string& value) {
    Database database;
    DataArray* array = new DataArray("SAVE");
    database.arrays.Add(array);
    DataNode* node = new DataNode("slot");
    node->SetParameter("value", value.c_str());
    array->nodes.Add(node);
    return database.Save(path.c_str(), false);
}

std::string LoadDatabase(const std::string& path) {
    Database database;
    if (!database.Load(path.c_str()))
        return "<not loaded>";
    const DataArray* array = database.FindArray("SAVE");
    const char* value = array && array->nodes.count == 1 ? array->nodes.data[0]->GetParameter("value") : nullptr;
    return value ? value : "<no value>";
}

bool SaveImage(const std::string& path, int width) {
    Bitmap bitmap = {};
    QVI_GetImageLoader()->AllocateImagePixels(&bitmap, width, 8);
    for (int p = 0; p < width * 8 * 4; ++p)
        bitmap.pixels[p] = static_cast<uint8_t>(p % 4 == 3 ? 255 : p * 5);
    const bool saved = QVI_GetImageLoader()->SaveImage(&bitmap, path.c_str(), 90);
    QVI_GetImageLoader()->FreeImagePixels(&bitmap);
    return saved;
}

int LoadedImageWidth(const std::string& path) {
    Bitmap bitmap = {};
    const bool loaded = QVI_GetImageLoader()->LoadImage(&bitmap, path.c_str()) && bitmap.pixels;
    const int width = loaded ? bitmap.width : 0;
    QVI_GetImageLoader()->FreeImagePixels(&bitmap);
    return width;
}

bool SaveFont(const std::string& path) {
    Font font = {};
    font.header.name = const_cast<char*>("saved");
    if (!QVI_AllocateFontGlyphs(&font, 2))
        return false;
    font.isUTF8 = 1, font.baseline = 12, font.height = 16, font.lineSpacing = 18, font.scale = 1.0f;
    for (int i = 0; i < 2; ++i) {
        FontGlyph& glyph = font.glyphs[i];
        glyph.codePoint = 'A' + i, glyph.advance = 9;
        glyph.image.width = glyph.image.height = 4;
        glyph.image.pixels = static_cast<uint8_t*>(malloc(4 * 4 * 4));
        for (int p = 0; p < 4 * 4 * 4; ++p) glyph.image.pixels[p] = static_cast<uint8_t>(p * 11 + i);
    }
    const bool saved = qv->SaveFont(&font, path.c_str());
    QVI_FreeFontGlyphs(&font);
    return saved;
}

bool SaveSequence(const std::string& path) {
    const int kFrames = 3;
    Bitmap sequence = {};
    sequence.header.name = strdup("walk.bms");
    sequence.frames = static_cast<Bitmap*>(calloc(kFrames, sizeof(Bitmap)));
    sequence.frameCount = kFrames;
    for (int i = 0; i < kFrames; ++i) {
        Bitmap* frame = &sequence.frames[i];
        QVI_GetImageLoader()->AllocateImagePixels(frame, 16, 8);
        for (int p = 0; p < 16 * 8 * 4; ++p) frame->pixels[p] = static_cast<uint8_t>(p * 3 + i * 50);
        frame->frameRate = 30.0f;
    }
    const bool saved = QVI_SaveBitmapSequence(&sequence, Native(path).c_str());
    QVI_ReleaseBitmapResources(&sequence);
    free(sequence.header.name);
    return saved;
}

class ReplacedFileTemporaries : public replaced_files_test::ReplacedFilesTest {
protected:
    // A user:// folder and the name of a file in it whose native path is nativeLength long.
    std::string PathOfNativeLength(size_t nativeLength, const std::string& ending) {
        const std::string folder = "user://" + std::string(100, 'd');
        EXPECT_TRUE(qv->fileSystem->CreateDirectory(folder.c_str()));
        const size_t prefix = Native(folder).size() + 1;
        EXPECT_GT(nativeLength, prefix + ending.size() + 4);
        const std::string path = folder + "/" + std::string(nativeLength - prefix - ending.size(), 'n') + ending;
        EXPECT_EQ(Native(path).size(), nativeLength);
        return path;
    }
};

TEST_F(ReplacedFileTemporaries, AGameFileNamedAsAWritersTemporaryUsedToBeSurvivesEverySave) {
    quaven_test::NullRenderer renderer;
    QVI_AttachRenderer(&renderer);
    StartServices("SIMULATED_CLOUD");
    const std::string cacheCopy = QVI_GetHTTPCachePath("http://example.test/level.dat", false).text;
    struct Writer {
        const char* kind;
        std::string target;
        std::string gameFile;  // the name the writer's temporary used to have
        std::function<bool()> save;
    };
    const std::vector<Writer> writers = {
        {"DataManager Save", "user://db.xml", "user://db.xml.tmp", [] { return SaveDatabase("user://db.xml", "new"); }},
        {"SaveImage PNG", "user://shot.png", "user://shot.png.tmp", [] { return SaveImage("user://shot.png", 6); }},
        {"SaveImage JPEG", "user://shot.jpg", "user://shot.jpg.tmp", [] { return SaveImage("user://shot.jpg", 6); }},
        {"SaveImage TGA", "user://shot.tga", "user://shot.tga.tmp", [] { return SaveImage("user://shot.tga", 6); }},
        {".bms writer", "user://walk.bms", "user://walk.bms.tmp", [] { return SaveSequence("user://walk.bms"); }},
        {"SaveFont", "user://hand.mft", "user://hand.mft.tmp", [] { return SaveFont("user://hand.mft"); }},
        {"translated shader output", "user://copy.pixel", "user://copy.pixel.tmp",
         [] {
             ShaderTool::Log log;
             return ShaderTool::WriteOutputFile("user://copy.pixel", "float4 main();", 14, log);
         }},
        {"simulated cloud", "user://simulated.cloud", "user://simulated.cloud.tmp",
         [] { return qv->cloud->Write("slot", "cloud bytes", 11), true; }},
        {"HTTP cache copy", cacheCopy, cacheCopy + "." + std::to_string(GetCurrentThreadId()) + ".download",
         [cacheCopy] { return QVI_WriteHTTPCacheFile(cacheCopy.c_str(), "downloaded", 10); }},
    };
    for (const Writer& writer : writers) {
        SCOPED_TRACE(writer.kind);
        const std::string own = "the game's own file, " + writer.gameFile;
        ASSERT_TRUE(WriteThrough(writer.target.c_str(), "the previous file"));
        ASSERT_TRUE(WriteThrough(writer.gameFile.c_str(), own));
        EXPECT_TRUE(writer.save());
        const std::string replaced = ReadThrough(writer.target.c_str());
        EXPECT_NE(replaced, "the previous file");
        EXPECT_NE(replaced, "<missing>");
        EXPECT_EQ(ReadThrough(writer.gameFile.c_str()), own);
        EXPECT_FALSE(TemporaryLeftBeside(writer.target));
    }
    EXPECT_EQ(LoadDatabase("user://db.xml"), "new");
    EXPECT_EQ(LoadedImageWidth("user://shot.png"), 6);
    EXPECT_EQ(ReadThrough(cacheCopy.c_str()), "downloaded");
    QVI_DetachRenderer();
}

TEST_F(ReplacedFileTemporaries, APathTheGameMayNotNameIsRefusedBeforeAnythingIsWritten) {
    const std::string outside = Native("user://x");
    const std::string parent = outside.substr(0, outside.rfind('/', outside.size() - 3));
    EXPECT_FALSE(SaveDatabase("user://../x.xml", "escaped"));
    EXPECT_FALSE(SaveFont("user://../x.mft"));
    ShaderTool::Log log;
    EXPECT_FALSE(ShaderTool::WriteOutputFile("user://../x.pixel", "text", 4, log));
    for (const char* name : {"/x.xml", "/x.mft", "/x.pixel"}) {
        EXPECT_FALSE(NativeExists(parent + name)) << name;
        EXPECT_FALSE(NativeExists(parent + name + "..tmp")) << name;
    }
    EXPECT_EQ(LogCapture::CountPopups(
                  "File System OpenFile: path 'user://../x.xml' is invalid, see IsPathValid() for more info."), 1);
    EXPECT_EQ(LogCapture::CountPopups("Unable to open file 'user://../x.xml' for writing."), 1);
    EXPECT_EQ(LogCapture::CountPopupsContaining("path 'user://../x.mft' is invalid"), 1);
    EXPECT_EQ(LogCapture::CountPopupsContaining("path 'user://../x.pixel' is invalid"), 1);
    EXPECT_EQ(LogCapture::CountContaining(".tmp"), 0) << "no message names a temporary";
}

TEST_F(ReplacedFileTemporaries, FilesAtTheLongestNativePathAreReplacedThroughATemporaryOfTheirOwnLength) {
    // Exactly the limit: saved, loaded back, nothing left beside.
    const std::string database = PathOfNativeLength(kLongestNativePath, ".xml");
    ASSERT_TRUE(SaveDatabase(database, "first"));
    ASSERT_TRUE(SaveDatabase(database, "second"));
    EXPECT_EQ(LoadDatabase(database), "second");
    EXPECT_FALSE(TemporaryLeftBeside(database));
    // A bitmap the game made, saved through the graphics table.
    quaven_test::NullRenderer renderer;
    QVI_AttachRenderer(&renderer);
    const std::string image = PathOfNativeLength(kLongestNativePath, ".png");
    for (int width : {5, 7}) {
        const BitmapDescription description = QVI_Single2DDescription(QV_TEXTURE_FORMAT_RGBA8, width, 3, false);
        Bitmap* bitmap = qv->graphics->CreateBitmap(("shot" + std::to_string(width)).c_str(), &description);
        ASSERT_TRUE(bitmap && bitmap->pixels);
        memset(bitmap->pixels, 0xFF, static_cast<size_t>(width) * 3 * 4);
        EXPECT_TRUE(qv->graphics->SaveBitmap(bitmap, image.c_str(), 90));
        qv->graphics->RemoveBitmapHandle(bitmap);
    }
    QVI_DetachRenderer();
    EXPECT_EQ(LoadedImageWidth(image), 7);
    EXPECT_FALSE(TemporaryLeftBeside(image));

    // Either side of the suffix's room, a folder where the temporary goes shows which name is
    // used: the save fails and the previous file stays.
    const std::string suffixed = PathOfNativeLength(kLongestNativePath - 5, ".xml");
    ASSERT_TRUE(SaveDatabase(suffixed, "kept"));
    ASSERT_TRUE(CreateDirectoryA((Native(suffixed) + "..tmp").c_str(), nullptr));
    EXPECT_FALSE(SaveDatabase(suffixed, "lost"));
    EXPECT_EQ(LoadDatabase(suffixed), "kept");
    ASSERT_TRUE(RemoveDirectoryA((Native(suffixed) + "..tmp").c_str()));
    EXPECT_TRUE(SaveDatabase(suffixed, "replaced"));
    EXPECT_EQ(LoadDatabase(suffixed), "replaced");

    const std::string shortened = PathOfNativeLength(kLongestNativePath - 4, ".xml");
    std::string blocker = Native(shortened);
    blocker.back() = '~';
    ASSERT_TRUE(SaveDatabase(shortened, "kept"));
    ASSERT_TRUE(CreateDirectoryA(blocker.c_str(), nullptr));
    EXPECT_FALSE(SaveDatabase(shortened, "lost"));
    EXPECT_EQ(LoadDatabase(shortened), "kept");
    ASSERT_TRUE(RemoveDirectoryA(blocker.c_str()));
    EXPECT_TRUE(SaveDatabase(shortened, "replaced"));
    EXPECT_EQ(LoadDatabase(shortened), "replaced");
    EXPECT_FALSE(TemporaryLeftBeside(shortened));
}

TEST_F(ReplacedFileTemporaries, TwoSavesSharingAShortenedTemporaryNeverRunAtOnce) {
    // Differing in their last character only, both names shorten to one temporary.
    const std::string first = PathOfNativeLength(kLongestNativePath, ".out1");
    const std::string second = first.substr(0, first.size() - 1) + "2";
    const int kRounds = 25;
    // Each round's text differs in length and in every byte from the other file's.
    auto text = [](const std::string& path, int round) { return std::string(30000 + round, path.back()); };
    auto saveRounds = [&](const std::string& path, bool* allSaved) {
        for (int round = 0; round < kRounds; ++round) {
            ShaderTool::Log log;
            const std::string bytes = text(path, round);
            *allSaved = ShaderTool::WriteOutputFile(path.c_str(), bytes.data(), bytes.size(), log) && *allSaved;
        }
    };
    bool firstSaved = true, secondSaved = true;
    std::thread other([&] { saveRounds(second, &secondSaved); });
    saveRounds(first, &firstSaved);
    other.join();
    EXPECT_TRUE(firstSaved);
    EXPECT_TRUE(secondSaved);
    EXPECT_TRUE(ReadThrough(first.c_str()) == text(first, kRounds - 1));
    EXPECT_TRUE(ReadThrough(second.c_str()) == text(second, kRounds - 1));
    EXPECT_FALSE(TemporaryLeftBeside(first));
}

}  // namespace
