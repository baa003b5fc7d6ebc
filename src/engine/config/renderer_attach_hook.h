#pragma once

// Reading the chosen variant attaches the renderer interface right after the key
// "renderer_implementation", before the keys that follow it. The renderer set-up installs
// its attach function here (answering whether a renderer is attached); while none is
// installed that step attaches nothing and start-up attaches the renderer later itself.
using RendererAttachFunction = bool (*)();
void QVI_SetRendererAttachFunction(RendererAttachFunction attach);

// Calls the installed function, if any.
void QVI_AttachRendererForConfiguration();
