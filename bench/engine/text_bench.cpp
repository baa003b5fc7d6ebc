// The engine side of the text benchmark: a 2,000-character paragraph drawn as a game draws it,
// through the DrawText member within a wrap width: formatted, laid out in lines and drawn
// glyph by glyph into the batch renderer's buffers, up to the vertices the renderer receives. The engine is brought up as start-up brings it up over the
// tests' renderer without a device, and the font is the one a game gets from GetFont, made
// from DejaVuSans.ttf (its ".mft" file is generated on the first run, before the clock).
//
//   text_bench.exe latin1|utf8 FILE DRAWS   the paragraph in FILE drawn DRAWS times
//
// Reports "bench work_ms" (all the draws), "bench quads" (the glyph quads that reached a draw),
// "bench characters" (of the paragraph, times DRAWS), "bench pieces" (DrawText calls per draw),
// "bench lines" (of one draw) and "bench vertex_digest" (FNV-1a of the vertex bytes of one draw,
// made before the clock starts, for comparing builds).
// Windows through the engine's one door, which takes back its DrawText macro, so that the
// member keeps its name here.
#include "platform/windows/win32.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench_engine.h"
#include "bench_fonts.h"
#include "bench_report.h"
#include "graphics/drawing/batch_renderer.h"
#include "graphics/graphics_frame.h"
#include "graphics/renderer/renderer_buffers.h"
#include "text/layout/text_layout.h"

namespace {

constexpr int kTextSize = 20;
constexpr float kWrapWidth = 600.0f;

class CountingRenderer : public BenchRenderer {
public:
    long long vertices = 0;
    bool digesting = false;
    uint64_t digest = 1469598103934665603ull;  // FNV-1a of every vertex byte drawn while digesting

    void DrawIndexedTriangles(RendererVertexBuffer* buffer, int vertexCount, RendererIndexBuffer*, int) override
    {
        vertices += vertexCount;
        if (!digesting || !buffer)
            return;
        const uint8_t* bytes = reinterpret_cast<HeapVertexBuffer*>(buffer)->storage;
        for (size_t i = 0; bytes && i < static_cast<size_t>(vertexCount) * sizeof(BatchVertex); ++i)
            digest = (digest ^ bytes[i]) * 1099511628211ull;
    }
};

CountingRenderer g_renderer;

// The source of the font the game asks for by "fonts/text_<kind>.mft".
bool WriteSource(const char* kind)
{
    const std::string path = std::string(kFontFolder) + "/text_" + kind + ".mft.xml";
    FILE* out = fopen(path.c_str(), "wb");
    if (!out)
        return false;
    fprintf(out, "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root>\n  <array id=\"settings\">\n");
    fprintf(out, "    <node id=\"VERSION\" value=\"2\"/>\n");
    fprintf(out, "    <node id=\"INPUT\" ttf=\"%s\" size_px=\"%d\"%s/>\n", kFontFileName, kTextSize,
            strcmp(kind, "latin1") == 0 ? "" : " strings=\"!\" character_sets=\"polish cyrillic\"");
    fprintf(out, "  </array>\n</root>\n");
    return fclose(out) == 0;
}

std::string ReadFile(const char* path)
{
    std::string text;
    FILE* in = fopen(path, "rb");
    if (!in)
        return text;
    char block[4096];
    size_t got;
    while ((got = fread(block, 1, sizeof block, in)) > 0)
        text.append(block, got);
    fclose(in);
    return text;
}

long CountCharacters(const std::string& text, bool utf8)
{
    if (!utf8)
        return static_cast<long>(text.size());
    long characters = 0;
    for (unsigned char byte : text)
        characters += (byte & 0xC0) != 0x80;
    return characters;
}

// DrawText formats into a buffer of 2,048 bytes: the paragraph goes in pieces that fit, cut at
// blanks (a LATIN-1 paragraph of 2,000 bytes in one; UTF-8, with two bytes for most letters
// beyond ASCII, in two).
std::vector<std::string> SplitForDrawText(const std::string& text)
{
    std::vector<std::string> pieces;
    size_t start = 0;
    while (text.size() - start >= static_cast<size_t>(kTextFormatBuffer)) {
        size_t cut = text.rfind(' ', start + kTextFormatBuffer / 2);
        if (cut == std::string::npos || cut <= start)
            cut = start + kTextFormatBuffer / 2;
        pieces.push_back(text.substr(start, cut - start));
        start = cut + 1;
    }
    pieces.push_back(text.substr(start));
    return pieces;
}

int Usage()
{
    Bench_Report("error", "usage: text_bench.exe latin1|utf8 FILE DRAWS");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    const long draws = argc == 4 ? strtol(argv[3], nullptr, 10) : 0;
    if (draws <= 0 || !Bench_IsFontKind(argv[1]))
        return Usage();
    const char* kind = argv[1];
    const bool utf8 = strcmp(kind, "utf8") == 0;
    const std::string paragraph = ReadFile(argv[2]);
    if (paragraph.empty()) {
        Bench_Report("error", "cannot read '%s'", argv[2]);
        return 1;
    }
    if (!Bench_SetUpEngine(&g_renderer)) {
        Bench_Report("error", "the renderer did not come up");
        return 1;
    }
    QVI_ResetBatchForFrame(&g_renderer);
    if (!WriteSource(kind)) {
        Bench_Report("error", "cannot write the font source of %s", kind);
        return 1;
    }
    qv->fileSystem->AddSearchPath("res://inputs", true);
    const std::string fontName = std::string("fonts/text_") + kind + ".mft";
    Font* font = qv->GetFont(fontName.c_str());
    if (!font || font->glyphCount == 0 || font->height <= 0 || !font->atlas.hardware.loaded) {
        Bench_Report("error", "the font '%s' did not load", fontName.c_str());
        return 1;
    }
    const float wrap = kWrapWidth;
    qv->SetTextMaxWidth(&wrap);

    // The pieces and where each is drawn, one measuring outside the clock.
    const std::vector<std::string> pieces = SplitForDrawText(paragraph);
    std::vector<float> tops;
    float top = 10.0f;
    int lines = 0;
    for (const std::string& piece : pieces) {
        float height = 0.0f;
        qv->MeasureText(font, nullptr, &height, "%s", piece.c_str());
        tops.push_back(top);
        top += height;
        if (font->lineSpacing > 0)
            lines += static_cast<int>(height / font->lineSpacing + 0.5f);
    }

    // One draw outside the clock gives the digest of the vertices a draw makes.
    BatchRenderer::Flush();
    g_renderer.digesting = true;
    const float x = 10.0f;
    for (size_t p = 0; p < pieces.size(); ++p)
        qv->DrawText(font, &x, &tops[p], "%s", pieces[p].c_str());
    BatchRenderer::Flush();
    g_renderer.digesting = false;

    const long long verticesBefore = g_renderer.vertices;
    const double startMs = Bench_NowMs();
    for (long i = 0; i < draws; ++i) {
        for (size_t p = 0; p < pieces.size(); ++p)
            qv->DrawText(font, &x, &tops[p], "%s", pieces[p].c_str());
    }
    BatchRenderer::Flush();
    const double workMs = Bench_NowMs() - startMs;

    Bench_Report("work_ms", "%.3f", workMs);
    Bench_Report("quads", "%lld", (g_renderer.vertices - verticesBefore) / 4);
    Bench_Report("characters", "%lld", static_cast<long long>(CountCharacters(paragraph, utf8)) * draws);
    Bench_Report("pieces", "%d", static_cast<int>(pieces.size()));
    Bench_Report("lines", "%d", lines);
    Bench_Report("vertex_digest", "%016llx", static_cast<unsigned long long>(g_renderer.digest));
    return 0;
}
