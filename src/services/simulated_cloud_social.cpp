// Simulated cloud and social services: stand-ins that let a game exercise its cloud
// saves and friends list without an online service.
#include "services/simulated_cloud_social.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/cstring_utils.h"
#include "core/engine_log.h"
#include "filesystem/file_replacement.h"
#include "services/leaderboard_events.h"

namespace {

// ---- the cloud file ----

const char* const kCloudFile = "user://simulated.cloud";
const char kCloudMagic[16] = "SIMULATED_CLOUD";
const int kLongestBlobName = 2047;

// Little-endian u32 at data[at], when four bytes are there.
bool ReadU32(const uint8_t* data, int64_t length, int64_t at, uint32_t* value)
{
    if (at + 4 > length)
        return false;
    *value = static_cast<uint32_t>(data[at]) | static_cast<uint32_t>(data[at + 1]) << 8 |
             static_cast<uint32_t>(data[at + 2]) << 16 | static_cast<uint32_t>(data[at + 3]) << 24;
    return true;
}

void WriteU32(ByteBuffer* out, uint32_t value)
{
    const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                              static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    out->WriteBytes(bytes, 4);
}

// The whole file, or false when it does not open or cannot be read whole.
bool ReadWholeFile(const char* path, ByteBuffer* out)
{
    const QuavenFileSystemAPI* fs = qv->fileSystem;
    FileHandle* file = fs ? fs->OpenFile(path, "r") : nullptr;
    if (!file)
        return false;
    bool complete = true;
    uint8_t chunk[4096];
    for (;;) {
        const int got = fs->Read(chunk, sizeof chunk, file);
        if (got <= 0)
            break;
        const int before = out->size;
        out->WriteBytes(chunk, got);
        if (out->size != before + got) {
            complete = false;
            break;
        }
    }
    fs->CloseFile(file);
    return complete;
}

// Replaced whole, so that a failure leaves the previous file whole.
bool ReplaceFile(const ByteBuffer& bytes)
{
    return qv->fileSystem && bytes.size >= 0 &&
           QVI_WriteWholeFile(kCloudFile, bytes.data, static_cast<uint32_t>(bytes.size)) == WholeFileWrite::kWritten;
}

// A block of exactly size bytes: a copy of data, or zeros when there is no data.
ByteBuffer* MakeBlob(const void* data, int size)
{
    ByteBuffer* blob = new ByteBuffer();
    if (size > 0) {
        if (data) {
            blob->WriteBytes(data, size);
        } else {
            static const uint8_t zeros[4096] = {};
            for (int left = size; left > 0 && blob->size == size - left;) {
                const int part = left < static_cast<int>(sizeof zeros) ? left : static_cast<int>(sizeof zeros);
                blob->WriteBytes(zeros, part);
                left -= part;
            }
        }
    }
    if (blob->size != size) {
        delete blob;
        return nullptr;
    }
    return blob;
}

// ---- the friends list ----

struct InventedFriend {
    const char* id;
    const char* name;
};

const char* const kLocalUserId = "100000471";
const char* const kLocalUserName = "Local User";
const InventedFriend kInventedFriends[10] = {
    {"100000512", "Aada Korhonen"},   {"100000633", "Bram de Vries"},  {"100000754", "Chiara Conti"},
    {"100000875", "Dmitri Orlov"},    {"100000996", "Elif Yilmaz"},    {"100001117", "Finn Larsen"},
    {"100001238", "Grace Okafor"},    {"100001359", "Hiro Tanaka"},    {"100001480", "Ines Duarte"},
    {"10000160100000042", "Jonah Weiss"},
};

// The 12-byte user record the social events carry.
struct SocialUserBlock {
    char* id;
    char* name;
    int32_t value;
};
static_assert(sizeof(void*) != 4 || sizeof(SocialUserBlock) == 12, "social user records cross the program boundary");
static_assert(sizeof(void*) != 4 || offsetof(SocialUserBlock, value) == 8, "social user record layout");

char* HeapCopy(const String& text)
{
    return QVI_StrDupApi(text.text ? text.text : "");
}

FriendEntry* NewFriend(const char* id, const char* name, int32_t value)
{
    FriendEntry* entry = new FriendEntry();
    entry->id.Assign(id);
    entry->name.Assign(name);
    entry->value = value;
    return entry;
}

} // namespace

// ---- SimulatedCloudImplementation ----

SimulatedCloudImplementation::~SimulatedCloudImplementation()
{
    for (int i = 0; i < blobs.entries.count; ++i)
        delete blobs.entries.data[i]->value;
}

bool QV_MEMBER SimulatedCloudImplementation::Init()
{
    LoadStore();
    return true;
}

bool SimulatedCloudImplementation::Store(const char* name, const void* data, int size)
{
    ByteBuffer* blob = MakeBlob(data, size);
    if (!blob)
        return false;
    ByteBuffer*& slot = blobs[name];
    delete slot;
    slot = blob;
    return true;
}

void SimulatedCloudImplementation::LoadStore()
{
    ByteBuffer file;
    if (!ReadWholeFile(kCloudFile, &file))
        return;
    const uint8_t* data = file.data;
    const int64_t length = file.size;
    if (length < static_cast<int64_t>(sizeof kCloudMagic) || memcmp(data, kCloudMagic, sizeof kCloudMagic) != 0)
        return;
    int64_t at = sizeof kCloudMagic;
    uint32_t count = 0;
    if (!ReadU32(data, length, at, &count))
        return;
    at += 4;
    // The count is only a promise: entries are read while the file holds them.
    struct Restored {
        const char* name;
        const uint8_t* bytes;
        int32_t size;
    };
    Array<Restored> restored;
    for (uint32_t i = 0; i < count; ++i) {
        const void* end = memchr(data + at, 0, static_cast<size_t>(length - at));
        if (!end)
            break;
        const int64_t nameLength = static_cast<const uint8_t*>(end) - (data + at);
        if (nameLength > kLongestBlobName)
            break;
        const char* name = reinterpret_cast<const char*>(data + at);
        at += nameLength + 1;
        uint32_t size = 0;
        if (!ReadU32(data, length, at, &size))
            break;
        at += 4;
        const int32_t signedSize = static_cast<int32_t>(size);
        if (signedSize <= 0)
            continue;
        if (at + signedSize > length)
            break;
        if (!Store(name, data + at, signedSize)) {
            // A blob that cannot be held must not be written out of the file.
            QVI_Report(QV_LOG_ERROR, "SimulatedCloud: out of memory while reading '%s'; the file is unchanged.",
                       kCloudFile);
            return;
        }
        restored.Add(Restored{name, data + at, signedSize});
        at += signedSize;
    }
    // Each restored blob is stored again through Write, which rewrites the file. Every blob
    // is in the map by now, so each file written on the way holds all of them.
    for (int i = 0; i < restored.count; ++i)
        Write(restored.data[i].name, restored.data[i].bytes, restored.data[i].size);
}

void SimulatedCloudImplementation::SaveStore()
{
    int64_t total = sizeof kCloudMagic + 4;
    for (int i = 0; i < blobs.entries.count; ++i)
        total += QVI_StrLen(blobs.entries.data[i]->key.text) + 1 + 4 + blobs.entries.data[i]->value->size;
    if (total > INT32_MAX / 2) {
        QVI_Report(QV_LOG_ERROR, "SimulatedCloud: the blobs are too large for '%s'; the file is unchanged.", kCloudFile);
        return;
    }
    ByteBuffer out;
    out.WriteBytes(kCloudMagic, sizeof kCloudMagic);
    WriteU32(&out, static_cast<uint32_t>(blobs.entries.count));
    for (int i = 0; i < blobs.entries.count; ++i) {
        const auto* entry = blobs.entries.data[i];
        out.WriteString(entry->key.text);
        WriteU32(&out, static_cast<uint32_t>(entry->value->size));
        out.WriteBytes(entry->value->data, entry->value->size);
    }
    if (out.size != total) {
        QVI_Report(QV_LOG_ERROR, "SimulatedCloud: out of memory while saving '%s'; the file is unchanged.", kCloudFile);
        return;
    }
    if (!ReplaceFile(out))
        QVI_Report(QV_LOG_ERROR, "SimulatedCloud: unable to write '%s'; the file is unchanged.", kCloudFile);
}

void QV_MEMBER SimulatedCloudImplementation::Write(const char* name, const void* data, int size)
{
    if (!name || size < 0 || strlen(name) > static_cast<size_t>(kLongestBlobName)) {
        QVI_Report(QV_LOG_WARNING, "SimulatedCloud: Write refused: it needs a name of at most %d bytes and a size of 0 or more (%d).",
                   kLongestBlobName, size);
        return;
    }
    // A new blob's bytes come from the caller; without them there is nothing to keep.
    if (size > 0 && !data && !blobs.Contains(name)) {
        QVI_Report(QV_LOG_WARNING, "SimulatedCloud: Write of '%s' refused: %d bytes without data.", name, size);
        return;
    }
    if (!Store(name, data, size)) {
        QVI_Report(QV_LOG_ERROR, "SimulatedCloud: out of memory while writing '%s'.", name);
        return;
    }
    SaveStore();
}

Buffer* QV_MEMBER SimulatedCloudImplementation::Read(const char* name)
{
    StringMapEntry<ByteBuffer*>* entry = blobs.FindEntry(name);
    if (!entry)
        return nullptr;
    const ByteBuffer* blob = entry->value;
    Buffer* buffer = qv->CreateBuffer(blob->size);
    if (!buffer)
        return nullptr;
    if (blob->size > 0)
        memcpy(buffer->data, blob->data, static_cast<size_t>(blob->size));
    return buffer;
}

void QV_MEMBER SimulatedCloudImplementation::Delete(const char* name)
{
    // The map offers no removal of single entries; its entry list is edited directly.
    for (int i = 0; name && i < blobs.entries.count; ++i) {
        StringMapEntry<ByteBuffer*>* entry = blobs.entries.data[i];
        if (entry->key.text && strcmp(entry->key.text, name) == 0) {
            blobs.entries.RemoveAt(i);
            delete entry->value;
            delete entry;
            return;
        }
    }
}

// ---- SimulatedSocialImplementation ----

SimulatedSocialImplementation::~SimulatedSocialImplementation()
{
    friends.DeleteAll();
}

bool QV_MEMBER SimulatedSocialImplementation::Init()
{
    state = 0;
    mutex = qv->CreateMutex("SocialImplementation");
    localUser = nullptr;
    return true;
}

void QV_MEMBER SimulatedSocialImplementation::RequestFriends()
{
    if (state != 0)
        return;
    state = 2;
    qv->LockMutex(mutex);
    if (!localUser) {
        localUser = NewFriend(kLocalUserId, kLocalUserName, rand() % 30);
        friends.Add(localUser);
        for (const InventedFriend& invented : kInventedFriends)
            friends.Add(NewFriend(invented.id, invented.name, 0));
        for (int i = 1; i < friends.count; ++i)
            friends.data[i]->value = rand() % 40 + 3 + i;
    }

    EngineEvent event;
    qv->InitEvent(&event, EVENT_SOCIAL_LOCAL_USER);
    event.payload[0] = 1;
    SocialUserBlock* user = static_cast<SocialUserBlock*>(qv->Malloc(sizeof(SocialUserBlock)));
    if (user) {
        user->id = HeapCopy(localUser->id);
        user->name = HeapCopy(localUser->name);
        user->value = localUser->value;
        memcpy(event.payload + 8, &user, sizeof user);
    }
    qv->PostEvent(&event);
    qv->UnlockMutex(mutex);
}

void QV_MEMBER SimulatedSocialImplementation::ResetState()
{
    if (state == 2)
        state = 0;
}

int QV_MEMBER SimulatedSocialImplementation::GetState()
{
    return state;
}

void QV_MEMBER SimulatedSocialImplementation::SetLocalUserValue(int value)
{
    if (localUser)
        localUser->value = value;
}

void QV_MEMBER SimulatedSocialImplementation::SendFriends()
{
    if (!localUser || state != 2)
        return;
    const int count = friends.count;
    SocialUserBlock* list = static_cast<SocialUserBlock*>(qv->Malloc(static_cast<uint32_t>(count * sizeof(SocialUserBlock))));
    if (!list) {
        QVI_Report(QV_LOG_ERROR, "SimulatedSocial: out of memory for the friends list.");
        return;
    }
    for (int i = 0; i < count; ++i) {
        list[i].id = HeapCopy(friends.data[i]->id);
        list[i].name = HeapCopy(friends.data[i]->name);
        list[i].value = friends.data[i]->value;
    }
    // Highest value first, by exchanging every pair out of order.
    for (int a = 0; a < count; ++a) {
        for (int b = 0; b < count; ++b) {
            if (static_cast<uint32_t>(list[a].value) > static_cast<uint32_t>(list[b].value)) {
                const SocialUserBlock swap = list[a];
                list[a] = list[b];
                list[b] = swap;
            }
        }
    }

    EngineEvent event;
    qv->InitEvent(&event, EVENT_SOCIAL_FRIENDS);
    const int32_t entries = count;
    memcpy(event.payload + 0, &list, sizeof list);
    memcpy(event.payload + 4, &entries, sizeof entries);
    qv->PostEvent(&event);
}

String QVI_ProfilePictureURL(const char* userId, int size)
{
    return String::FromFormat("http://graph.facebook.com/%s/picture?width=%d&height=%d&return_ssl_resources=0",
                              userId ? userId : "", size, size);
}

Bitmap* QV_MEMBER SimulatedSocialImplementation::LoadProfilePicture(const char* userId, int size)
{
    if (!userId || !qv->graphics || !qv->graphics->LoadBitmap)
        return nullptr;
    const String url = QVI_ProfilePictureURL(userId, size);
    return qv->graphics->LoadBitmap(url.text, QV_CACHE_TEXTURE);
}

CloudImplementation* QVI_CreateSimulatedCloudImplementation()
{
    return new SimulatedCloudImplementation();
}

SocialImplementation* QVI_CreateSimulatedSocialImplementation()
{
    return new SimulatedSocialImplementation();
}
