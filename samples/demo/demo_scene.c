/*
 * The demo game's picture: what Render draws each frame.
 *
 * Two bitmaps are made in code: a 64 x 64 bitmap whose pixels the game writes itself (a ring
 * with a soft edge), and a 160 x 120 render target; one comes from the demo's resource folder,
 * a star loaded from sprites/star.png. Each frame the target is cleared and a small moving
 * scene is drawn into it; then the back buffer gets coloured rectangles, a fan of lines, the
 * ring turning about its centre, a row of stars, and the render target drawn as a bitmap
 * inside a frame.
 */
#include "demo_game.h"

#include <math.h>
#include <string.h>

#define SPRITE_SIZE 64
#define TARGET_WIDTH 160
#define TARGET_HEIGHT 120

static void SetColour(const QuavenGraphicsAPI* g, float r, float gr, float b, float a) {
    g->SetColor(&r, &gr, &b);
    g->SetAlpha(&a);
}

static void Rectangle(const QuavenGraphicsAPI* g, float x, float y, float width, float height) {
    g->DrawRectangle(&x, &y, &width, &height);
}

static void Line(const QuavenGraphicsAPI* g, float x0, float y0, float x1, float y1) {
    g->DrawLine(&x0, &y0, &x1, &y1);
}

/* A ring, orange to yellow from the inside out, transparent outside and in the middle,
   its edges softened over one pixel. The pixels are R, G, B, A bytes. */
static void FillSprite(Bitmap* sprite) {
    const float centre = (SPRITE_SIZE - 1) / 2.0f;
    int x, y;
    for (y = 0; y < SPRITE_SIZE; ++y) {
        for (x = 0; x < SPRITE_SIZE; ++x) {
            uint8_t* pixel = sprite->pixels + (y * SPRITE_SIZE + x) * 4;
            float distance = sqrtf((x - centre) * (x - centre) + (y - centre) * (y - centre));
            float outer = 31.0f - distance, inner = distance - 14.0f;
            float coverage = outer < inner ? outer : inner;
            float along = (distance - 14.0f) / 17.0f;
            coverage = coverage < 0.0f ? 0.0f : coverage > 1.0f ? 1.0f : coverage;
            pixel[0] = 255;
            pixel[1] = (uint8_t)(96 + 159 * (along < 0.0f ? 0.0f : along > 1.0f ? 1.0f : along));
            pixel[2] = (uint8_t)(x * 2);
            pixel[3] = (uint8_t)(255 * coverage);
        }
    }
}

static Bitmap* MakeBitmap(const QuavenGraphicsAPI* g, const char* name, int width, int height, bool renderTarget) {
    BitmapDescription description;
    memset(&description, 0, sizeof description);
    description.format = QV_TEXTURE_FORMAT_RGBA8;
    description.textureType = QV_TEXTURE_TYPE_2D;
    description.mipLevels = 1;
    description.width = width;
    description.height = height;
    description.depth = 1;
    description.renderTarget = renderTarget ? 1 : 0;
    return g->CreateBitmap(name, &description);
}

bool Demo_CreateScene(QuavenAPI* qv) {
    const QuavenGraphicsAPI* g = qv->graphics;
    g_demo.sprite = MakeBitmap(g, "demo/ring", SPRITE_SIZE, SPRITE_SIZE, false);
    g_demo.target = MakeBitmap(g, "demo/target", TARGET_WIDTH, TARGET_HEIGHT, true);
    if (!g_demo.sprite || !g_demo.sprite->pixels || !g_demo.target) {
        qv->LogEx(QV_LOG_ERROR, "Demo: could not create its bitmaps; it draws nothing.");
        return false;
    }
    FillSprite(g_demo.sprite);
    g->RefreshBitmap(g_demo.sprite);
    g_demo.star = g->GetBitmap("sprites/star.png");
    if (!g_demo.star || !g_demo.star->hardware.loaded)
        qv->LogEx(QV_LOG_WARNING, "Demo: sprites/star.png did not load; the row of stars stays empty.");
    qv->Log("Demo: made a %dx%d bitmap in code and a %dx%d render target.", SPRITE_SIZE, SPRITE_SIZE,
            TARGET_WIDTH, TARGET_HEIGHT);
    return true;
}

void Demo_ReleaseScene(QuavenAPI* qv) {
    if (g_demo.sprite) qv->graphics->ReleaseBitmap(g_demo.sprite);
    if (g_demo.target) qv->graphics->ReleaseBitmap(g_demo.target);
    /* The star came from GetBitmap, whose one reference the engine keeps. */
    g_demo.sprite = g_demo.target = g_demo.star = NULL;
}

/* Into the render target: a dark green field, a white square sliding to and fro under a
   diagonal cross, and the ring at half size. */
static void DrawIntoTarget(const QuavenGraphicsAPI* g, float t) {
    float slide = 20.0f + 80.0f * (0.5f + 0.5f * sinf(t * 2.0f));
    float x = 120.0f, y = 60.0f, angle = -t, scale = 0.5f;
    g->PushRenderTarget(g_demo.target);
    g->ClearColorAlpha(0.05f, 0.25f, 0.12f, 1.0f);
    SetColour(g, 1.0f, 1.0f, 1.0f, 1.0f);
    Rectangle(g, slide, 40.0f, 40.0f, 40.0f);
    SetColour(g, 1.0f, 0.3f, 0.3f, 1.0f);
    Line(g, 0.0f, 0.0f, TARGET_WIDTH, TARGET_HEIGHT);
    Line(g, TARGET_WIDTH, 0.0f, 0.0f, TARGET_HEIGHT);
    SetColour(g, 1.0f, 1.0f, 1.0f, 1.0f);
    g->DrawBitmapRotated(g_demo.sprite, &x, &y, &angle, &scale);
    g->PopRenderTarget();
}

void Demo_DrawScene(QuavenAPI* qv, float seconds) {
    static const float bars[4][3] = {{0.90f, 0.20f, 0.20f}, {0.20f, 0.75f, 0.30f}, {0.20f, 0.40f, 0.95f},
                                     {0.95f, 0.85f, 0.20f}};
    const QuavenGraphicsAPI* g = qv->graphics;
    float t = seconds, x, y, angle, scale;
    int i;
    if (!g_demo.sprite || !g_demo.target) return;
    DrawIntoTarget(g, t);

    g->ClearColor(0.08f, 0.09f, 0.16f);
    for (i = 0; i < 4; ++i) {
        SetColour(g, bars[i][0], bars[i][1], bars[i][2], 1.0f);
        Rectangle(g, 40.0f + 90.0f * i, 40.0f, 70.0f, 150.0f - 25.0f * i);
    }
    SetColour(g, 1.0f, 1.0f, 1.0f, 0.5f);
    Rectangle(g, 20.0f, 120.0f, 380.0f, 30.0f);

    SetColour(g, 0.6f, 0.9f, 1.0f, 1.0f);
    for (i = 0; i <= 12; ++i) Line(g, 40.0f, 560.0f, 40.0f + 30.0f * i, 260.0f);

    SetColour(g, 1.0f, 1.0f, 1.0f, 1.0f);
    Demo_GetSpriteOffset(&x, &y);
    x += 590.0f, y += 150.0f, angle = t, scale = 2.0f;
    g->DrawBitmapRotated(g_demo.sprite, &x, &y, &angle, &scale);

    if (g_demo.star) {
        for (i = 0; i < 4; ++i) {
            x = 90.0f + 90.0f * i, y = 450.0f + 12.0f * sinf(t * 3.0f + i), angle = 0.3f * i, scale = 1.0f;
            g->DrawBitmapRotated(g_demo.star, &x, &y, &angle, &scale);
        }
    }

    SetColour(g, 0.85f, 0.85f, 0.85f, 1.0f);
    Rectangle(g, 466.0f, 346.0f, TARGET_WIDTH * 1.5f + 8.0f, TARGET_HEIGHT * 1.5f + 8.0f);
    SetColour(g, 1.0f, 1.0f, 1.0f, 1.0f);
    x = 470.0f + TARGET_WIDTH * 0.75f, y = 350.0f + TARGET_HEIGHT * 0.75f, angle = 0.0f, scale = 1.5f;
    g->DrawBitmapRotated(g_demo.target, &x, &y, &angle, &scale);
}
