// The host scenario of the failure sweep: every kind of object made and every operation that reaches
// Direct2D called once or more, from initialise to a restart of the library, as a host drives
// tessary.dll through its exports. Each status code is checked against what the operation documents
// for the object's state; a clean run must succeed everywhere.
#pragma once

#include "fuzz/tessary_module.h"
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

struct RunResult {
    std::vector<std::string> faults; // codes outside the documented set, and other broken promises
    std::vector<uint32_t> pixels;    // every readback, in order; empty when the run did not read back
    uint64_t fallible = 0;           // fallible softd2d calls made (by the readbacks too)
    uint64_t endDraws = 0;           // EndDraw calls among them
    uint64_t fallibleBeforeLoss = 0; // the same, before the scenario's own device loss
    uint64_t endDrawsBeforeLoss = 0;
    bool recovered = false; // every object created and rebuilt after that loss, and drawn again
};

// What softd2d was told to fail besides the scenario's own device loss: nothing (every operation must
// succeed), a single call (what the host tries again must then succeed), or every call from one on.
enum class Injection { kNone, kOnce, kPersistent };

// Runs the scenario once. `readBack`: the pixels of every object are read before it is released.
// After a failure before the scenario's own device loss, a recovered run must show the clean run's
// pixels: the rebuild and the redraw leave nothing of what failed.
RunResult RunScenario(const tessary_test::TessaryModule& tessary, const HostSetting& host, Injection injection,
                      bool readBack);

} // namespace sweep
