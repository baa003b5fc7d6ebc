#pragma once

#include "core/engine_log.h"
#include "quaven/api.h"
#include "text/fonts/font_pool.h"

// The engine's overlays draw through the API table like a program does, so their drawing
// is batched and transformed with the program's; these spare them the by-address
// arguments of the members.
namespace overlay {

inline void Colour(float r, float g, float b)
{
    qv->graphics->SetColor(&r, &g, &b);
}

inline void Alpha(float a)
{
    qv->graphics->SetAlpha(&a);
}

inline void Rectangle(float x, float y, float width, float height)
{
    qv->graphics->DrawRectangle(&x, &y, &width, &height);
}

inline void Line(float x0, float y0, float x1, float y1)
{
    qv->graphics->DrawLine(&x0, &y0, &x1, &y1);
}

inline void TextScale(float x, float y)
{
    const float angle = 0.0f;
    qv->SetTextScale(&x, &y, &angle);
}

inline void TextAlignment(uint32_t alignment)
{
    qv->SetTextAlignment(&alignment);
}

inline void TextMaxWidth(float width)
{
    qv->SetTextMaxWidth(&width);
}

// The first record of the font pool, the overlays' font of last resort; null while it
// holds no font.
inline Font* FirstFont()
{
    Font* font = QVI_GetPooledFont(0);
    return font && font->header.name && font->glyphs ? font : nullptr;
}

}  // namespace overlay
