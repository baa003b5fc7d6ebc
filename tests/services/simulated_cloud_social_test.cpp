// The simulated cloud (blobs in "user://simulated.cloud" across restarts) and the simulated
// friends list (the local-user and friends events and what they carry).
#include "services/simulated_cloud_social.h"

#include <cstring>

#include "services/resolved_implementations.h"
#include "services/services_test_support.h"

namespace services_test {
namespace {

using quaven_test::ReadNative;

const char* const kCloudFile = "user://simulated.cloud";

class SimulatedCloudTest : public ServicesTest {
protected:
    // Buffers as the API hands them to a game, whether or not the HTTP layer that owns
    // them is in this build.
    void SetUp() override {
        ServicesTest::SetUp();
        qv->CreateBuffer = [](int size) {
            Buffer* buffer = static_cast<Buffer*>(calloc(1, sizeof(Buffer)));
            buffer->data = static_cast<uint8_t*>(calloc(static_cast<size_t>(size) + 1, 1));
            buffer->size = buffer->capacity = size;
            return buffer;
        };
        qv->FreeBuffer = [](Buffer* buffer) {
            if (buffer) free(buffer->data);
            free(buffer);
        };
        Start("SIMULATED_CLOUD SIMULATED_SOCIAL");
    }

    // The blob's bytes, or "<null>".
    static std::string Blob(const char* name) {
        Buffer* buffer = qv->cloud->Read(name);
        if (!buffer) return "<null>";
        std::string bytes(reinterpret_cast<const char*>(buffer->data), static_cast<size_t>(buffer->size));
        qv->FreeBuffer(buffer);
        return bytes;
    }
    std::string File() { return ReadNative(Native(kCloudFile)); }
    bool NativeExistsTemporary() { return quaven_test::NativeExists(Native("user://simulated.cloud") + "..tmp"); }
};

TEST_F(SimulatedCloudTest, WriteReadAndDeleteAcrossRestarts) {
    EXPECT_TRUE(qv->cloud->IsAvailable());
    EXPECT_EQ(Blob("a"), "<null>");
    qv->cloud->Write("a", "xyz", 3);
    qv->cloud->Write("b", nullptr, 0);
    EXPECT_EQ(File(), std::string("SIMULATED_CLOUD\0\2\0\0\0a\0\3\0\0\0xyzb\0\0\0\0\0", 35));
    EXPECT_EQ(Blob("b"), "");

    Restart();
    EXPECT_EQ(Blob("a"), "xyz");
    EXPECT_EQ(Blob("b"), "<null>") << "an empty blob is not restored";
    EXPECT_EQ(File(), std::string("SIMULATED_CLOUD\0\1\0\0\0a\0\3\0\0\0xyz", 29)) << "restored through Write";

    // A deletion reaches the file only with the next Write.
    qv->cloud->Delete("a");
    qv->cloud->Delete("never there");
    EXPECT_EQ(Blob("a"), "<null>");
    Restart();
    EXPECT_EQ(Blob("a"), "xyz");
    qv->cloud->Delete("a");
    std::string big(100000, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
    qv->cloud->Write("big", big.data(), static_cast<int>(big.size()));
    qv->cloud->Write("big", nullptr, 4);  // an existing blob without data: four zero bytes
    Restart();
    EXPECT_EQ(Blob("a"), "<null>");
    EXPECT_EQ(Blob("big"), std::string(4, '\0'));
    EXPECT_FALSE(NativeExistsTemporary());
}

TEST_F(SimulatedCloudTest, BadWritesAndBadFilesLoseNothing) {
    EXPECT_TRUE(qv->cloud->IsAvailable());
    qv->cloud->Write("keep", "1234", 4);
    const std::string good = File();
    qv->cloud->Write("neg", "abc", -1);
    qv->cloud->Write("new", nullptr, 10);
    qv->cloud->Write(nullptr, "abc", 3);
    qv->cloud->Write(std::string(3000, 'n').c_str(), "abc", 3);
    EXPECT_EQ(File(), good);
    EXPECT_EQ(Blob("neg"), "<null>");
    EXPECT_EQ(Blob("new"), "<null>");

    // A file cut inside its second entry keeps the first; counts and sizes past the end are
    // only promises.
    std::string cut = good;
    cut[16] = 9;
    cut += std::string("second\0\xff\xff\xff\x7f" "ab", 13);
    ASSERT_TRUE(WriteThrough(kCloudFile, cut));
    Restart();
    EXPECT_EQ(Blob("keep"), "1234");
    EXPECT_EQ(Blob("second"), "<null>");
    EXPECT_EQ(File(), good) << "the file holds what was restored";

    // Another magic: nothing is read, and the next Write replaces the file.
    ASSERT_TRUE(WriteThrough(kCloudFile, std::string("SIMULATED_CLOUX\0\1\0\0\0k\0\1\0\0\0z", 27)));
    Restart();
    EXPECT_EQ(Blob("keep"), "<null>");
    qv->cloud->Write("k", "v", 1);
    EXPECT_EQ(File().substr(0, 16), std::string("SIMULATED_CLOUD\0", 16));
}

class SimulatedSocialTest : public ServicesTest {
protected:
    void SetUp() override {
        ServicesTest::SetUp();
        Start("SIMULATED_SOCIAL");
    }
    struct User {
        std::string id, name;
        int value;
    };
    // The social events in the queue: local-user events and friends lists, payloads copied.
    void TakeSocialEvents(std::vector<User>* localUsers, std::vector<std::vector<User>>* lists) {
        for (EngineEvent& event : TakeEvents()) {
            if (event.type == EVENT_SOCIAL_LOCAL_USER) {
                EXPECT_EQ(event.payload[0], 1);
                SocialUserRecord* user;
                memcpy(&user, event.payload + 8, sizeof user);
                localUsers->push_back({user->id, user->name, user->value});
            } else if (event.type == EVENT_SOCIAL_FRIENDS) {
                SocialUserRecord* entries;
                int32_t count;
                memcpy(&entries, event.payload, sizeof entries);
                memcpy(&count, event.payload + 4, sizeof count);
                std::vector<User> list;
                for (int i = 0; i < count; ++i) list.push_back({entries[i].id, entries[i].name, entries[i].value});
                lists->push_back(list);
            }
            QVI_FreeEventPayload(&event);
        }
    }
};

TEST_F(SimulatedSocialTest, FriendsRequestsAnswerWithTheLocalUserAndTheSortedList) {
    const QuavenSocialAPI* social = qv->social;
    std::vector<User> localUsers;
    std::vector<std::vector<User>> lists;

    social->SendFriends();  // nothing before the first request
    social->SetLocalUserValue(5);
    social->RequestFriends();
    social->RequestFriends();  // state 2: nothing more
    EXPECT_EQ(QVI_SocialImplementation()->GetState(), 2);
    social->SetLocalUserValue(1000);
    social->SendFriends();
    social->SendFriends();
    TakeSocialEvents(&localUsers, &lists);
    ASSERT_EQ(localUsers.size(), 1u);
    EXPECT_EQ(localUsers[0].name, "Local User");
    EXPECT_EQ(localUsers[0].id.size(), 9u);
    EXPECT_LT(localUsers[0].value, 30);
    ASSERT_EQ(lists.size(), 2u);
    ASSERT_EQ(lists[0].size(), 11u);
    EXPECT_EQ(lists[0][0].name, "Local User");
    EXPECT_EQ(lists[0][0].value, 1000);
    int longIds = 0;
    for (size_t i = 1; i < lists[0].size(); ++i) {
        EXPECT_GE(lists[0][i - 1].value, lists[0][i].value);
        EXPECT_EQ(lists[0][i].id.find_first_not_of("0123456789"), std::string::npos);
        longIds += lists[0][i].id.size() == 17;
    }
    EXPECT_EQ(longIds, 1);

    social->ResetState();
    EXPECT_EQ(QVI_SocialImplementation()->GetState(), 0);
    social->RequestFriends();  // the same list, the local-user event again
    TakeSocialEvents(&localUsers, &lists);
    ASSERT_EQ(localUsers.size(), 2u);
    EXPECT_EQ(localUsers[1].value, 1000);
    EXPECT_EQ(social->LoadProfilePicture("100000512", 3), nullptr);
    const std::string url = QVI_ProfilePictureURL("100000512", 50).text;
    EXPECT_NE(url.find("/100000512/picture?width=50&height=50&return_ssl_resources=0"), std::string::npos) << url;
}

}  // namespace
}  // namespace services_test
