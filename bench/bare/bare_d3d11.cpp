// The bare Direct3D 11 program that the start-up and empty-frame benchmarks compare the
// engine with: a window, a device, a flip-model swap chain and its render target view, done
// the plain way, then a loop that binds the back buffer and presents.
//
//   bare_d3d11.exe                  start-up: reports "bench startup_ms" (since the process
//                                   was created) right after the first Present, and ends.
//   bare_d3d11.exe sound            the same with the sound device the engine opens before
//                                   its first frame (see OpenSound), closed again at the end.
//   bare_d3d11.exe frames WARMUP N  empty frames: after WARMUP frames it times the next N and
//                                   reports "bench frame_ms", then ends.
//   bare_d3d11.exe sprites WARMUP N COUNT [BATCH]
//                                   the same with COUNT textured 32 x 32 quads drawn each
//                                   frame where the benchmark game draws its sprites. With
//                                   BATCH (not used by the benchmarks; for finding where an
//                                   engine's frame goes) the quads are drawn BATCH at a time
//                                   as the engine's batch renderer does: a ring of 16
//                                   buffers, each mapped with discard for its batch, and the
//                                   matrix written to a dynamic constant buffer every draw.
//
// Each frame does the device work of the engine's frame for a game that draws nothing:
// bind the back buffer, set the viewport, Present without waiting for the display (the
// benchmark game runs with DISABLE_VSYNC and no fps_limit). The engine clears nothing for
// such a game, so neither does this loop.
//
// The sprite frame draws what the engine draws for the benchmark game's sprites, the plain
// way: the same 24-byte vertices (position, B8G8R8A8 colour, texture coordinate), the same
// shaders (the engine's "internal_default" HLSL, compiled here at start-up), a white 32 x 32
// B8G8R8A8 texture (the format the engine gives an RGBA8 bitmap) sampled linearly and
// clamped, alpha blending as the engine's blend mode 1, no culling. All the frame's quads go
// into one dynamic vertex buffer, mapped with discard once a frame, and one indexed draw; the
// matrix and the indices are written once.
#include <windows.h>
#include <d3d11.h>
#include <dxgi1_2.h>

#include <d3dcompiler.h>
#include <mmsystem.h>
#include <dsound.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "bare_sprite_shaders.h"  // kVertexShader and kPixelShader: the engine's internal_default HLSL
#include "bench_report.h"

namespace {

const int kWidth = 800;
const int kHeight = 600;
const char kWindowClass[] = "BareD3D11Window";

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateMainWindow(HINSTANCE instance)
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExA(&windowClass);

    RECT frame = {0, 0, kWidth, kHeight};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    HWND window = CreateWindowExA(0, kWindowClass, "Bare Direct3D 11", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                  instance, nullptr);
    if (window)
        ShowWindow(window, SW_SHOW);
    return window;
}

struct Graphics {
    ID3D11Device* device = nullptr;
    ID3D11DeviceContext* context = nullptr;
    IDXGISwapChain1* swapChain = nullptr;
    ID3D11RenderTargetView* backBufferView = nullptr;

    ~Graphics()
    {
        if (context)
            context->ClearState();
        if (backBufferView)
            backBufferView->Release();
        if (swapChain)
            swapChain->Release();
        if (context)
            context->Release();
        if (device)
            device->Release();
    }
};

IDXGIFactory2* FactoryOf(ID3D11Device* device)
{
    IDXGIDevice* dxgiDevice = nullptr;
    IDXGIAdapter* adapter = nullptr;
    IDXGIFactory2* factory = nullptr;
    if (SUCCEEDED(device->QueryInterface(__uuidof(IDXGIDevice), reinterpret_cast<void**>(&dxgiDevice)))) {
        if (SUCCEEDED(dxgiDevice->GetAdapter(&adapter))) {
            adapter->GetParent(__uuidof(IDXGIFactory2), reinterpret_cast<void**>(&factory));
            adapter->Release();
        }
        dxgiDevice->Release();
    }
    return factory;
}

bool CreateGraphics(HWND window, Graphics* graphics)
{
    if (FAILED(D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, nullptr, 0, D3D11_SDK_VERSION,
                                 &graphics->device, nullptr, &graphics->context)))
        return false;

    IDXGIFactory2* factory = FactoryOf(graphics->device);
    if (!factory)
        return false;
    DXGI_SWAP_CHAIN_DESC1 description = {};
    description.Format = DXGI_FORMAT_B8G8R8A8_UNORM;
    description.SampleDesc.Count = 1;
    description.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
    description.BufferCount = 2;
    description.SwapEffect = DXGI_SWAP_EFFECT_FLIP_SEQUENTIAL;
    HRESULT result =
        factory->CreateSwapChainForHwnd(graphics->device, window, &description, nullptr, nullptr, &graphics->swapChain);
    factory->Release();
    if (FAILED(result))
        return false;

    ID3D11Texture2D* backBuffer = nullptr;
    if (FAILED(graphics->swapChain->GetBuffer(0, __uuidof(ID3D11Texture2D), reinterpret_cast<void**>(&backBuffer))))
        return false;
    result = graphics->device->CreateRenderTargetView(backBuffer, nullptr, &graphics->backBufferView);
    backBuffer->Release();
    return SUCCEEDED(result);
}

// The sound device as the engine must open it: DirectSound loaded at run time, the priority
// level on the window, the primary buffer set to 16-bit stereo at 44,100 Hz, 40 mono and 24
// stereo looping buffers of one second's bytes, a streaming thread that wakes every 25 ms,
// and a silent stereo buffer playing so that the device never idles. The thread has nothing
// to refill (nothing plays) and is woken at once when the sound closes.
const int kSoundRate = 44100;
const int kMonoBuffers = 40;
const int kStereoBuffers = 24;
const DWORD kSoundBufferBytes = kSoundRate * 2;
const DWORD kSoundBufferFlags = DSBCAPS_LOCSOFTWARE | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME |
                                DSBCAPS_GLOBALFOCUS | DSBCAPS_GETCURRENTPOSITION2;
const DWORD kTickMs = 25;

struct Sound {
    HMODULE library = nullptr;
    IDirectSound* device = nullptr;
    IDirectSoundBuffer* buffers[kMonoBuffers + kStereoBuffers] = {};
    IDirectSoundBuffer* keepAlive = nullptr;
    HANDLE stop = nullptr;
    HANDLE thread = nullptr;

    ~Sound()
    {
        if (thread) {
            SetEvent(stop);
            WaitForSingleObject(thread, INFINITE);
            CloseHandle(thread);
        }
        if (stop)
            CloseHandle(stop);
        for (IDirectSoundBuffer* buffer : buffers) {
            if (buffer) {
                buffer->Stop();
                buffer->Release();
            }
        }
        if (keepAlive) {
            keepAlive->Stop();
            keepAlive->Release();
        }
        if (device)
            device->Release();
        if (library)
            FreeLibrary(library);
    }
};

WAVEFORMATEX PcmFormat(int channels)
{
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = static_cast<WORD>(channels);
    format.nSamplesPerSec = kSoundRate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = static_cast<WORD>(channels * 2);
    format.nAvgBytesPerSec = kSoundRate * format.nBlockAlign;
    return format;
}

IDirectSoundBuffer* CreateSoundBuffer(IDirectSound* device, int channels)
{
    WAVEFORMATEX format = PcmFormat(channels);
    DSBUFFERDESC description = {};
    description.dwSize = sizeof description;
    description.dwFlags = kSoundBufferFlags;
    description.dwBufferBytes = kSoundBufferBytes;
    description.lpwfxFormat = &format;
    IDirectSoundBuffer* buffer = nullptr;
    return SUCCEEDED(device->CreateSoundBuffer(&description, &buffer, nullptr)) ? buffer : nullptr;
}

DWORD WINAPI StreamingThread(LPVOID parameter)
{
    const HANDLE stop = static_cast<HANDLE>(parameter);
    while (WaitForSingleObject(stop, kTickMs) == WAIT_TIMEOUT) {
    }
    return 0;
}

bool OpenSound(HWND window, Sound* sound)
{
    typedef HRESULT(WINAPI * CreateFunction)(const GUID*, IDirectSound**, IUnknown*);
    sound->library = LoadLibraryA("DSOUND.DLL");
    CreateFunction create = sound->library ? reinterpret_cast<CreateFunction>(reinterpret_cast<void*>(
                                                 GetProcAddress(sound->library, "DirectSoundCreate")))
                                           : nullptr;
    if (!create || FAILED(create(nullptr, &sound->device, nullptr)) ||
        FAILED(sound->device->SetCooperativeLevel(window, DSSCL_PRIORITY)))
        return false;
    DSBUFFERDESC primaryDescription = {};
    primaryDescription.dwSize = sizeof primaryDescription;
    primaryDescription.dwFlags = DSBCAPS_PRIMARYBUFFER;
    IDirectSoundBuffer* primary = nullptr;
    if (FAILED(sound->device->CreateSoundBuffer(&primaryDescription, &primary, nullptr)))
        return false;
    WAVEFORMATEX format = PcmFormat(2);
    const HRESULT formatResult = primary->SetFormat(&format);
    primary->Release();
    if (FAILED(formatResult))
        return false;
    for (int i = 0; i < kMonoBuffers + kStereoBuffers; ++i) {
        sound->buffers[i] = CreateSoundBuffer(sound->device, i < kMonoBuffers ? 1 : 2);
        if (!sound->buffers[i])
            return false;
    }
    sound->stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    sound->thread = sound->stop ? CreateThread(nullptr, 0, StreamingThread, sound->stop, 0, nullptr) : nullptr;
    sound->keepAlive = CreateSoundBuffer(sound->device, 2);
    if (!sound->thread || !sound->keepAlive)
        return false;
    void* first = nullptr;
    void* second = nullptr;
    DWORD firstBytes = 0, secondBytes = 0;
    if (FAILED(sound->keepAlive->Lock(0, 0, &first, &firstBytes, &second, &secondBytes, DSBLOCK_ENTIREBUFFER)))
        return false;
    memset(first, 0, firstBytes);
    if (second)
        memset(second, 0, secondBytes);
    sound->keepAlive->Unlock(first, firstBytes, second, secondBytes);
    return SUCCEEDED(sound->keepAlive->Play(0, 0, DSBPLAY_LOOPING));
}

const int kSpriteSide = 32;

struct SpriteVertex {
    float x, y, z;
    uint32_t color;
    float u, v;
};
static_assert(sizeof(SpriteVertex) == 24, "the engine's batch vertex is 24 bytes");

const int kRingBuffers = 16;

struct Sprites {
    long count = 0;
    long batch = 0;
    ID3D11Buffer* ring[kRingBuffers] = {};
    ID3D11VertexShader* vertexShader = nullptr;
    ID3D11PixelShader* pixelShader = nullptr;
    ID3D11InputLayout* layout = nullptr;
    ID3D11Buffer* vertices = nullptr;
    ID3D11Buffer* indices = nullptr;
    ID3D11Buffer* constants = nullptr;
    ID3D11Texture2D* texture = nullptr;
    ID3D11ShaderResourceView* textureView = nullptr;
    ID3D11SamplerState* sampler = nullptr;
    ID3D11BlendState* blend = nullptr;
    ID3D11RasterizerState* rasterizer = nullptr;

    ~Sprites()
    {
        IUnknown* all[] = {vertexShader, pixelShader, layout, vertices, indices, constants,
                           texture, textureView, sampler, blend, rasterizer};
        for (IUnknown* object : all) {
            if (object)
                object->Release();
        }
        for (ID3D11Buffer* buffer : ring) {
            if (buffer)
                buffer->Release();
        }
    }
};

ID3DBlob* Compile(const char* source, const char* target)
{
    ID3DBlob* code = nullptr;
    ID3DBlob* errors = nullptr;
    const HRESULT result =
        D3DCompile(source, strlen(source), nullptr, nullptr, nullptr, "main", target, 0, 0, &code, &errors);
    if (errors)
        errors->Release();
    return SUCCEEDED(result) ? code : nullptr;
}

bool CreateSprites(const Graphics& graphics, long count, long batch, Sprites* sprites)
{
    ID3D11Device* device = graphics.device;
    sprites->count = count;
    sprites->batch = batch;
    ID3DBlob* vertexCode = Compile(kVertexShader, "vs_4_0");
    ID3DBlob* pixelCode = Compile(kPixelShader, "ps_4_0");
    bool made = vertexCode && pixelCode &&
                SUCCEEDED(device->CreateVertexShader(vertexCode->GetBufferPointer(), vertexCode->GetBufferSize(),
                                                     nullptr, &sprites->vertexShader)) &&
                SUCCEEDED(device->CreatePixelShader(pixelCode->GetBufferPointer(), pixelCode->GetBufferSize(),
                                                    nullptr, &sprites->pixelShader));
    const D3D11_INPUT_ELEMENT_DESC elements[] = {
        {"POSITION", 0, DXGI_FORMAT_R32G32B32_FLOAT, 0, 0, D3D11_INPUT_PER_VERTEX_DATA, 0},
        {"COLOR", 0, DXGI_FORMAT_B8G8R8A8_UNORM, 0, 12, D3D11_INPUT_PER_VERTEX_DATA, 0},
        {"TEXCOORD", 0, DXGI_FORMAT_R32G32_FLOAT, 0, 16, D3D11_INPUT_PER_VERTEX_DATA, 0},
    };
    made = made && SUCCEEDED(device->CreateInputLayout(elements, 3, vertexCode->GetBufferPointer(),
                                                       vertexCode->GetBufferSize(), &sprites->layout));
    if (vertexCode)
        vertexCode->Release();
    if (pixelCode)
        pixelCode->Release();
    if (!made)
        return false;

    D3D11_BUFFER_DESC description = {};
    description.ByteWidth = static_cast<UINT>(count * 4 * sizeof(SpriteVertex));
    description.Usage = D3D11_USAGE_DYNAMIC;
    description.BindFlags = D3D11_BIND_VERTEX_BUFFER;
    description.CPUAccessFlags = D3D11_CPU_ACCESS_WRITE;
    if (FAILED(device->CreateBuffer(&description, nullptr, &sprites->vertices)))
        return false;
    if (batch < count) {
        description.ByteWidth = static_cast<UINT>(batch * 4 * sizeof(SpriteVertex));
        for (ID3D11Buffer*& buffer : sprites->ring) {
            if (FAILED(device->CreateBuffer(&description, nullptr, &buffer)))
                return false;
        }
    }

    // Quad q: 4q, 4q + 1, 4q + 2 and 4q + 1, 4q + 3, 4q + 2, as the engine's quad indices.
    uint16_t* quadIndices = new uint16_t[count * 6];
    for (long q = 0; q < count; ++q) {
        const uint16_t first = static_cast<uint16_t>(4 * q);
        const uint16_t pattern[6] = {first, uint16_t(first + 1), uint16_t(first + 2), uint16_t(first + 1),
                                     uint16_t(first + 3), uint16_t(first + 2)};
        memcpy(quadIndices + q * 6, pattern, sizeof pattern);
    }
    description = {};
    description.ByteWidth = static_cast<UINT>(count * 6 * sizeof(uint16_t));
    description.Usage = D3D11_USAGE_IMMUTABLE;
    description.BindFlags = D3D11_BIND_INDEX_BUFFER;
    D3D11_SUBRESOURCE_DATA data = {quadIndices, 0, 0};
    made = SUCCEEDED(device->CreateBuffer(&description, &data, &sprites->indices));
    delete[] quadIndices;
    if (!made)
        return false;

    // Pixels to clip space over the 800 x 600 back buffer; HLSL's column-major float4x4 takes
    // this row-major array transposed, so mul(position, matrix) applies it to a column.
    const float matrix[16] = {2.0f / kWidth, 0, 0, -1, 0, -2.0f / kHeight, 0, 1, 0, 0, 1, 0, 0, 0, 0, 1};
    description = {};
    description.ByteWidth = sizeof matrix;
    description.Usage = batch < count ? D3D11_USAGE_DYNAMIC : D3D11_USAGE_IMMUTABLE;
    description.BindFlags = D3D11_BIND_CONSTANT_BUFFER;
    description.CPUAccessFlags = batch < count ? D3D11_CPU_ACCESS_WRITE : 0;
    data = {matrix, 0, 0};
    if (FAILED(device->CreateBuffer(&description, &data, &sprites->constants)))
        return false;

    uint32_t white[kSpriteSide * kSpriteSide];
    memset(white, 255, sizeof white);
    D3D11_TEXTURE2D_DESC textureDescription = {};
    textureDescription.Width = textureDescription.Height = kSpriteSide;
    textureDescription.MipLevels = textureDescription.ArraySize = 1;
    textureDescription.Format = DXGI_FORMAT_B8G8R8A8_UNORM;
    textureDescription.SampleDesc.Count = 1;
    textureDescription.Usage = D3D11_USAGE_DEFAULT;
    textureDescription.BindFlags = D3D11_BIND_SHADER_RESOURCE;
    data = {white, kSpriteSide * 4, 0};
    if (FAILED(device->CreateTexture2D(&textureDescription, &data, &sprites->texture)) ||
        FAILED(device->CreateShaderResourceView(sprites->texture, nullptr, &sprites->textureView)))
        return false;

    D3D11_SAMPLER_DESC sampler = {};
    sampler.Filter = D3D11_FILTER_MIN_MAG_MIP_LINEAR;
    sampler.AddressU = sampler.AddressV = sampler.AddressW = D3D11_TEXTURE_ADDRESS_CLAMP;
    sampler.MaxAnisotropy = 1;
    sampler.ComparisonFunc = D3D11_COMPARISON_NEVER;
    sampler.MaxLOD = D3D11_FLOAT32_MAX;
    D3D11_BLEND_DESC blend = {};
    D3D11_RENDER_TARGET_BLEND_DESC& target = blend.RenderTarget[0];
    target.BlendEnable = TRUE;
    target.SrcBlend = D3D11_BLEND_SRC_ALPHA;
    target.DestBlend = D3D11_BLEND_INV_SRC_ALPHA;
    target.BlendOp = D3D11_BLEND_OP_ADD;
    target.SrcBlendAlpha = D3D11_BLEND_SRC_ALPHA;
    target.DestBlendAlpha = D3D11_BLEND_ONE;
    target.BlendOpAlpha = D3D11_BLEND_OP_ADD;
    target.RenderTargetWriteMask = D3D11_COLOR_WRITE_ENABLE_ALL;
    D3D11_RASTERIZER_DESC rasterizer = {};
    rasterizer.FillMode = D3D11_FILL_SOLID;
    rasterizer.CullMode = D3D11_CULL_NONE;
    rasterizer.DepthClipEnable = TRUE;
    return SUCCEEDED(device->CreateSamplerState(&sampler, &sprites->sampler)) &&
           SUCCEEDED(device->CreateBlendState(&blend, &sprites->blend)) &&
           SUCCEEDED(device->CreateRasterizerState(&rasterizer, &sprites->rasterizer));
}

// The state set once: nothing else is drawn, so it stays bound.
void BindSprites(const Graphics& graphics, const Sprites& sprites)
{
    ID3D11DeviceContext* context = graphics.context;
    const UINT stride = sizeof(SpriteVertex), offset = 0;
    context->IASetInputLayout(sprites.layout);
    context->IASetVertexBuffers(0, 1, &sprites.vertices, &stride, &offset);
    context->IASetIndexBuffer(sprites.indices, DXGI_FORMAT_R16_UINT, 0);
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    context->VSSetShader(sprites.vertexShader, nullptr, 0);
    context->VSSetConstantBuffers(0, 1, &sprites.constants);
    context->PSSetShader(sprites.pixelShader, nullptr, 0);
    context->PSSetShaderResources(0, 1, &sprites.textureView);
    context->PSSetSamplers(0, 1, &sprites.sampler);
    context->OMSetBlendState(sprites.blend, nullptr, 0xFFFFFFFF);
    context->RSSetState(sprites.rasterizer);
}

// The quads of the frame, where the benchmark game draws its sprites: white, opaque, the
// whole texture, corners top-left, top-right, bottom-left, bottom-right.
void WriteQuad(SpriteVertex* vertex, long i)
{
    const float side = static_cast<float>(kSpriteSide);
    const float x = static_cast<float>(i * 7 % 768), y = static_cast<float>(i * 13 % 568);
    vertex[0] = {x, y, 0.0f, 0xFFFFFFFFu, 0.0f, 0.0f};
    vertex[1] = {x + side, y, 0.0f, 0xFFFFFFFFu, 1.0f, 0.0f};
    vertex[2] = {x, y + side, 0.0f, 0xFFFFFFFFu, 0.0f, 1.0f};
    vertex[3] = {x + side, y + side, 0.0f, 0xFFFFFFFFu, 1.0f, 1.0f};
}

// The engine's way: BATCH quads a draw, each batch in the next buffer of the ring, mapped
// with discard, and the matrix uploaded again before every draw.
bool DrawSpritesInBatches(const Graphics& graphics, const Sprites& sprites)
{
    ID3D11DeviceContext* context = graphics.context;
    const float matrix[16] = {2.0f / kWidth, 0, 0, -1, 0, -2.0f / kHeight, 0, 1, 0, 0, 1, 0, 0, 0, 0, 1};
    const UINT stride = sizeof(SpriteVertex), offset = 0;
    int next = 0;
    for (long first = 0; first < sprites.count; first += sprites.batch) {
        const long quads = sprites.count - first < sprites.batch ? sprites.count - first : sprites.batch;
        ID3D11Buffer* buffer = sprites.ring[next];
        next = (next + 1) % kRingBuffers;
        D3D11_MAPPED_SUBRESOURCE mapped = {};
        if (FAILED(context->Map(buffer, 0, D3D11_MAP_WRITE_DISCARD, 0, &mapped)))
            return false;
        for (long i = 0; i < quads; ++i)
            WriteQuad(static_cast<SpriteVertex*>(mapped.pData) + 4 * i, first + i);
        context->Unmap(buffer, 0);
        if (FAILED(context->Map(sprites.constants, 0, D3D11_MAP_WRITE_DISCARD, 0, &mapped)))
            return false;
        memcpy(mapped.pData, matrix, sizeof matrix);
        context->Unmap(sprites.constants, 0);
        context->VSSetConstantBuffers(0, 1, &sprites.constants);
        context->IASetVertexBuffers(0, 1, &buffer, &stride, &offset);
        context->IASetIndexBuffer(sprites.indices, DXGI_FORMAT_R16_UINT, 0);
        context->DrawIndexed(static_cast<UINT>(quads * 6), 0, 0);
    }
    return true;
}

bool DrawSprites(const Graphics& graphics, const Sprites& sprites)
{
    if (sprites.batch < sprites.count)
        return DrawSpritesInBatches(graphics, sprites);
    D3D11_MAPPED_SUBRESOURCE mapped = {};
    if (FAILED(graphics.context->Map(sprites.vertices, 0, D3D11_MAP_WRITE_DISCARD, 0, &mapped)))
        return false;
    SpriteVertex* vertex = static_cast<SpriteVertex*>(mapped.pData);
    for (long i = 0; i < sprites.count; ++i, vertex += 4)
        WriteQuad(vertex, i);
    graphics.context->Unmap(sprites.vertices, 0);
    graphics.context->DrawIndexed(static_cast<UINT>(sprites.count * 6), 0, 0);
    return true;
}

// False once the window has gone.
bool PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            return false;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return true;
}

void DrawFrame(const Graphics& graphics, const Sprites* sprites)
{
    const D3D11_VIEWPORT viewport = {0.0f, 0.0f, static_cast<float>(kWidth), static_cast<float>(kHeight), 0.0f, 1.0f};
    graphics.context->OMSetRenderTargets(1, &graphics.backBufferView, nullptr);
    graphics.context->RSSetViewports(1, &viewport);
    if (sprites)
        DrawSprites(graphics, *sprites);
    graphics.swapChain->Present(0, 0);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    long warmupFrames = 0;
    long timedFrames = 0;
    long spriteCount = 0;
    long spriteBatch = 0;
    const int spriteArguments =
        commandLine ? sscanf(commandLine, " sprites %ld %ld %ld %ld", &warmupFrames, &timedFrames, &spriteCount,
                             &spriteBatch)
                    : 0;
    const bool spritesMode = spriteArguments >= 3 && warmupFrames >= 0 && timedFrames > 0 && spriteCount > 0;
    if (spritesMode && (spriteArguments == 3 || spriteBatch <= 0 || spriteBatch > spriteCount))
        spriteBatch = spriteCount;
    const bool framesMode =
        spritesMode || (commandLine && sscanf(commandLine, " frames %ld %ld", &warmupFrames, &timedFrames) == 2 &&
                        warmupFrames >= 0 && timedFrames > 0);
    // 16-bit indices reach 65,536 vertices, 16,384 quads.
    if (spritesMode && spriteCount > 16384) {
        Bench_Report("error", "at most 16384 sprites");
        return 2;
    }
    char mode[16] = "";
    const bool soundMode = commandLine && sscanf(commandLine, " %15s", mode) == 1 && strcmp(mode, "sound") == 0;

    HWND window = CreateMainWindow(instance);
    if (!window) {
        Bench_Report("error", "no window");
        return 1;
    }
    int status = 0;
    {
        Graphics graphics;
        Sound sound;
        Sprites sprites;
        if (!CreateGraphics(window, &graphics)) {
            Bench_Report("error", "no Direct3D 11 device or swap chain");
            status = 1;
        } else if (spritesMode && !CreateSprites(graphics, spriteCount, spriteBatch, &sprites)) {
            Bench_Report("error", "the sprites' shaders, buffers, texture or states could not be made");
            status = 1;
        } else if (soundMode && !OpenSound(window, &sound)) {
            Bench_Report("error", "no DirectSound device or buffers");
            status = 1;
        } else if (!framesMode) {
            PumpMessages();
            DrawFrame(graphics, nullptr);
            Bench_Report("startup_ms", "%.3f", Bench_MsSinceProcessCreation());
        } else {
            if (spritesMode) {
                BindSprites(graphics, sprites);
                Bench_Report("vertices", "%ld", 4 * spriteCount);
            }
            double timingStartMs = 0.0;
            // Frame n's mark is taken as it begins, as the benchmark game takes its own.
            for (long frame = 1; PumpMessages(); ++frame) {
                if (frame == warmupFrames + 1) {
                    timingStartMs = Bench_NowMs();
                } else if (frame == warmupFrames + 1 + timedFrames) {
                    Bench_Report("frame_ms", "%.4f", (Bench_NowMs() - timingStartMs) / static_cast<double>(timedFrames));
                    break;
                }
                DrawFrame(graphics, spritesMode ? &sprites : nullptr);
            }
        }
    }
    DestroyWindow(window);
    return status;
}
