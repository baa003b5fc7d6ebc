/*
 * The demo game's text: its name and its frame rate, drawn every frame with a font that the
 * engine generates from a TrueType file.
 *
 * GetFont("fonts/demo.mft") finds no such file on the first run, so the engine builds the font
 * from its source fonts/demo.mft.xml (DejaVuSans.ttf at 22 pixels, see that file) and writes
 * fonts/demo.mft, which later runs read. GetFont counts its one reference however often it is
 * called, and the font stays the engine's for the whole run: the demo never releases it.
 */
#include "demo_game.h"

#define FONT_NAME "fonts/demo.mft"
#define TEXT_LEFT 40.0f
#define NAME_TOP 8.0f
#define RATE_LEFT 466.0f
#define RATE_TOP 550.0f

/* A game sees a font only through the members: one that measures no height has no glyphs. */
void Demo_LoadFont(QuavenAPI* qv) {
    uint32_t startMs = qv->GetMilliseconds();
    float width, height;
    g_demo.font = qv->GetFont(FONT_NAME);
    if (!g_demo.font) {
        qv->LogEx(QV_LOG_WARNING, "Demo: the font %s did not load; the demo draws no text.", FONT_NAME);
        return;
    }
    qv->MeasureText(g_demo.font, &width, &height, "%s", g_demo.record->title);
    if (width <= 0.0f || height <= 0.0f) {
        qv->LogEx(QV_LOG_WARNING, "Demo: the font %s has no glyphs; the demo draws no text.", FONT_NAME);
        g_demo.font = NULL;
        return;
    }
    qv->Log("Demo: font %s ready in %u ms; the name measures %.0f x %.0f pixels.", FONT_NAME,
            (unsigned)(qv->GetMilliseconds() - startMs), (double)width, (double)height);
}

void Demo_DrawText(QuavenAPI* qv) {
    const QuavenGraphicsAPI* g = qv->graphics;
    float white = 1.0f, x, y;
    if (!g_demo.font) return;
    g->SetColor(&white, &white, &white);
    g->SetAlpha(&white);
    x = TEXT_LEFT, y = NAME_TOP;
    qv->DrawText(g_demo.font, &x, &y, "%s", g_demo.record->title);
    x = RATE_LEFT, y = RATE_TOP;
    if (g_demo.framesPerSecond > 0.0f)
        qv->DrawText(g_demo.font, &x, &y, "%.1f frames per second", (double)g_demo.framesPerSecond);
    else
        qv->DrawText(g_demo.font, &x, &y, "counting frames...");
}
