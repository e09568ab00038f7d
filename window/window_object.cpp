// The window object's life: construction, Create with its creation steps, ResetData, destruction.
#include "component/create_record.h"
#include "frame/context.h"
#include "frame/registries.h"
#include "surface/region.h"
#include "window/window_internal.h"
#include <new>

using namespace tessary;
using namespace tessary::window;

namespace {

// What WM_NCCREATE finds behind lpCreateParams: the window object and the host's own value.
struct CreationPair {
    Class_ZkWindowD2D* object;
    void* hostParams;
};

} // namespace

namespace tessary::window {

// The copy of the creation block passed to CreateWindowExW on this thread, while it runs. The window
// procedure accepts a WM_NCCREATE only when it carries this copy, so a window the host creates
// directly with a library class never has its lpCreateParams taken for a pair.
thread_local const CREATESTRUCTW* pendingCreation = nullptr;

Class_ZkWindowD2D* WindowObjectOfCreation(const CREATESTRUCTW* systemBlock)
{
    if (!systemBlock || !pendingCreation || systemBlock->lpCreateParams != pendingCreation)
        return nullptr;
    const auto* pair = static_cast<const CreationPair*>(pendingCreation->lpCreateParams);
    return pair ? pair->object : nullptr;
}

void DestroyOwnedRegion(Class_ZkRegion*& region)
{
    if (!region)
        return;
    DestroyRegion(*region);
    delete region;
    region = nullptr;
}

} // namespace tessary::window

Class_ZkWindowD2D::Class_ZkWindowD2D() { SetCoreData(this, sizeof(*this), ZK_FOURCC_WINDOW_IMPL); }

Class_ZkWindowD2D::~Class_ZkWindowD2D()
{
    ReleaseWindowResources(TakeWindowTargetOutOfRegistry());
    // Messages after this would reach a destroyed object through the property.
    if (_propertyWindow && IsWindow(_propertyWindow) &&
        GetPropW(_propertyWindow, kWindowProperty) == static_cast<HANDLE>(this))
        RemovePropW(_propertyWindow, kWindowProperty);
}

bool Class_ZkWindowD2D::TakeWindowTargetOutOfRegistry()
{
    if (!windowHandle)
        return false;
    const uint64_t key = reinterpret_cast<uint64_t>(windowHandle);
    // Uninitialising releases every target still registered and empties the registry: a target that
    // is no longer registered as ours is gone already and must not be released a second time.
    const bool registered = windowTarget && FindWindowTarget(key) == windowTarget;
    UnregisterWindowTarget(key);
    return registered;
}

void Class_ZkWindowD2D::ReleaseWindowResources(bool releaseWindowTarget)
{
    delete handlers;
    handlers = nullptr;
    DestroyOwnedRegion(shapeRegion);
    ReleaseAndNull(compositionTarget);
    delete[] shapeMask;
    shapeMask = nullptr;
    ReleaseAndNull(shapeMaskBitmap);
    if (windowTarget && releaseWindowTarget)
        windowTarget->Release();
    windowTarget = nullptr;
}

uint32_t Class_ZkWindowD2D::Create(const void* record)
{
    const uint32_t checked = CheckCreateRecord(createdFlag, record, ZK_FOURCC_WINDOW, sizeof(ZkWindowCreateInfo),
                                               WindowCreateCodes);
    if (checked != ZK_OK)
        return checked;

    ComponentGuard guard(this, kLineCreate);
    if (!guard.Held())
        return ZK_FAIL;

    uint32_t code = ZK_OK;
    try {
        RunCreationSteps(*static_cast<const ZkWindowCreateInfo*>(record));
        createdFlag = 1;
    } catch (uint32_t failure) {
        code = failure;
    } catch (...) {
        code = ZK_FAIL; // a container allocation
    }
    if (code != ZK_OK) {
        // A window whose object is reset would only reach DefWindowProcW; nobody else holds its handle.
        HWND made = windowHandle;
        ResetData();
        if (made)
            DestroyWindow(made);
    }
    return code;
}

void Class_ZkWindowD2D::RunCreationSteps(const ZkWindowCreateInfo& info)
{
    handlers = new std::map<UINT, HandlerEntry>();

    if (!info.creation)
        throw ZK_E_CREATE_WINDOW_FAILED;
    CREATESTRUCTW block = *info.creation;

    // The first registration of a class name stays in force; a second one fails quietly.
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(WNDCLASSEXW);
    windowClass.style = static_cast<UINT>(block.style);
    windowClass.lpfnWndProc = &Class_ZkWindowD2D::WindowProc;
    windowClass.cbClsExtra = static_cast<int>(info.classExtraBytes);
    windowClass.cbWndExtra = static_cast<int>(info.windowExtraBytes);
    windowClass.hInstance = block.hInstance;
    windowClass.hIcon = info.icon;
    windowClass.hCursor = info.cursor;
    windowClass.hbrBackground = info.background;
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = block.lpszClass;
    windowClass.hIconSm = info.smallIcon;
    RegisterClassExW(&windowClass);

    CreationPair pair{this, block.lpCreateParams};
    block.lpCreateParams = &pair;
    const DWORD exStyle = block.dwExStyle | WS_EX_LAYERED;
    RECT outer{0, 0, block.cx, block.cy};
    AdjustWindowRectEx(&outer, info.style, block.hMenu != nullptr, exStyle);

    const CREATESTRUCTW* enclosing = pendingCreation;
    pendingCreation = &block;
    windowHandle = CreateWindowExW(exStyle, block.lpszClass, block.lpszName, info.style, block.x, block.y,
                                   outer.right - outer.left, outer.bottom - outer.top, block.hwndParent, block.hMenu,
                                   block.hInstance, &block);
    pendingCreation = enclosing;
    if (!windowHandle)
        throw ZK_E_CREATE_WINDOW_FAILED;
    _propertyWindow = windowHandle;

    PaintClientBlack(windowHandle);

    instance = block.hInstance;
    cursor = info.cursor;
    reservedValue = info.reserved;
    clientWidth = block.cx;
    clientHeight = block.cy;

    windowTarget = MakeWindowTarget();
    if (!windowTarget)
        throw ZK_FAIL;
    RegisterWindowTarget(reinterpret_cast<uint64_t>(windowHandle), this, windowTarget);

    const ZkSurfaceCreateInfo surfaceInfo{ZK_FOURCC_SURFACE,
                                          sizeof(ZkSurfaceCreateInfo),
                                          reservedValue,
                                          static_cast<uint32_t>(clientWidth),
                                          static_cast<uint32_t>(clientHeight),
                                          reinterpret_cast<uint64_t>(windowHandle)};
    const uint32_t surfaceResult = CreateSurface(&surfaceInfo);
    if (surfaceResult != ZK_OK)
        throw surfaceResult;

    // Clearing parts of a window's surface must reach the screen too.
    Class_ZkGraphicSurfaceD2D::SetUpdateOnClear(1);
    windowOpacity = 255;
    // A transparent fill changes no pixel but puts the whole surface into the update region.
    Class_ZkGraphicSurfaceD2D::FillRect(0, nullptr);
    ShowWindow(windowHandle, static_cast<int>(info.showCommand));
    Invalidate(nullptr);
}

uint32_t Class_ZkWindowD2D::ResetData()
{
    // The registry entry goes before the guard is taken; a refused guard does not stop a reset.
    const bool releaseTarget = TakeWindowTargetOutOfRegistry();
    ComponentGuard guard(this, kLineReset, ComponentGuard::OnRefusal::GoOn);

    ReleaseWindowResources(releaseTarget);
    instance = nullptr;
    windowHandle = nullptr;
    clientWidth = 0;
    clientHeight = 0;
    cursor = nullptr;
    reservedValue = 0;
    windowOpacity = 0;
    return ResetSurface();
}
