// The console overlay on the screen: its slide, the log lines with number, time and thread
// coloured by level, the input line with its cursor, the completion hint, the filter with
// its highlight and the scroll bar.
#include "console/console.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "console/console_internal.h"
#include "core/core_state.h"
#include "core/engine_log.h"
#include "core/cstring_utils.h"
#include "core/locks.h"
#include "graphics/setup/renderer_setup.h"
#include "text/fonts/font_pool.h"

namespace {

const int kLineHeightWithoutFont = 16;
const float kSlidePerSecond = 4.0f;
const float kHalfPi = 1.57079632679f;
// The highlighted copy of a line is built in a buffer of this size: the marks stop at the
// first that would not fit, and a line that does not fit at all is drawn plain.
const int kHighlightBytes = 512;
const char* const kHighlightColour = "|#1199ff|";
const char* const kPlainColour = "|#ffffff|";
const int kLeftMargin = 10;
const int kNumberX = 10;
const int kTimeX = 60;
const int kThreadX = 110;
const float kLineTagScale = 0.9f;
const int kScrollBarWidth = 8;
const int kScrollBarGrip = 58;

void Colour(float r, float g, float b)
{
    qv->graphics->SetColor(&r, &g, &b);
}

void Alpha(float alpha)
{
    qv->graphics->SetAlpha(&alpha);
}

void Rectangle(float x, float y, float width, float height)
{
    qv->graphics->DrawRectangle(&x, &y, &width, &height);
}

void TextScale(float x, float y)
{
    const float angle = 0.0f;
    qv->SetTextScale(&x, &y, &angle);
}

void TextMaxWidth(float width)
{
    qv->SetTextMaxWidth(&width);
}

float Text(Font* font, float x, float y, const char* text)
{
    return qv->DrawText(font, &x, &y, "%s", text);
}

// The level's colour: INFO white, WARNING yellow, ERROR red, SYSTEM green.
void LevelColour(int level)
{
    switch (level) {
    case QV_LOG_WARNING: Colour(1, 1, 0); break;
    case QV_LOG_ERROR: Colour(1, 0, 0); break;
    case QV_LOG_SYSTEM: Colour(0, 1, 0); break;
    default: Colour(1, 1, 1); break;
    }
}

// "core/console.mft", asked for whether or not the file is there (a font shipped as its
// source is generated), else the first font of the pool. The engine has no font of its own
// beyond these: without one the console is drawn as rectangles only.
Font* ChooseFont(uint8_t* asked)
{
    if (!*asked && qv->GetFont) {
        *asked = 1;
        Font* font = qv->GetFont(kConsoleFontName);
        if (font && font->height > 0)
            return font;
    }
    Font* first = QVI_GetPooledFont(0);
    if (first && first->height > 0)
        return first;
    return nullptr;
}

// The line's text with the occurrences of the input (as typed) marked, from the first on as
// far as the buffer holds them; the text itself when it alone does not fit the buffer.
const char* HighlightedText(const char* text, const char* input, char* buffer)
{
    if (strlen(text) >= static_cast<size_t>(kHighlightBytes) || !strstr(text, input))
        return text;
    String marked = String(kHighlightColour) + input + kPlainColour;
    return QVI_ReplaceAll(text, input, marked.text, buffer, kHighlightBytes);
}

}  // namespace

int QVI_ConsoleHeight()
{
    return static_cast<int>(0.8f * static_cast<float>(g_rendererSetup.video.height));
}

int QVI_ConsoleLineSpacing(const Console& console)
{
    if (!console.font || console.font->height <= 0)
        return 0;
    return console.font->lineSpacing;
}

bool QVI_ConsoleShowsLine(const Console& console, const LogLine& line)
{
    return console.input[0] == '\0' || QVI_ConsoleContainsFolded(line.text, console.input);
}

void Console::Slide(float seconds)
{
    if (!QVI_IsLoggingStarted())
        return;
    if (!(seconds >= 0.0f))
        seconds = 0.0f;
    openFraction += (open ? kSlidePerSecond : -kSlidePerSecond) * seconds;
    if (openFraction < 0.0f)
        openFraction = 0.0f;
    if (openFraction > 1.0f)
        openFraction = 1.0f;
    blink += seconds;
    if (blink > 1.0f)
        blink -= 1.0f;
}

void Console::Draw()
{
    if (!QVI_IsLoggingStarted() || !(openFraction > 0.0f) || !qv->graphics)
        return;
    const float W = static_cast<float>(g_rendererSetup.video.width);
    const float H = static_cast<float>(g_rendererSetup.video.height);

    // Chosen once and kept; a console without a font looks again while it is shown, since
    // the program may load its first font later.
    if (!font)
        font = ChooseFont(&fontAsked);

    const float s = sinf(openFraction * kHalfPi);
    const uint32_t noAlignment = 0;
    qv->SetTextAlignment(&noAlignment);
    TextMaxWidth(0);
    TextScale(1, 1);
    Colour(1, 1, 1);

    const int lineHeight = font && font->height > 0 ? font->height : kLineHeightWithoutFont;
    const int lineSpacing = font && font->height > 0 ? font->lineSpacing : kLineHeightWithoutFont;
    const int consoleHeight = QVI_ConsoleHeight();
    const int visibleHeight = static_cast<int>(static_cast<float>(consoleHeight - lineHeight - 2) * s);

    QVI_LockMutexById(MUTEX_PRINT);
    QVI_LockConsole();
    drawing = 1;

    int matched = 0;
    for (int32_t i = 0; i < lines.count; ++i)
        matched += QVI_ConsoleShowsLine(*this, lines.data[i]) ? 1 : 0;
    const int linesPerPage = visibleHeight / lineHeight;
    int thumb = 0;
    if (matched > 0) {
        float share = static_cast<float>(linesPerPage) / static_cast<float>(matched);
        thumb = static_cast<int>(static_cast<float>(visibleHeight) * (share < 1.0f ? share : 1.0f));
    }

    // Dragging the scroll bar: the mouse's height on the bar picks the place in the log.
    if (qv->GetKey && visibleHeight > 0 && qv->GetKey(QV_KEY_MOUSE_BUTTON_LEFT) != 0 &&
        static_cast<int32_t>(qv->GetKey(QV_KEY_MOUSE_X)) >= W - kScrollBarGrip) {
        const float mouseY = static_cast<float>(static_cast<int32_t>(qv->GetKey(QV_KEY_MOUSE_Y)));
        scroll = static_cast<int>((1.0f - mouseY / static_cast<float>(visibleHeight)) * static_cast<float>(matched));
    }
    if (scroll > matched - linesPerPage)
        scroll = matched - linesPerPage;
    if (scroll < 0)
        scroll = 0;

    qv->graphics->SetBlendMode(1);
    Alpha(0.6f * s);
    Colour(0.2f, 0.3f, 0.5f);
    Rectangle(0, 0, W, static_cast<float>(consoleHeight) * s);
    if (!QVI_IsEmptyText(hint.text)) {
        // The rest of the screen darkens under the hint.
        Alpha(0.6f * s);
        Colour(0, 0, 0);
        Rectangle(0, static_cast<float>(consoleHeight) * s, W, H);
    }

    Colour(0.2f, 0.3f, 0.5f);
    Alpha(0.9f * s);
    Rectangle(W - kScrollBarWidth, 0, kScrollBarWidth, static_cast<float>(visibleHeight));
    Alpha(s);
    Colour(1, 1, 1);
    Rectangle(0, static_cast<float>(consoleHeight) * s, W, 2);
    Rectangle(W - kScrollBarWidth, 0, 1, static_cast<float>(visibleHeight));
    Colour(0.5f, 0.6f, 0.9f);
    if (matched > 0) {
        const float thumbTop = static_cast<float>(visibleHeight - thumb) -
                               static_cast<float>(scroll) * static_cast<float>(visibleHeight) / static_cast<float>(matched) - 1.0f;
        Rectangle(W - kScrollBarWidth + 1, thumbTop, kScrollBarWidth - 1, static_cast<float>(thumb + 1));
    }
    Colour(1, 1, 1);

    if (font && font->header.name) {
        const int y0 = static_cast<int>(static_cast<float>(consoleHeight) * s) - lineSpacing;
        Alpha(s);
        Text(font, kLeftMargin, static_cast<float>(y0 + 1), input);

        if (!QVI_IsEmptyText(hint.text)) {
            Alpha(0.95f * s);
            TextMaxWidth(W - 2 * kLeftMargin);
            Text(font, kLeftMargin, static_cast<float>(y0 + lineSpacing + 9), hint.text);
            Alpha(s);
            TextMaxWidth(0);
            TextScale(1, 1);
        }

        const int length = static_cast<int>(strlen(input));
        const int shown = cursor < 0 ? 0 : (cursor > length ? length : cursor);
        const float cursorX = static_cast<float>(static_cast<int>(qv->GetTextWidth(font, "%.*s", shown, input) + kLeftMargin));
        Colour(1, 1, 1);
        Alpha((1.0f - blink) * s);
        Rectangle(cursorX, static_cast<float>(y0), 2, static_cast<float>(lineHeight - 3));

        Alpha(0.75f * s);
        Colour(1, 1, 1);
        Rectangle(0, static_cast<float>(y0 - 2), W, 1);
        Alpha(s);

        const bool filtering = input[0] != '\0';
        char highlighted[kHighlightBytes];
        int y = y0 - 2 - lineSpacing;
        for (int32_t i = lines.count - scroll - 1; i >= 0; --i) {
            const LogLine& line = lines.data[i];
            if (filtering && !QVI_ConsoleContainsFolded(line.text, input))
                continue;
            LevelColour(line.level);
            TextScale(kLineTagScale, kLineTagScale);
            char tag[32];
            snprintf(tag, sizeof tag, "#%.4d: ", line.number);
            Text(font, kNumberX, static_cast<float>(y + 2), tag);
            snprintf(tag, sizeof tag, "[%.2d:%.2d]", line.time.hour, line.time.minute);
            Text(font, kTimeX, static_cast<float>(y + 2), tag);
            String thread = String::FromFormat("[%s]>", line.threadName ? line.threadName : "");
            const float threadWidth = Text(font, kThreadX, static_cast<float>(y + 2), thread.text);
            TextScale(1, 1);
            const float x = static_cast<float>(static_cast<int>(static_cast<float>(static_cast<int>(threadWidth)) * kLineTagScale + kThreadX));
            Text(font, x + kLeftMargin, static_cast<float>(y), filtering ? HighlightedText(line.text, input, highlighted) : line.text);
            y -= lineSpacing;
            if (y < 0)
                break;
        }
    }

    drawing = 0;
    QVI_UnlockConsole();
    QVI_UnlockMutexById(MUTEX_PRINT);
}

void QVI_DrawConsole(float seconds)
{
    g_console.Slide(seconds);
    g_console.Draw();
}
