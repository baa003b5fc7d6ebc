#include "engine/startup/device_info.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "core/engine_log.h"
#include "platform/system.h"
#include "quaven/types.h"

DeviceInfo g_deviceInfo;

namespace {

// Guards unique_id and whether it has been filled since the last gathering.
std::mutex g_uniqueIdLock;
bool g_uniqueIdFilled = false;

const int kPlatformWindows = 1;
const int kScreenSizeLarge = 2;
const int kDisplayDevicesAsked = 5;
// Descriptions this long or longer do not fit the device record.
const size_t kMaxGpuDescription = 127;
// A machine id shorter than this is no id.
const size_t kMinimumUniqueIdLength = 3;

// The first network adapter that answers names the machine: its number and its six address
// bytes. The query waits until the id is first asked for, as it loads the network stack.
void ReadAdapterAddress(char* out, size_t size)
{
    uint8_t number = 0;
    uint8_t address[6] = {};
    if (!QVI_OsFirstNetworkAdapterAddress(&number, address))
        return;
    snprintf(out, size, "%02x%02x%02x%02x%02x%02x%02x\n", number, address[0], address[1], address[2], address[3],
             address[4], address[5]);
}

void FillUniqueId(char* out, size_t size)
{
    ReadAdapterAddress(out, size);
    if (strlen(out) < kMinimumUniqueIdLength) {
        const unsigned now = qv->GetCalendarTime ? qv->GetCalendarTime() : 0;
        snprintf(out, size, "TIME%xx%x", now, static_cast<unsigned>(rand()));
    }
}

void ReadOsVersion(char* out, size_t size)
{
    uint32_t major = 0, minor = 0, build = 0;
    if (!QVI_OsVersion(&major, &minor, &build))
        return;
    snprintf(out, size, "Windows %u.%u.%u", static_cast<unsigned>(major), static_cast<unsigned>(minor),
             static_cast<unsigned>(build));
}

void ReadDisplayDevices(char* gpu, size_t size)
{
    for (int i = 0; i < kDisplayDevicesAsked; ++i) {
        char name[kOsDisplayAdapterNameBytes];
        if (!QVI_OsDisplayAdapterName(static_cast<uint32_t>(i), name, sizeof name))
            return;
        const size_t length = strlen(name);
        if (!gpu[0] && length < kMaxGpuDescription && length < size)
            memcpy(gpu, name, length + 1);
        if (qv->LogEx)
            qv->LogEx(QV_LOG_SYSTEM, "Display Device #%d: '%s'\n", i, name);
    }
}

}  // namespace

void QVI_GatherDeviceInfo()
{
    g_uniqueIdLock.lock();
    memset(&g_deviceInfo, 0, sizeof g_deviceInfo);
    g_uniqueIdFilled = false;
    g_uniqueIdLock.unlock();
    g_deviceInfo.screen_size = kScreenSizeLarge;
    snprintf(g_deviceInfo.device_model, sizeof g_deviceInfo.device_model, "PC");
    ReadOsVersion(g_deviceInfo.os, sizeof g_deviceInfo.os);
    g_deviceInfo.platform = kPlatformWindows;
    ReadDisplayDevices(g_deviceInfo.gpu_desc, sizeof g_deviceInfo.gpu_desc);
}

const char* QVI_GetDeviceUniqueId()
{
    g_uniqueIdLock.lock();
    if (!g_uniqueIdFilled) {
        FillUniqueId(g_deviceInfo.unique_id, sizeof g_deviceInfo.unique_id);
        g_uniqueIdFilled = true;
    }
    g_uniqueIdLock.unlock();
    return g_deviceInfo.unique_id;
}
