// The window operations the host drives a created window with: message handlers, handles, cursor,
// client size, opacity and messages. Presentation and shape live in their own files.
#include "frame/context.h"
#include "window/window_internal.h"

using namespace tessary;
using namespace tessary::window;

ZkMessageHandler Class_ZkWindowD2D::SetMessageHandler(UINT message, ZkMessageHandler handler)
{
    if (!createdFlag || !handlers)
        return nullptr;
    try {
        HandlerEntry& entry = (*handlers)[message];
        ZkMessageHandler previous = entry.active;
        entry = HandlerEntry{handler, nullptr};
        return previous;
    } catch (...) {
        return nullptr; // no memory for a new entry: nothing installed
    }
}

ZkMessageHandler Class_ZkWindowD2D::RemoveMessageHandler(UINT message)
{
    if (!createdFlag || !handlers)
        return nullptr;
    auto entry = handlers->find(message);
    if (entry == handlers->end())
        return nullptr;
    ZkMessageHandler removed = entry->second.active ? entry->second.active : entry->second.suspended;
    handlers->erase(entry);
    return removed;
}

uint32_t Class_ZkWindowD2D::SuspendMessageHandler(UINT message)
{
    if (!createdFlag || !handlers)
        return ZK_E_WINDOW_NOT_CREATED;
    auto entry = handlers->find(message);
    if (entry == handlers->end())
        return ZK_E_NO_HANDLER;
    if (entry->second.suspended)
        return ZK_E_HANDLER_ALREADY_SUSPENDED;
    entry->second = HandlerEntry{nullptr, entry->second.active};
    return ZK_OK;
}

uint32_t Class_ZkWindowD2D::ResumeMessageHandler(UINT message)
{
    if (!createdFlag || !handlers)
        return ZK_E_WINDOW_NOT_CREATED;
    auto entry = handlers->find(message);
    if (entry == handlers->end())
        return ZK_E_NO_HANDLER;
    if (!entry->second.suspended)
        return ZK_E_HANDLER_NOT_SUSPENDED;
    entry->second = HandlerEntry{entry->second.suspended, nullptr};
    return ZK_OK;
}

HWND Class_ZkWindowD2D::GetWindowHandle() { return windowHandle; }

// As the host relies on it: a window without a handle is "active" while no window is.
BOOL Class_ZkWindowD2D::IsActive() { return GetActiveWindow() == windowHandle ? TRUE : FALSE; }

HINSTANCE Class_ZkWindowD2D::GetInstanceHandle() { return instance; }

HCURSOR Class_ZkWindowD2D::SetWindowCursor(HCURSOR newCursor)
{
    if (!createdFlag)
        return nullptr;
    HCURSOR previous = cursor;
    if (newCursor != cursor)
        SetCursor(newCursor);
    cursor = newCursor;
    return previous;
}

uint32_t Class_ZkWindowD2D::SetClientSize(const SIZE* size, uint32_t flags)
{
    if (!createdFlag)
        return ZK_E_WINDOW_NOT_CREATED;
    if (!size)
        return ZK_FAIL;
    ComponentGuard guard(this, kLineOperation);
    if (!guard.Held())
        return ZK_FAIL;
    {
        // Held across the reset, so no opacity mask is locked between the check and the new surface.
        GraphicsLockGuard lock;
        // The host is still writing into the opacity buffer that the reset would free.
        if (alphaMaskLocked)
            return ZK_FAIL;
        if (size->cx == clientWidth && size->cy == clientHeight)
            return ZK_OK;

        clientWidth = size->cx;
        clientHeight = size->cy;
        // A new, blank surface of the new size, wholly in the update region; the host redraws.
        ResetSurface();
        const ZkSurfaceCreateInfo surfaceInfo{ZK_FOURCC_SURFACE,        sizeof(ZkSurfaceCreateInfo),
                                              reservedValue,            static_cast<uint32_t>(clientWidth),
                                              static_cast<uint32_t>(clientHeight), windowKey};
        const uint32_t created = CreateSurface(&surfaceInfo);
        if (created != ZK_OK)
            return created; // not created until ResetData and Create
    }
    Class_ZkGraphicSurfaceD2D::SetUpdateOnClear(1);

    if (!(flags & ZK_CLIENT_SIZE_SURFACE_ONLY))
        FitWindowToClientSize(clientWidth, clientHeight);
    RebuildShapeMask();
    return ZK_OK;
}

void Class_ZkWindowD2D::FitWindowToClientSize(int32_t cx, int32_t cy)
{
    // The frame's size is read back each time: styles and menus may wrap differently at a new width.
    for (int attempt = 0; attempt < 3; ++attempt) {
        RECT client{}, outer{};
        GetClientRect(windowHandle, &client);
        GetWindowRect(windowHandle, &outer);
        const int32_t width = (outer.right - outer.left) - (client.right - client.left) + cx;
        const int32_t height = (outer.bottom - outer.top) - (client.bottom - client.top) + cy;
        SetWindowPos(windowHandle, nullptr, 0, 0, width, height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE | SWP_FRAMECHANGED |
                         SWP_NOOWNERZORDER);
        GetClientRect(windowHandle, &client);
        if (client.right - client.left == cx && client.bottom - client.top == cy)
            return;
    }
}

uint32_t Class_ZkWindowD2D::SetOpacity(uint8_t opacity)
{
    windowOpacity = opacity;
    const RECT whole{0, 0, clientWidth, clientHeight};
    Invalidate(&whole);
    return ZK_OK;
}

uint8_t Class_ZkWindowD2D::GetOpacity() { return windowOpacity; }

LRESULT Class_ZkWindowD2D::SendWindowMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return SendMessageW(windowHandle, message, wParam, lParam);
}

void Class_ZkWindowD2D::Reserved15() {}
