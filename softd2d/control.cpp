#include "control.h"

#include <atomic>
#include <mutex>

#include "com_base.h"
#include "render_target.h"

namespace softd2d {
namespace {

std::atomic<long> g_live{0};
std::atomic<UINT64> g_calls[8];

struct EndDrawFailure {
    IUnknown* target;  // null: any target
    UINT32 remaining;
    HRESULT result;
};

struct CreateFailure {
    UINT32 remaining;
    HRESULT result;
};

// Fixed capacity: queuing must not allocate, and tests never need more.
constexpr int kMaxEndDrawFailures = 32;

std::mutex g_lock;
EndDrawFailure g_endDraw[kMaxEndDrawFailures];
int g_endDrawCount = 0;
CreateFailure g_create[SOFTD2D_RESOURCE_KIND_COUNT];

void RemoveEndDrawFailure(int i) {
    g_endDraw[i] = g_endDraw[--g_endDrawCount];
}

}  // namespace

void ObjectCreated() { g_live.fetch_add(1, std::memory_order_relaxed); }
void ObjectDestroyed() { g_live.fetch_sub(1, std::memory_order_relaxed); }
long LiveObjects() { return g_live.load(); }

void CountCall(Call call) { g_calls[static_cast<int>(call)].fetch_add(1, std::memory_order_relaxed); }

HRESULT TakeCreateFailure(SoftD2DResourceKind kind) {
    std::lock_guard<std::mutex> hold(g_lock);
    CreateFailure& f = g_create[kind];
    if (f.remaining == 0) return S_OK;
    --f.remaining;
    return f.result;
}

HRESULT TakeEndDrawFailure(IUnknown* target) {
    std::lock_guard<std::mutex> hold(g_lock);
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

void WINAPI SoftD2D_ClearFailures(void) {
    std::lock_guard<std::mutex> hold(g_lock);
    g_endDrawCount = 0;
    for (CreateFailure& f : g_create) f = {0, S_OK};
}

HRESULT WINAPI SoftD2D_ReadCounters(SoftD2DCounters* counters) {
    if (!counters) return E_POINTER;
    UINT64* fields[] = {&counters->beginDraw,       &counters->endDraw,
                        &counters->clear,           &counters->fillRectangle,
                        &counters->drawBitmap,      &counters->fillOpacityMask,
                        &counters->pushAxisAlignedClip, &counters->popAxisAlignedClip};
    for (int i = 0; i < 8; ++i) *fields[i] = g_calls[i].load();
    return S_OK;
}

void WINAPI SoftD2D_ResetCounters(void) {
    for (auto& c : g_calls) c.store(0);
}

LONG WINAPI SoftD2D_LiveObjectCount(void) { return LiveObjects(); }

}  // extern "C"
