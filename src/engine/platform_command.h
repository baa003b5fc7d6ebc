#pragma once

#include <cstdint>

// The string-command dispatcher: PlatformCommand tries its handlers in a fixed order and
// answers the first answer; a command nobody handles answers null.
//
// Answers that are not literals or engine data live in buffers of the calling thread:
// an answer stays valid until the same command runs again on that thread, so one
// thread's call never frees or overwrites another thread's answer.

// API member (slot 30). Any thread; the resource commands and the dialogs belong on the
// main thread.
const char* QV_PlatformCommand(const char* command, const char* argument);

// Pre-initialisation, with the API table: gives the Windows layer's commands the file
// system's path conversions and the ugc:// root.
void QVI_InstallPlatformCommandServices();

// ---- What the dispatcher asks of the online services, the extension modules and the input
// implementations. The engine installs their functions once they exist; until then a null
// member means no such implementation is in use, and its commands go on down the chain.
struct PlatformCommandServices {
    // Whether the implementation of that kind is in use; *available receives its
    // IsAvailable answer.
    bool (*inAppPurchase)(bool* available);
    bool (*achievements)(bool* available);
    bool (*leaderboards)(bool* available);
    // The InAppPurchase implementation's operations (slots 6 to 9).
    void (*requestItemData)(const char* argument);
    void (*purchaseItem)(const char* argument);
    void (*restorePurchases)();
    bool (*showPurchaseProgress)();
    // The notification service and the extension modules' Command, in list order.
    const char* (*extensionCommand)(const char* command, const char* argument);
    // Command (with a null argument) of each input implementation in list order: the first
    // answer that is not null.
    const char* (*inputCommand)(const char* command);
};

void QVI_SetPlatformCommandServices(const PlatformCommandServices& services);

// "Hacks" "AllowAllResolutions": display re-initialisation then takes a windowed request as
// it is, without asking whether the size fits.
bool QVI_IsAllowAllResolutionsSet();
void QVI_SetAllowAllResolutions(bool allow);

// ---- The resource commands (platform_command_resources.cpp) ----------------------------

// "Cache" "ReloadResources": reloads every counted bitmap and font whose file changed (in
// developer mode with a known time stamp) or every one (otherwise).
void QVI_ReloadChangedResources();
// "RefreshMemUsageEstimates": the byte estimates written into key codes 2000 to 2005.
void QVI_RefreshMemoryUsageEstimates();
// "ListResourceUsage": the resource listing and the largest entries, through the log.
void QVI_ListResourceUsage();

// Key codes of the memory estimates.
const uint32_t kMemoryEstimateTotalKey = 2000;
const uint32_t kMemoryEstimateSystemKey = 2001;
const uint32_t kMemoryEstimateGpuKey = 2002;
const uint32_t kMemoryEstimateImageKey = 2003;
const uint32_t kMemoryEstimateSoundKey = 2004;
const uint32_t kMemoryEstimateVertexKey = 2005;
