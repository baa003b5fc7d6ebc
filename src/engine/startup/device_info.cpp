#include "platform/windows/win32.h"
#include <nb30.h>

#include "engine/startup/device_info.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/engine_log.h"
#include "quaven/types.h"

DeviceInfo g_deviceInfo;

namespace {

// Guards unique_id and whether it has been filled since the last gathering.
SRWLOCK g_uniqueIdLock = SRWLOCK_INIT;
bool g_uniqueIdFilled = false;

const int kPlatformWindows = 1;
const int kScreenSizeLarge = 2;
const int kDisplayDevicesAsked = 5;
// Descriptions this long or longer do not fit the device record.
const size_t kMaxGpuDescription = 127;
// A machine id shorter than this is no id.
const size_t kMinimumUniqueIdLength = 3;

using NetbiosFunction = UCHAR(APIENTRY*)(PNCB);

// The adapter-status answer: the status block and room for the names the adapter lists.
struct AdapterStatusAnswer {
    ADAPTER_STATUS status;
    NAME_BUFFER names[30];
};

bool RunNetbios(NetbiosFunction netbios, NCB* block)
{
    return netbios(block) == NRC_GOODRET;
}

// The first network adapter that answers names the machine: its number and its six address
// bytes. Netbios lives in netapi32, which only this step uses: it is loaded for the query.
// Loading it pulls in the network stack (ws2_32, iphlpapi, dnsapi, nsi), which is why the
// query waits until the id is first asked for.
void ReadAdapterAddress(char* out, size_t size)
{
    HMODULE library = LoadLibraryA("netapi32.dll");
    if (!library)
        return;
    auto netbios = reinterpret_cast<NetbiosFunction>(reinterpret_cast<void*>(GetProcAddress(library, "Netbios")));
    LANA_ENUM adapters = {};
    NCB block = {};
    block.ncb_command = NCBENUM;
    block.ncb_buffer = reinterpret_cast<PUCHAR>(&adapters);
    block.ncb_length = sizeof adapters;
    if (netbios && RunNetbios(netbios, &block)) {
        for (int i = 0; i < adapters.length && i < MAX_LANA; ++i) {
            const UCHAR number = adapters.lana[i];
            memset(&block, 0, sizeof block);
            block.ncb_command = NCBRESET;
            block.ncb_lana_num = number;
            RunNetbios(netbios, &block);

            AdapterStatusAnswer answer = {};
            memset(&block, 0, sizeof block);
            block.ncb_command = NCBASTAT;
            block.ncb_lana_num = number;
            memcpy(block.ncb_callname, "*               ", NCBNAMSZ);
            block.ncb_buffer = reinterpret_cast<PUCHAR>(&answer);
            block.ncb_length = sizeof answer;
            if (!RunNetbios(netbios, &block))
                continue;
            const UCHAR* address = answer.status.adapter_address;
            snprintf(out, size, "%02x%02x%02x%02x%02x%02x%02x\n", number, address[0], address[1], address[2],
                     address[3], address[4], address[5]);
            break;
        }
    }
    FreeLibrary(library);
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
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version))
        return;
    snprintf(out, size, "Windows %u.%u.%u", static_cast<unsigned>(version.dwMajorVersion),
             static_cast<unsigned>(version.dwMinorVersion), static_cast<unsigned>(version.dwBuildNumber));
}

void ReadDisplayDevices(char* gpu, size_t size)
{
    for (int i = 0; i < kDisplayDevicesAsked; ++i) {
        DISPLAY_DEVICEA device = {};
        device.cb = sizeof device;
        if (!EnumDisplayDevicesA(nullptr, static_cast<DWORD>(i), &device, 0))
            return;
        // The description is a fixed array: never read past it.
        device.DeviceString[sizeof device.DeviceString - 1] = '\0';
        const size_t length = strlen(device.DeviceString);
        if (!gpu[0] && length < kMaxGpuDescription && length < size)
            memcpy(gpu, device.DeviceString, length + 1);
        if (qv->LogEx)
            qv->LogEx(QV_LOG_SYSTEM, "Display Device #%d: '%s'\n", i, device.DeviceString);
    }
}

}  // namespace

void QVI_GatherDeviceInfo()
{
    AcquireSRWLockExclusive(&g_uniqueIdLock);
    memset(&g_deviceInfo, 0, sizeof g_deviceInfo);
    g_uniqueIdFilled = false;
    ReleaseSRWLockExclusive(&g_uniqueIdLock);
    g_deviceInfo.screen_size = kScreenSizeLarge;
    snprintf(g_deviceInfo.device_model, sizeof g_deviceInfo.device_model, "PC");
    ReadOsVersion(g_deviceInfo.os, sizeof g_deviceInfo.os);
    g_deviceInfo.platform = kPlatformWindows;
    ReadDisplayDevices(g_deviceInfo.gpu_desc, sizeof g_deviceInfo.gpu_desc);
}

const char* QVI_GetDeviceUniqueId()
{
    AcquireSRWLockExclusive(&g_uniqueIdLock);
    if (!g_uniqueIdFilled) {
        FillUniqueId(g_deviceInfo.unique_id, sizeof g_deviceInfo.unique_id);
        g_uniqueIdFilled = true;
    }
    ReleaseSRWLockExclusive(&g_uniqueIdLock);
    return g_deviceInfo.unique_id;
}
