#pragma once

// Releases a COM reference and forgets it; a null pointer is left alone, so teardown
// code can run over a partly built renderer.
template <typename T>
inline void ReleaseAndNull(T*& object)
{
    if (!object)
        return;
    object->Release();
    object = nullptr;
}
