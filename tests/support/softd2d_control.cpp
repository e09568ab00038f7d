#include "softd2d_control.h"

namespace tessary_test {

SoftD2DCounters SoftD2DControl::Counters() const
{
    SoftD2DCounters counters{};
    if (readCounters)
        readCounters(&counters);
    return counters;
}

const SoftD2DControl& SoftD2D()
{
    static const SoftD2DControl control = [] {
        const HMODULE d2d1 = GetModuleHandleW(L"d2d1.dll");
        SoftD2DControl c;
        c.failNextEndDraw = ProcAddress<PFN_SoftD2D_FailNextEndDraw>(d2d1, "SoftD2D_FailNextEndDraw");
        c.failNextCreate = ProcAddress<PFN_SoftD2D_FailNextCreate>(d2d1, "SoftD2D_FailNextCreate");
        c.failNthCall = ProcAddress<PFN_SoftD2D_FailNthCall>(d2d1, "SoftD2D_FailNthCall");
        c.clearFailures = ProcAddress<PFN_SoftD2D_ClearFailures>(d2d1, "SoftD2D_ClearFailures");
        c.readCounters = ProcAddress<PFN_SoftD2D_ReadCounters>(d2d1, "SoftD2D_ReadCounters");
        c.resetCounters = ProcAddress<PFN_SoftD2D_ResetCounters>(d2d1, "SoftD2D_ResetCounters");
        c.liveObjectCount = ProcAddress<PFN_SoftD2D_LiveObjectCount>(d2d1, "SoftD2D_LiveObjectCount");
        return c;
    }();
    return control;
}

} // namespace tessary_test
