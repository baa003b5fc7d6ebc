// The Direct3D 11 renderer's back buffer as the device holds it, for every suite that draws
// with the real renderer.
#pragma once

#include "graphics/support/test_image.h"
#include "platform/windows/d3d11/rendimp_direct3d11.h"

namespace quaven_test {

// Through a staging texture; an empty image when it cannot be read.
TestImage ReadBackBuffer(RendImpDirect3D11& renderer);

}  // namespace quaven_test
