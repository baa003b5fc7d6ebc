// The engine side of the data and file benchmarks. It sets up the engine's services as
// pre-initialisation does before a game runs (the API table, the engine locks, the file
// system with res:// at this program's folder), without a window or a game, then times one
// piece of work:
//
//   engine_bench.exe database PATH   DataManager loads res://PATH, and the database is walked
//   engine_bench.exe xmlreader PATH  the XML reader alone goes through res://PATH block by block
//   engine_bench.exe reads PATH      res://PATH is read in 64 KB chunks through qv->fileSystem
//   engine_bench.exe pakreads PATH   the same, with res:// moved to this program's inputs/
//                                    folder, where a PAK archive stands for PATH's first folder
//
// It reports "bench work_ms" and what the work saw: "bench digest" (see bench_work.h) or
// "bench bytes". Tear-down is not timed: a game keeps its databases for the whole run.
#include "platform/windows/win32.h"

#include <cstring>
#include <string>

#include "bench_work.h"
#include "core/engine_log.h"
#include "engine/api_table.h"
#include "core/locks.h"
#include "core/threads.h"
#include "data/datamanager/data_manager.h"
#include "data/xml/xml_reader.h"
#include "filesystem/backends.h"
#include "filesystem/paths.h"

namespace {

void SetUpEngineServices()
{
    QVI_InitializeThreading();
    QVI_FillAPI(qv);
    QVI_CreateEngineLocks();
    QVI_InitFileSystem();
}

void WalkParameters(const Array<DataParameter>& parameters, WalkDigest* digest)
{
    for (int i = 0; i < parameters.count; ++i)
        digest->Value(parameters.data[i].name, parameters.data[i].value);
}

bool LoadAndWalkDatabase(const char* url, WalkDigest* digest)
{
    const Database* database = DataManager::GetDatabase(url);
    for (int a = 0; a < database->arrays.count; ++a) {
        const DataArray* array = database->arrays.data[a];
        ++digest->arrays;
        // The loader keeps an array's id apart from its other attributes.
        if (array->id)
            digest->Value("id", array->id);
        WalkParameters(array->parameters, digest);
        for (int n = 0; n < array->nodes.count; ++n) {
            ++digest->nodes;
            WalkParameters(array->nodes.data[n]->parameters, digest);
        }
    }
    return database->arrays.count > 0;
}

bool IsNamed(const XMLBlock* block, const char* name)
{
    return strcmp(block->name, name) == 0;
}

bool ReadAndWalkBlocks(XMLReader* reader, const char* url, WalkDigest* digest)
{
    if (!reader->LoadFile(url))
        return false;
    while (const XMLBlock* block = reader->ReadNextBlock()) {
        if (!block->name) {
            digest->Value("DATA", block->attributeValues[0]);
            continue;
        }
        // End tags carry no attributes; every array and node of the benchmark's database
        // has an id, so this tells start tags (self-closing ones too) from end tags.
        if (block->closing && block->attributeCount == 0)
            continue;
        if (IsNamed(block, "array"))
            ++digest->arrays;
        else if (IsNamed(block, "node"))
            ++digest->nodes;
        for (int i = 0; i < block->attributeCount; ++i)
            digest->Value(block->attributeNames[i], block->attributeValues[i]);
    }
    return reader->ok != 0;
}

long long ReadInChunks(const char* url)
{
    static char chunk[kReadChunkBytes];
    FileHandle* file = qv->fileSystem->OpenFile(url, "r");
    if (!file)
        return -1;
    long long total = 0;
    int got;
    while ((got = qv->fileSystem->Read(chunk, sizeof chunk, file)) > 0)
        total += got;
    qv->fileSystem->CloseFile(file);
    return total;
}

int Usage()
{
    Bench_Report("error", "usage: engine_bench.exe database|xmlreader|reads|pakreads PATH");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return Usage();
    const std::string mode = argv[1];
    const std::string url = std::string("res://") + argv[2];
    SetUpEngineServices();
    // Archives lie directly in a scheme's root: inputs/packed.pak serves res://packed/.
    if (mode == "pakreads")
        g_currentUrlRoots[SCHEME_RES].Append("/inputs");

    WalkDigest digest;
    XMLReader reader;  // outlives the timing: its tear-down is not part of the work
    long long bytes = 0;
    bool ok;
    const double startMs = Bench_NowMs();
    if (mode == "database")
        ok = LoadAndWalkDatabase(url.c_str(), &digest);
    else if (mode == "xmlreader")
        ok = ReadAndWalkBlocks(&reader, url.c_str(), &digest);
    else if (mode == "reads" || mode == "pakreads")
        ok = (bytes = ReadInChunks(url.c_str())) >= 0;
    else
        return Usage();
    const double workMs = Bench_NowMs() - startMs;

    if (!ok) {
        Bench_Report("error", "%s of %s failed", mode.c_str(), url.c_str());
        return 1;
    }
    Bench_Report("work_ms", "%.3f", workMs);
    if (mode == "reads" || mode == "pakreads")
        Bench_Report("bytes", "%lld", bytes);
    else
        digest.Report();
    return 0;
}
