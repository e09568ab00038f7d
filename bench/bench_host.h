// What the whole-frame benchmark shares: a timer, cases measured side by side in interleaved rounds,
// the report, and a host environment (library, GDI+, COM, windows and surfaces) like a real host's.
#pragma once

#include <Tessary.h>
#include <d2d1.h>
#include <gdiplus.h>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace bench {

double Seconds();

// One timed operation: `run` does it `repeats` times; the best round counts (per operation).
struct Case {
    std::string name;
    std::function<void()> run;
    int repeats = 1;
    double best = 1e30;    // seconds per operation, end to end
    double bestOwn = 1e30; // the same without the time inside UpdateLayeredWindowIndirect
    double updateCalls = 0; // UpdateLayeredWindowIndirect calls per operation
};

// UpdateLayeredWindowIndirect timed: the library's entry is pointed here by StartHost, and the
// benchmark's own GDI+ and raw softd2d frames call it too, so every side's time inside the call
// (Wine's, not ours) can be taken out.
BOOL WINAPI TimedUpdateLayeredWindowIndirect(HWND window, const UPDATELAYEREDWINDOWINFO* info);
void ResetUpdateTiming();
// While set, the timed entry returns success without calling the system: our own side of a frame can
// then be measured over many rounds without Wine's presentation time in between.
void SkipUpdates(bool skip);
double UpdateSeconds();
long UpdateCalls();

// Runs every case once per round, `rounds` times, so a slow patch of the machine hits them all alike.
void Measure(std::vector<Case*> cases, int rounds);

// A report row: ours against a reference measured in the same run; the target is the largest ratio
// (ours / reference) that meets it, or 0 for none.
void Row(const char* what, double ours, double reference, const char* referenceName, double target);
// The same for two factors (growths, say) rather than times.
void FactorRow(const char* what, double ours, double reference, const char* referenceName, double target);
// A row of one figure, in microseconds.
void Figure(const char* what, double seconds);
void Section(const char* title);
// Whether every target reported so far was met.
bool AllMet();

// The host side: module attach, GDI+, COM, an initialised library. Once per process.
void StartHost();

// A layered window of the library, shown; null on failure. Release with ReleaseWindow.
Class_ZkWindow* CreateWindowObject(int width, int height, const wchar_t* title);
void ReleaseWindow(Class_ZkWindow* window);
// A surface on the window's device; null on failure.
Class_ZkGraphicSurface* CreateSurface(Class_ZkWindow* window, int width, int height);
void ReleaseSurface(Class_ZkGraphicSurface* surface);

// A GDI-compatible bitmap render target made as the library makes a surface's own target (grayscale
// text), on a DC render target of the library's factory returned in *device; for the raw softd2d cases.
ID2D1BitmapRenderTarget* CreateRawTarget(int width, int height, ID2D1DCRenderTarget** device);
// The raw presentation of a finished target: its GDI-interop DC handed to one timed
// UpdateLayeredWindowIndirect with `dirty`, per-pixel alpha and full opacity.
void PresentRaw(ID2D1RenderTarget* target, HWND window, SIZE size, const RECT& dirty);
// The bitmap of a surface's own target, with a reference.
ID2D1Bitmap* BitmapOf(Class_ZkGraphicSurface* surface);

// A GDI region object the library accepts as a clip region; the caller destroys it with DeleteRegion.
Class_ZkRegion MakeRegion(HRGN shape);
void DeleteRegion(Class_ZkRegion& region);

// A top-down 32-bit DIB section selected into its own memory DC, as GDI+ hosts paint into.
struct Dib {
    Dib(int width, int height);
    ~Dib();
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    uint32_t* pixels = nullptr;
    int width, height;
};

// A plain layered popup window for the GDI+ side.
HWND CreatePlainLayeredWindow(int width, int height);

// The benchmark's cases, one function per file.
void TextAndSmallOperations();
void WholeFrame();
void Presentation();
void Lifecycle();

} // namespace bench
