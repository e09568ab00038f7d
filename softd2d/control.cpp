#include "control.h"

#include <atomic>
#include <mutex>

#include "com_base.h"
#include "render_target.h"

namespace softd2d {
namespace {

std::atomic<long> g_live{0};
constexpr int kCounterCount = 9;
std::atomic<UINT64> g_calls[kCounterCount];

struct EndDrawFailure {
    IUnknown* target;  // null: any target
    UINT32 remaining;
    HRESULT result;
};

struct CreateFailure {
    UINT32 remaining;
    HRESULT result;
};

// `count` failures armed for the calls of a set after the next `skip`; count 0: none armed.
struct NthFailure {
    UINT64 skip;
    UINT64 count;
    HRESULT result;
};

// Fixed capacity: queuing must not allocate, and tests never need more.
constexpr int kMaxEndDrawFailures = 32;

std::mutex g_lock;
EndDrawFailure g_endDraw[kMaxEndDrawFailures];
int g_endDrawCount = 0;
CreateFailure g_create[SOFTD2D_RESOURCE_KIND_COUNT];
NthFailure g_nth[SOFTD2D_CALL_SET_COUNT];

void RemoveEndDrawFailure(int i) {
    g_endDraw[i] = g_endDraw[--g_endDrawCount];
}

// Counts one fallible call and steps the armed failures of the sets it belongs to; the failure that
// falls on it, or S_OK. Called under g_lock.
HRESULT StepNthFailures(bool endDraw) {
    g_calls[static_cast<int>(Call::Fallible)].fetch_add(1, std::memory_order_relaxed);
    HRESULT result = S_OK;
    for (int set = 0; set < SOFTD2D_CALL_SET_COUNT; ++set) {
        if (set == SOFTD2D_CALLS_END_DRAW && !endDraw) continue;
        NthFailure& f = g_nth[set];
        if (f.count == 0) continue;
        if (f.skip) {
            --f.skip;
        } else {
            --f.count;
            if (SUCCEEDED(result)) result = f.result;
        }
    }
    return result;
}

}  // namespace

void ObjectCreated() { g_live.fetch_add(1, std::memory_order_relaxed); }
void ObjectDestroyed() { g_live.fetch_sub(1, std::memory_order_relaxed); }
long LiveObjects() { return g_live.load(); }

void CountCall(Call call) { g_calls[static_cast<int>(call)].fetch_add(1, std::memory_order_relaxed); }

HRESULT TakeCallFailure() {
    std::lock_guard<std::mutex> hold(g_lock);
    return StepNthFailures(false);
}

HRESULT TakeCreateFailure(SoftD2DResourceKind kind) {
    std::lock_guard<std::mutex> hold(g_lock);
    const HRESULT nth = StepNthFailures(false);
    CreateFailure& f = g_create[kind];
    HRESULT queued = S_OK;
    if (f.remaining != 0) {
        --f.remaining;
        queued = f.result;
    }
    return FAILED(nth) ? nth : queued;
}

HRESULT TakeEndDrawFailure(IUnknown* target) {
    std::lock_guard<std::mutex> hold(g_lock);
    const HRESULT nth = StepNthFailures(true);
    if (FAILED(nth)) return nth;
    // A failure aimed at this very target wins over one aimed at any target.
    int found = -1;
    for (int i = 0; i < g_endDrawCount; ++i) {
        if (g_endDraw[i].target == target) {
            found = i;
            break;
        }
        if (!g_endDraw[i].target && found < 0) found = i;
    }
    if (found < 0) return S_OK;
    const HRESULT result = g_endDraw[found].result;
    if (--g_endDraw[found].remaining == 0) RemoveEndDrawFailure(found);
    return result;
}

void ForgetTarget(IUnknown* target) {
    std::lock_guard<std::mutex> hold(g_lock);
    for (int i = g_endDrawCount - 1; i >= 0; --i) {
        if (g_endDraw[i].target == target) RemoveEndDrawFailure(i);
    }
}

}  // namespace softd2d

using namespace softd2d;

extern "C" {

HRESULT WINAPI SoftD2D_FailNextEndDraw(IUnknown* target, UINT32 count, HRESULT result) {
    if (count == 0 || SUCCEEDED(result)) return E_INVALIDARG;
    IUnknown* identity = nullptr;
    if (target) {
        // Only our own render targets can be aimed at; only the address of the identity is kept.
        ComPtr<RenderTargetState> state = Unwrap<RenderTargetState>(target, IID_SoftRenderTarget);
        if (!state) return E_INVALIDARG;
        identity = state->Identity();
    }
    std::lock_guard<std::mutex> hold(g_lock);
    if (g_endDrawCount == kMaxEndDrawFailures) return E_OUTOFMEMORY;
    g_endDraw[g_endDrawCount++] = {identity, count, result};
    return S_OK;
}

HRESULT WINAPI SoftD2D_FailNextCreate(SoftD2DResourceKind kind, UINT32 count, HRESULT result) {
    if (kind < 0 || kind >= SOFTD2D_RESOURCE_KIND_COUNT || count == 0 || SUCCEEDED(result))
        return E_INVALIDARG;
    std::lock_guard<std::mutex> hold(g_lock);
    g_create[kind] = {count, result};
    return S_OK;
}

HRESULT WINAPI SoftD2D_FailNthCall(SoftD2DCallSet set, UINT64 n, UINT64 count, HRESULT result) {
    if (set < 0 || set >= SOFTD2D_CALL_SET_COUNT || SUCCEEDED(result)) return E_INVALIDARG;
    std::lock_guard<std::mutex> hold(g_lock);
    g_nth[set] = n ? NthFailure{n - 1, count, result} : NthFailure{0, 0, S_OK};
    return S_OK;
}

void WINAPI SoftD2D_ClearFailures(void) {
    std::lock_guard<std::mutex> hold(g_lock);
    g_endDrawCount = 0;
    for (CreateFailure& f : g_create) f = {0, S_OK};
    for (NthFailure& f : g_nth) f = {0, 0, S_OK};
}

HRESULT WINAPI SoftD2D_ReadCounters(SoftD2DCounters* counters) {
    if (!counters) return E_POINTER;
    UINT64* fields[kCounterCount] = {&counters->beginDraw,           &counters->endDraw,
                                     &counters->clear,               &counters->fillRectangle,
                                     &counters->drawBitmap,          &counters->fillOpacityMask,
                                     &counters->pushAxisAlignedClip, &counters->popAxisAlignedClip,
                                     &counters->fallible};
    for (int i = 0; i < kCounterCount; ++i) *fields[i] = g_calls[i].load();
    return S_OK;
}

void WINAPI SoftD2D_ResetCounters(void) {
    for (auto& c : g_calls) c.store(0);
}

LONG WINAPI SoftD2D_LiveObjectCount(void) { return LiveObjects(); }

}  // extern "C"
