// The host scenario of the failure sweep: every kind of object made and every operation that reaches
// Direct2D called once or more, from initialise to a restart of the library, as a host drives
// tessary.dll through its exports. Each status code is checked against what the operation documents
// for the object's state; a clean run must succeed everywhere.
#pragma once

#include "support/tessary_module.h"
#include "support/softd2d_control.h"
#include <cstdint>
#include <string>
#include <vector>

namespace sweep {

// What every run shares: the files it reads and the host's fonts and device-lost window.
struct HostSetting {
    std::wstring imagePath;
    std::wstring fontPath;                      // a font file of the host's own; empty without one
    const Gdiplus::Font* privateFont = nullptr; // its family, through GDI+'s private collection
    const Gdiplus::Font* systemFont = nullptr;
    HWND deviceLostWindow = nullptr;
};

inline constexpr UINT kDeviceLostMessage = WM_APP + 7;

// Fallible softd2d calls, and EndDraw calls among them, from the start of a run.
struct Calls {
    uint64_t fallible = 0, endDraws = 0;
    uint64_t Of(bool endDraw) const { return endDraw ? endDraws : fallible; }
};

struct RunResult {
    std::vector<std::string> faults; // codes outside the documented set, and other broken promises
    std::vector<uint32_t> frame;     // every object's pixels once the host has drawn its frame twice
    std::vector<uint32_t> pixels;    // every object's pixels after the redraw that follows the scenario's
                                     // own device loss, its alpha regions, and the restarted library's
    Calls made;                      // the readbacks' calls too
    Calls firstFrame, firstFrameEnd; // where the first drawing of the frame begins and ends
    Calls beforeLoss;                // where the scenario's own device loss begins
    bool drawnTwice = false;         // every object created and able to draw when the frame is read
    bool recovered = false;          // the same after the rebuild that follows that loss
};

// Which pixels a run reads back.
enum ReadBack : unsigned { kReadNothing = 0, kReadFrame = 1, kReadEnd = 2 };

// What softd2d was told to fail besides the scenario's own device loss: nothing (every operation must
// succeed), a single call (what the host tries again must then succeed), or every call from one on.
enum class Injection { kNone, kOnce, kPersistent };

// Runs the scenario once. After a single failure while the frame is first drawn, the frame drawn
// again must show the clean run's pixels; after one before the scenario's own device loss, so must a
// run that recovered from it: what failed leaves nothing behind once the host has redrawn.
RunResult RunScenario(const tessary_test::TessaryModule& tessary, const HostSetting& host, Injection injection,
                      unsigned readBack);

} // namespace sweep
