// The engine as the targets meet it under Wine: the API table filled as at start-up, the file
// system with res:// in a fresh folder and a per-user folder of its own, the quiet logging of
// fuzz_log.cpp, sounds loadable without DirectSound, and the files the
// targets' inputs refer to (DejaVuSans.ttf, the golden shaders' include) in place.
#include "fuzz/bytes_file.h"
#include "fuzz/fuzz_target.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>

#include "core/core_state.h"
#include "core/engine_log.h"
#include "filesystem/backends.h"
#include "filesystem/paths.h"
#include "graphics/setup/renderer_setup.h"
#include "platform/windows/sound/brum_mixer.h"
#include "quaven/bitmap.h"
#include "support/engine_table.h"
#include "support/files.h"
#include "support/null_renderer.h"
#include "support/res_folder.h"

namespace {

quaven_test::ResFolder* res;

// The inputs by native path: a back end in front of the folder back end serves them from
// memory, so that the engine opens, seeks and reads them through its own file handles
// without a disk access.
std::map<std::string, std::string> g_files;


class MemorySystem : public QVFileSystem::System {
public:
    explicit MemorySystem(QVFileSystem::System* below) : below_(below) {}
    bool CloseFile(QVFileSystem::File* file) override
    {
        if (!mine_.erase(file))
            return below_->CloseFile(file);
        delete file;
        return true;
    }
    bool CreateDirectory(Scheme scheme, const String& path) override { return below_->CreateDirectory(scheme, path); }
    bool CreateRootDirectory(Scheme scheme) override { return below_->CreateRootDirectory(scheme); }
    bool DeleteDirectory(Scheme scheme, const String& path, bool recursive) override
    {
        return below_->DeleteDirectory(scheme, path, recursive);
    }
    bool DeleteFile(Scheme scheme, const String& path) override
    {
        return g_files.erase(Key(path)) > 0 || below_->DeleteFile(scheme, path);
    }
    bool FileExists(Scheme scheme, const String& path) override
    {
        return g_files.count(Key(path)) > 0 || below_->FileExists(scheme, path);
    }
    void FindFiles(Scheme scheme, const String& relativePath, const String& nativeRoot, const Array<String>& patterns,
                   bool recursive, Array<String>& results) override
    {
        below_->FindFiles(scheme, relativePath, nativeRoot, patterns, recursive, results);
    }
    bool GetFileInfo(Scheme scheme, const String& path, FileInfo* info) override
    {
        if (!g_files.count(Key(path)))
            return below_->GetFileInfo(scheme, path, info);
        if (info)
            memset(info, 0, sizeof *info);
        return true;
    }
    QVFileSystem::File* OpenFile(Scheme scheme, const String& path, FileMode mode) override
    {
        const auto found = g_files.find(Key(path));
        if (found == g_files.end() || mode != FILE_MODE_READ) {
            if (found != g_files.end())
                g_files.erase(found);  // written anew: the disk's file is the one from now on
            return below_->OpenFile(scheme, path, mode);
        }
        QVFBytesFile* file = new QVFBytesFile(found->second.data(), found->second.size());
        file->scheme = scheme;
        mine_.insert(file);
        return file;
    }
    static std::string Key(const String& path)
    {
        std::string key = path.text ? path.text : "";
        for (char& c : key)
            c = c == '\\' ? '/' : static_cast<char>(tolower(static_cast<unsigned char>(c)));
        return key;
    }

private:
    QVFileSystem::System* below_;
    std::set<QVFileSystem::File*> mine_;
};

} // namespace

void QVF_PutFile(const char* path, const uint8_t* data, size_t size)
{
    const std::string key = MemorySystem::Key(QV_ConvertStaticPathToNativeOSPath(path));
    if (data)
        g_files[key].assign(reinterpret_cast<const char*>(data), size);
    else
        g_files.erase(key);
}

void QVF_SetUpEnvironment()
{
    static quaven_test::EngineTable table;
    QVI_InitFileSystem();
    res = new quaven_test::ResFolder("fuzz");
    QVF_QuietTable(qv);
    g_core.api = qv;
    QVI_SetUpUserFolders("QuavenFuzz", "Fuzz");
    qv->fileSystem->AddSearchPath("res://", false);
    QVFileSystem::System* folders = g_fileSystemBackends[SCHEME_RES];
    MemorySystem* memory = new MemorySystem(folders);
    for (QVFileSystem::System*& backend : g_fileSystemBackends)
        if (backend == folders)
            backend = memory;
    // Sequence atlases go up to a device that takes them and answers that it made nothing.
    static quaven_test::NullRenderer renderer;
    QVI_AttachRenderer(&renderer);
    BRUM::SetApi(qv);
    BRUM::SetSamplesAssumeRunning(true);
    const std::string ttf = quaven_test::ReadNative(QUAVEN_DEJAVU_DIR "/DejaVuSans.ttf");
    // FreeType opens the TrueType file by its native path.
    res->Put("fonts/DejaVuSans.ttf", ttf);
    const std::string include = quaven_test::ReadNative(QUAVEN_FUZZ_SOURCE_DIR "/tests/shadertool/driver/golden/wave/waves.inc");
    QVF_PutFile("res://fx/waves.inc", reinterpret_cast<const uint8_t*>(include.data()), include.size());
}


void QVF_TearDownEnvironment()
{
    delete res;
    quaven_test::RemoveTree(quaven_test::AppDataFolder() + "/QuavenFuzz");
}
