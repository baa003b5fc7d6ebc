// Every file the engine replaces, written by a process that is killed at random moments: the
// next run finds the previous file or the new one, whole. One entry per kind of file; the
// driver (support/kill_loop) does the killing and counting. CI runs a few kills per kind,
// scripts/kill_files.sh the full count.
#include "platform/windows/win32.h"

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "core/configuration.h"
#include "core/core_state.h"
#include "data/datamanager/data_manager.h"
#include "data/datamanager/database.h"
#include "engine/replaced_files_fixture.h"
#include "filesystem/backends.h"
#include "filesystem/http_system.h"
#include "filesystem/mount_system.h"
#include "filesystem/paths.h"
#include "graphics/bitmaps/bitmap_pool.h"
#include "graphics/bitmaps/bitmap_sequences.h"
#include "graphics/bitmaps/image_loader_portable.h"
#include "graphics/setup/renderer_setup.h"
#include "modules/extension_modules.h"
#include "services/local_leaderboards.h"
#include "shadertool/core/log.h"
#include "shadertool/driver/output_file.h"
#include "support/engine_table.h"
#include "support/files.h"
#include "support/kill_loop.h"
#include "support/null_renderer.h"
#include "text/fonts/font_pool.h"
#include "text/fonts/font_record.h"

namespace {

using quaven_test::ReadThrough;
using quaven_test::ReplacedFile;
using quaven_test::WriteThrough;

// Kills per kind in the normal suite; QUAVEN_KILLS sets the full count.
const int kKills = 20;

std::string Native(const char* path) { return QV_ConvertStaticPathToNativeOSPath(path).text; }
std::string Text(const char* text) { return text ? text : ""; }

void Expect(const quaven_test::KillCounts& counts) {
    EXPECT_EQ(counts.lost, 0);
    EXPECT_EQ(counts.previous + counts.next, counts.kills);
}

// size bytes that differ from round to round everywhere, so a file mixing two rounds or cut
// short never equals either.
std::string RoundBytes(int round, size_t size) {
    std::string bytes = "round " + std::to_string(round) + "\n";
    while (bytes.size() < size) bytes += static_cast<char>('a' + (bytes.size() * 7 + round) % 26);
    bytes.resize(size);
    return bytes;
}

// A writer that takes a path ("user://<name>"): the file holds a round when it loads and has
// exactly the bytes the same writer gives that round under another name.
ReplacedFile WrittenTo(const char* path, std::function<void(int, const char*)> writeTo,
                       std::function<bool(const char*)> loads) {
    const std::string target = path, reference = "user://reference-" + target.substr(strlen("user://"));
    return {[=](int round) { writeTo(round, target.c_str()); },
            [=](int round) {
                writeTo(round, reference.c_str());
                const std::string expected = quaven_test::ReadNative(Native(reference.c_str()));
                return loads(target.c_str()) && expected != "<missing>" &&
                       quaven_test::ReadNative(Native(target.c_str())) == expected;
            }};
}

class ReplacedFilesKill : public replaced_files_test::ReplacedFilesTest {
protected:
    // The save as the next run's game reads it.
    static bool SaveHolds(int round) {
        qv->fileSystem->Mount("save", 0);
        const bool holds = ReadThrough("save://slot.dat") == RoundBytes(round, 256 * 1024);
        qv->fileSystem->Unmount("save");
        return holds;
    }
};

TEST_F(ReplacedFilesKill, DataManagerSave) {
    const int kNodes = 400;
    auto holds = [&](int round) {
        Database database;
        if (!database.Load("user://kill.xml")) return false;
        const DataArray* array = database.FindArray("ROUNDS");
        if (!array || array->nodes.count != kNodes) return false;
        for (int i = 0; i < kNodes; ++i)
            if (std::to_string(round) != Text(array->nodes.data[i]->GetParameter("round"))) return false;
        return true;
    };
    auto write = [&](int round) {
        Database database;
        DataArray* array = new DataArray("ROUNDS");
        database.arrays.Add(array);
        for (int i = 0; i < kNodes; ++i) {
            DataNode* node = new DataNode(std::to_string(i).c_str());
            node->SetParameter("round", std::to_string(round).c_str());
            node->SetParameter("text", "a line of the saved game that makes the file long enough");
            array->nodes.Add(node);
        }
        database.Save("user://kill.xml", true);
    };
    Expect(quaven_test::KillWhileWriting("DataManager Save", {write, holds}, kKills));
}

TEST_F(ReplacedFilesKill, SaveMountUnmount) {
    auto write = [](int round) {
        qv->fileSystem->Mount("save", 0);
        WriteThrough("save://slot.dat", RoundBytes(round, 256 * 1024));
        qv->fileSystem->Unmount("save");
    };
    Expect(quaven_test::KillWhileWriting("save mount Unmount", {write, SaveHolds}, kKills));
}

TEST_F(ReplacedFilesKill, SaveMountShutdownFlush) {
    // Each round's Unmount fails on a folder where the temporary file goes; shutdown then
    // writes the committed save once the folder is gone.
    auto write = [](int round) {
        const std::string blocker = Native("save://slot.dat") + "..tmp";
        qv->fileSystem->Mount("save", 0);
        WriteThrough("save://slot.dat", RoundBytes(round, 256 * 1024));
        CreateDirectoryA(blocker.c_str(), nullptr);
        qv->fileSystem->Unmount("save");
        RemoveDirectoryA(blocker.c_str());
        QVI_WriteCommittedSaveFiles();
    };
    Expect(quaven_test::KillWhileWriting("save mount shutdown flush", {write, SaveHolds}, kKills));
}

TEST_F(ReplacedFilesKill, SaveFont) {
    const int kGlyphs = 96;
    auto writeTo = [&](int round, const char* path) {
        Font font = {};
        font.header.name = const_cast<char*>("kill");
        ASSERT_TRUE(QVI_AllocateFontGlyphs(&font, kGlyphs));
        font.isUTF8 = 1, font.baseline = 12, font.height = 16, font.lineSpacing = 18, font.scale = 1.0f;
        for (int i = 0; i < kGlyphs; ++i) {
            FontGlyph& glyph = font.glyphs[i];
            glyph.codePoint = 32 + i, glyph.advance = static_cast<int16_t>(round % 30000), glyph.offsetX = 1;
            glyph.image.width = glyph.image.height = 16;
            glyph.image.pixels = static_cast<uint8_t*>(malloc(16 * 16 * 4));
            for (int p = 0; p < 16 * 16 * 4; ++p) glyph.image.pixels[p] = static_cast<uint8_t>(p * 13 + i + round);
        }
        qv->SaveFont(&font, path);
        QVI_FreeFontGlyphs(&font);
    };
    auto loads = [&](const char* path) {
        Font font = {};
        font.header.name = const_cast<char*>(path);
        const bool read = QVI_ReadFontFile(&font) && font.glyphCount == kGlyphs;
        QVI_FreeFontGlyphs(&font);
        return read;
    };
    Expect(quaven_test::KillWhileWriting("SaveFont (.mft)", WrittenTo("user://kill.mft", writeTo, loads), kKills));
}

TEST_F(ReplacedFilesKill, BitmapSequenceFile) {
    // Releasing a sequence waits for a renderer that is gone to come back; this one stays.
    quaven_test::NullRenderer renderer;
    QVI_AttachRenderer(&renderer);
    const int kFrames = 8;
    auto writeTo = [&](int round, const char* path) {
        Bitmap sequence = {};
        sequence.header.name = strdup("kill.bms");
        sequence.frames = static_cast<Bitmap*>(calloc(kFrames, sizeof(Bitmap)));
        sequence.frameCount = kFrames;
        for (int i = 0; i < kFrames; ++i) {
            Bitmap* frame = &sequence.frames[i];
            QVI_GetImageLoader()->AllocateImagePixels(frame, 64, 48);
            for (int p = 0; p < 64 * 48 * 4; ++p) frame->pixels[p] = static_cast<uint8_t>(p * 3 + i * 50 + round);
            frame->currentFrame = round + i;
            frame->frameRate = 30.0f;
        }
        QVI_SaveBitmapSequence(&sequence, Native(path).c_str());
        QVI_ReleaseBitmapResources(&sequence);
        free(sequence.header.name);
    };
    auto loads = [&](const char* path) {
        Bitmap sequence = {};
        sequence.header.name = strdup("read");
        const bool read = QVI_LoadBitmapSequenceFile(&sequence, path) && sequence.frameCount == kFrames;
        QVI_ReleaseBitmapResources(&sequence);
        free(sequence.header.name);
        return read;
    };
    Expect(quaven_test::KillWhileWriting(".bms writer", WrittenTo("user://kill.bms", writeTo, loads), kKills));
    QVI_DetachRenderer();
}

// An image of its round's size and pattern through SaveImage, for each format.
void KillSavingImage(const char* kind, const char* path) {
    auto writeTo = [](int round, const char* target) {
        Bitmap bitmap = {};
        QVI_GetImageLoader()->AllocateImagePixels(&bitmap, 200 + round % 50, 160);
        for (int p = 0; p < bitmap.width * bitmap.height * 4; ++p)
            bitmap.pixels[p] = static_cast<uint8_t>((p % 4 == 3) ? 255 : p / 7 + round * 5);
        QVI_GetImageLoader()->SaveImage(&bitmap, target, 90);
        QVI_GetImageLoader()->FreeImagePixels(&bitmap);
    };
    auto loads = [](const char* target) {
        Bitmap bitmap = {};
        const bool read = QVI_GetImageLoader()->LoadImage(&bitmap, target) && bitmap.pixels && bitmap.height == 160;
        QVI_GetImageLoader()->FreeImagePixels(&bitmap);
        return read;
    };
    Expect(quaven_test::KillWhileWriting(kind, WrittenTo(path, writeTo, loads), kKills));
}

TEST_F(ReplacedFilesKill, SaveImagePng) { KillSavingImage("SaveImage PNG", "user://kill.png"); }
TEST_F(ReplacedFilesKill, SaveImageJpeg) { KillSavingImage("SaveImage JPEG", "user://kill.jpg"); }
TEST_F(ReplacedFilesKill, SaveImageTga) { KillSavingImage("SaveImage TGA", "user://kill.tga"); }

TEST_F(ReplacedFilesKill, SimulatedCloud) {
    StartServices("SIMULATED_CLOUD");
    auto write = [](int round) {
        const std::string bytes = RoundBytes(round, 128 * 1024);
        qv->cloud->Write("slot", bytes.data(), static_cast<int>(bytes.size()));
    };
    // The next run is a fresh start of the service, which reads the file.
    auto holds = [](int round) {
        StartServices("SIMULATED_CLOUD");
        Buffer* buffer = qv->cloud->Read("slot");
        const bool same = buffer && std::string(reinterpret_cast<const char*>(buffer->data), buffer->size) ==
                                        RoundBytes(round, 128 * 1024);
        qv->FreeBuffer(buffer);
        return same;
    };
    Expect(quaven_test::KillWhileWriting("simulated cloud", {write, holds}, kKills));
}

TEST_F(ReplacedFilesKill, LocalLeaderboards) {
    StartServices("LEADERBOARDS LOCAL_LEADERBOARDS");
    // Each round one score of its own number: the best score tells the round.
    auto write = [](int round) {
        ScoreRecord record = {};
        record.points = round;
        qv->leaderboards->SubmitScore(0, record, "KILL");
    };
    auto holds = [](int round) {
        Database database;
        if (!database.Load(kLocalLeaderboardsFile)) return false;
        const DataArray* array = database.FindArray("KILL");
        int best = -1;
        for (int i = 0; array && i < array->nodes.count; ++i)
            best = std::max(best, atoi(Text(array->nodes.data[i]->GetParameter("points")).c_str()));
        return best == round;
    };
    Expect(quaven_test::KillWhileWriting("leaderboards store", {write, holds}, kKills));
}

TEST_F(ReplacedFilesKill, ShaderDebugCopy) {
    auto write = [](int round) {
        ShaderTool::Log log;
        const std::string text = RoundBytes(round, 96 * 1024);
        ShaderTool::WriteOutputFile("user://shaders/kill.ps", text.data(), text.size(), log);
    };
    auto holds = [](int round) { return ReadThrough("user://shaders/kill.ps") == RoundBytes(round, 96 * 1024); };
    qv->fileSystem->CreateDirectory("user://shaders");
    Expect(quaven_test::KillWhileWriting("shader debug copy", {write, holds}, kKills));
}

TEST_F(ReplacedFilesKill, CacheDownload) {
    auto write = [](int round) {
        const std::string bytes = RoundBytes(round, 512 * 1024);
        QVI_WriteHTTPCacheFile("cache://kill.bin", bytes.data(), static_cast<int>(bytes.size()));
    };
    auto holds = [](int round) { return ReadThrough("cache://kill.bin") == RoundBytes(round, 512 * 1024); };
    Expect(quaven_test::KillWhileWriting("download into cache://", {write, holds}, kKills));
}

}  // namespace
