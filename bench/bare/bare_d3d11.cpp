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
//
// Each frame does the device work of the engine's frame for a game that draws nothing:
// bind the back buffer, set the viewport, Present without waiting for the display (the
// benchmark game runs with DISABLE_VSYNC and no fps_limit). The engine clears nothing for
// such a game, so neither does this loop.
#include <windows.h>
#include <d3d11.h>
#include <dxgi1_2.h>

#include <mmsystem.h>
#include <dsound.h>

#include <cstdio>
#include <cstring>

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

void DrawEmptyFrame(const Graphics& graphics)
{
    const D3D11_VIEWPORT viewport = {0.0f, 0.0f, static_cast<float>(kWidth), static_cast<float>(kHeight), 0.0f, 1.0f};
    graphics.context->OMSetRenderTargets(1, &graphics.backBufferView, nullptr);
    graphics.context->RSSetViewports(1, &viewport);
    graphics.swapChain->Present(0, 0);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    long warmupFrames = 0;
    long timedFrames = 0;
    const bool framesMode = commandLine && sscanf(commandLine, " frames %ld %ld", &warmupFrames, &timedFrames) == 2 &&
                            warmupFrames >= 0 && timedFrames > 0;
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
        if (!CreateGraphics(window, &graphics)) {
            Bench_Report("error", "no Direct3D 11 device or swap chain");
            status = 1;
        } else if (soundMode && !OpenSound(window, &sound)) {
            Bench_Report("error", "no DirectSound device or buffers");
            status = 1;
        } else if (!framesMode) {
            PumpMessages();
            DrawEmptyFrame(graphics);
            Bench_Report("startup_ms", "%.3f", Bench_MsSinceProcessCreation());
        } else {
            double timingStartMs = 0.0;
            // Frame n's mark is taken as it begins, as the benchmark game takes its own.
            for (long frame = 1; PumpMessages(); ++frame) {
                if (frame == warmupFrames + 1) {
                    timingStartMs = Bench_NowMs();
                } else if (frame == warmupFrames + 1 + timedFrames) {
                    Bench_Report("frame_ms", "%.4f", (Bench_NowMs() - timingStartMs) / static_cast<double>(timedFrames));
                    break;
                }
                DrawEmptyFrame(graphics);
            }
        }
    }
    DestroyWindow(window);
    return status;
}
