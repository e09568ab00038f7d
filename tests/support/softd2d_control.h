// softd2d's test control, found by name in the loaded d2d1.dll; all null with another Direct2D.
#pragma once

#include "softd2d/include/softd2d_control.h"

namespace tessary_test {

// An entry of a loaded module as its function type, or null; void (*)() stands for any function type.
template <class F>
F ProcAddress(HMODULE module, const char* name)
{
    return module ? reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name))) : nullptr;
}

struct SoftD2DControl {
    PFN_SoftD2D_FailNextEndDraw failNextEndDraw = nullptr;
    PFN_SoftD2D_FailNextCreate failNextCreate = nullptr;
    PFN_SoftD2D_FailNthCall failNthCall = nullptr;
    PFN_SoftD2D_ClearFailures clearFailures = nullptr;
    PFN_SoftD2D_ReadCounters readCounters = nullptr;
    PFN_SoftD2D_ResetCounters resetCounters = nullptr;
    PFN_SoftD2D_LiveObjectCount liveObjectCount = nullptr;

    bool Present() const
    {
        return failNextEndDraw && failNextCreate && failNthCall && clearFailures && readCounters && resetCounters &&
               liveObjectCount;
    }
    SoftD2DCounters Counters() const;
};

const SoftD2DControl& SoftD2D();

} // namespace tessary_test

// Fault injection and call counters exist only in softd2d; with the system's Direct2D such tests skip.
#define REQUIRE_SOFTD2D_CONTROL()                                                                           \
    do {                                                                                                     \
        if (!::tessary_test::SoftD2D().Present())                                                            \
            GTEST_SKIP() << "softd2d's test control is not loaded";                                          \
    } while (0)
