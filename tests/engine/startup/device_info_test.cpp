// The machine's description as pre-initialisation gathers it, and its id, which is read
// from the network adapters only when first asked for.
#include "platform/windows/win32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "engine/startup/device_info.h"

namespace {

// "%02x" seven times and a line end (adapter number and address), or "TIME%xx%x".
bool IsMachineIdText(const std::string& id) {
    auto hexDigits = [](const std::string& text) {
        return !text.empty() &&
               std::all_of(text.begin(), text.end(), [](unsigned char c) { return isxdigit(c) && !isupper(c); });
    };
    if (id.size() == 15 && id[14] == '\n')
        return hexDigits(id.substr(0, 14));
    if (id.compare(0, 4, "TIME") != 0)
        return false;
    const size_t separator = id.find('x', 4);
    return separator != std::string::npos && hexDigits(id.substr(4, separator - 4)) &&
           hexDigits(id.substr(separator + 1));
}

TEST(DeviceInfo, GatheringLeavesTheIdForItsFirstUseWhichFillsItOnceForAllThreads) {
    QVI_GatherDeviceInfo();
    EXPECT_EQ(1, g_deviceInfo.platform);
    EXPECT_EQ(2, g_deviceInfo.screen_size);
    EXPECT_STREQ("PC", g_deviceInfo.device_model);
    EXPECT_EQ(0, strncmp(g_deviceInfo.os, "Windows ", 8)) << g_deviceInfo.os;
    EXPECT_STREQ("", g_deviceInfo.unique_id) << "the network query waits for the first use";
    EXPECT_EQ(nullptr, GetModuleHandleA("netapi32.dll"));
    const std::string id = QVI_GetDeviceUniqueId();
    EXPECT_TRUE(IsMachineIdText(id)) << id;
    EXPECT_EQ(g_deviceInfo.unique_id, QVI_GetDeviceUniqueId());
    // Asked again, the id is answered as it is, never read again.
    strcpy(g_deviceInfo.unique_id, "kept");
    EXPECT_STREQ("kept", QVI_GetDeviceUniqueId());
    // A new gathering forgets it; the next use reads it again.
    QVI_GatherDeviceInfo();
    EXPECT_STREQ("", g_deviceInfo.unique_id);
    EXPECT_TRUE(IsMachineIdText(QVI_GetDeviceUniqueId())) << g_deviceInfo.unique_id;
    // Threads asking at once all get the one id.
    QVI_GatherDeviceInfo();
    const int kThreads = 8;
    std::vector<std::string> ids(kThreads);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back([&ids, i] { ids[i] = QVI_GetDeviceUniqueId(); });
    for (std::thread& thread : threads) thread.join();
    const std::string first = g_deviceInfo.unique_id;
    EXPECT_TRUE(IsMachineIdText(first)) << first;
    for (const std::string& each : ids) EXPECT_EQ(first, each);
}

}  // namespace
