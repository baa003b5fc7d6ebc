#pragma once

// Attaches the Direct3D 11 renderer that the executable exports ("Using static RendImp.") and
// fills the API table again, so that the members that depend on the renderer match it. True
// when a renderer is attached (also when one already was).
bool QVI_AttachStaticRenderer();
