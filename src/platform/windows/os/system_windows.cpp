// platform/system.h on Win32: libraries through LoadLibrary, the single instance through a
// named mutex and the top-level windows, the machine through the version, display and
// NetBIOS queries.
#include "platform/system.h"

#include "platform/windows/win32.h"
#include <nb30.h>

#include <cstring>

// A loaded library is its module handle, a named mutex its handle: the opaque types are
// never defined, only converted.
namespace {

HMODULE ModuleOf(OsLibrary* library)
{
    return reinterpret_cast<HMODULE>(library);
}

}  // namespace

// ---- Libraries loaded at run time ------------------------------------------------------

OsLibrary* QVI_OsLoadLibrary(const char* name, uint32_t* error)
{
    HMODULE module = LoadLibraryA(name);
    if (!module && error)
        *error = GetLastError();
    return reinterpret_cast<OsLibrary*>(module);
}

void* QVI_OsFindLibrarySymbol(OsLibrary* library, const char* name)
{
    return reinterpret_cast<void*>(GetProcAddress(ModuleOf(library), name));
}

void QVI_OsFreeLibrary(OsLibrary* library)
{
    if (library)
        FreeLibrary(ModuleOf(library));
}

// ---- The process --------------------------------------------------------------------------

void QVI_OsEndProcess(int exitCode)
{
    ExitProcess(static_cast<UINT>(exitCode));
}

// ---- One running instance -----------------------------------------------------------------

namespace {

// Window titles are read up to this many bytes.
const int kTitleBytes = 512;

struct WindowSearch {
    OsWindowTitleMatch matches;
    void* context;
    bool found;
};

BOOL CALLBACK RaiseMatchingWindow(HWND window, LPARAM parameter)
{
    WindowSearch* search = reinterpret_cast<WindowSearch*>(parameter);
    char title[kTitleBytes] = {};
    GetWindowTextA(window, title, sizeof title);
    if (!search->matches(title, search->context))
        return TRUE;
    SetForegroundWindow(window);
    ShowWindow(window, SW_RESTORE);
    search->found = true;
    return FALSE;
}

}  // namespace

bool QVI_OsNamedMutexExists(const char* name)
{
    HANDLE existing = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, name);
    if (!existing)
        return false;
    CloseHandle(existing);
    return true;
}

OsNamedMutex* QVI_OsCreateNamedMutex(const char* name)
{
    return reinterpret_cast<OsNamedMutex*>(CreateMutexA(nullptr, FALSE, name));
}

bool QVI_OsRaiseTopLevelWindow(OsWindowTitleMatch matches, void* context)
{
    WindowSearch search = {matches, context, false};
    EnumWindows(RaiseMatchingWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// ---- The machine --------------------------------------------------------------------------

bool QVI_OsVersion(uint32_t* major, uint32_t* minor, uint32_t* build)
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version))
        return false;
    *major = version.dwMajorVersion;
    *minor = version.dwMinorVersion;
    *build = version.dwBuildNumber;
    return true;
}

bool QVI_OsDisplayAdapterName(uint32_t index, char* name, size_t size)
{
    DISPLAY_DEVICEA device = {};
    device.cb = sizeof device;
    if (!EnumDisplayDevicesA(nullptr, static_cast<DWORD>(index), &device, 0))
        return false;
    static_assert(sizeof device.DeviceString <= kOsDisplayAdapterNameBytes,
                  "every description fits the size the seam promises");
    // The description is a fixed array: never read past it.
    device.DeviceString[sizeof device.DeviceString - 1] = '\0';
    if (size == 0)
        return true;
    size_t length = strlen(device.DeviceString);
    if (length > size - 1)
        length = size - 1;
    memcpy(name, device.DeviceString, length);
    name[length] = '\0';
    return true;
}

namespace {

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

// Each adapter the enumeration lists is reset and then asked for its status; the first
// that answers gives its address.
bool AskAdapters(NetbiosFunction netbios, uint8_t* adapterNumber, uint8_t address[6])
{
    LANA_ENUM adapters = {};
    NCB block = {};
    block.ncb_command = NCBENUM;
    block.ncb_buffer = reinterpret_cast<PUCHAR>(&adapters);
    block.ncb_length = sizeof adapters;
    if (!RunNetbios(netbios, &block))
        return false;
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
        *adapterNumber = number;
        memcpy(address, answer.status.adapter_address, 6);
        return true;
    }
    return false;
}

}  // namespace

bool QVI_OsFirstNetworkAdapterAddress(uint8_t* adapterNumber, uint8_t address[6])
{
    // Netbios lives in netapi32, which nothing else uses: it is loaded for the query only.
    HMODULE library = LoadLibraryA("netapi32.dll");
    if (!library)
        return false;
    auto netbios = reinterpret_cast<NetbiosFunction>(reinterpret_cast<void*>(GetProcAddress(library, "Netbios")));
    const bool found = netbios && AskAdapters(netbios, adapterNumber, address);
    FreeLibrary(library);
    return found;
}
