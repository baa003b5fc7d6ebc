// The display modes of the primary output, added to the base part's list.
#include "platform/windows/d3d11/rendimp_direct3d11.h"

#include <new>

namespace {

const DXGI_FORMAT kDisplayFormat = DXGI_FORMAT_B8G8R8A8_UNORM;

bool Contains(const Array<DisplayMode>& modes, const DisplayMode& mode)
{
    for (int i = 0; i < modes.count; ++i) {
        if (modes.data[i] == mode)
            return true;
    }
    return false;
}

}  // namespace

// The list is not emptied: it keeps the pairs of every call, each once, in the order they
// were first seen (the base operations empty it before asking).
void RendImpDirect3D11::EnumerateDisplayModes()
{
    if (!OpenPrimaryOutput())
        return;
    UINT count = 0;
    if (FAILED(output->GetDisplayModeList(kDisplayFormat, DXGI_ENUM_MODES_INTERLACED, &count, nullptr)) || count == 0)
        return;
    DXGI_MODE_DESC* modes = new (std::nothrow) DXGI_MODE_DESC[count];
    if (!modes)
        return;
    // The list may shrink between the two calls (a display unplugged); the count is then
    // updated to what was written.
    if (SUCCEEDED(output->GetDisplayModeList(kDisplayFormat, DXGI_ENUM_MODES_INTERLACED, &count, modes))) {
        for (UINT i = 0; i < count; ++i) {
            if (modes[i].Format != kDisplayFormat)
                continue;
            const DisplayMode mode = {static_cast<int32_t>(modes[i].Width), static_cast<int32_t>(modes[i].Height)};
            if (!Contains(displayModes, mode))
                displayModes.Add(mode);
        }
    }
    delete[] modes;
}
