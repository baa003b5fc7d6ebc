#pragma once

#include "core/array.h"
#include "core/byte_buffer.h"
#include "core/engine_string.h"
#include "core/string_map.h"
#include "services/fallback_implementations.h"
#include "services/service_implementation.h"

// Cloud storage for development: named blobs kept in "user://simulated.cloud". The file
// is the 16-byte magic "SIMULATED_CLOUD\0", a u32 blob count, then per blob its name
// with a zero byte, a u32 size and the bytes (little-endian). Every Write rewrites the
// whole file; a Delete reaches the file with the next Write.
class SimulatedCloudImplementation final : public CloudImplementation {
public:
    SimulatedCloudImplementation() = default;

    void* QV_MEMBER DeletingDestructor(unsigned flags) override { return QVI_DestroyObject(this, flags); }
    bool QV_MEMBER Init() override;
    void QV_MEMBER Write(const char* name, const void* data, int size) override;
    Buffer* QV_MEMBER Read(const char* name) override;
    void QV_MEMBER Delete(const char* name) override;

    StringMap<ByteBuffer*> blobs;

    ~SimulatedCloudImplementation();

private:
    void LoadStore();
    void SaveStore();
    // Puts the blob into the map; false when its bytes cannot be kept.
    bool Store(const char* name, const void* data, int size);
};

// One user of the simulated friends list.
struct FriendEntry {
    String id;
    String name;
    int32_t value = 0;
};

// A friends list for development: the local user and ten invented friends, answered as
// the social events (local user, then the list best value first).
class SimulatedSocialImplementation final : public SocialImplementation {
public:
    SimulatedSocialImplementation() = default;

    void* QV_MEMBER DeletingDestructor(unsigned flags) override { return QVI_DestroyObject(this, flags); }
    bool QV_MEMBER Init() override;
    void QV_MEMBER RequestFriends() override;
    void QV_MEMBER ResetState() override;
    int QV_MEMBER GetState() override;
    void QV_MEMBER SetLocalUserValue(int value) override;
    void QV_MEMBER SendFriends() override;
    Bitmap* QV_MEMBER LoadProfilePicture(const char* userId, int size) override;

    Mutex* mutex = nullptr;
    int32_t state = 0;  // 0 idle, 2 friends list ready
    FriendEntry* localUser = nullptr;
    Array<FriendEntry*> friends;  // the local user first

    ~SimulatedSocialImplementation();

private:
};

// The profile-picture address of a user at a size (the picture is square).
String QVI_ProfilePictureURL(const char* userId, int size);
