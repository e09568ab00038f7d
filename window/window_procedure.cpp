// The window procedure of every library window: the window property, the cursor, painting, and
// the host's message handlers.
#include "window/window_internal.h"

using namespace tessary::window;

LRESULT CALLBACK Class_ZkWindowD2D::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Nothing may unwind into the system's message dispatch, not even from a host handler.
    try {
        auto* object = static_cast<Class_ZkWindowD2D*>(GetPropW(window, kWindowProperty));
        if (object)
            return object->HandleMessage(window, message, wParam, lParam);
        if (message == WM_NCCREATE) {
            Class_ZkWindowD2D* created = WindowObjectOfCreation(reinterpret_cast<const CREATESTRUCTW*>(lParam));
            if (created && !SetPropW(window, kWindowProperty, static_cast<HANDLE>(created)))
                return 0; // the window is refused
        }
        return DefWindowProcW(window, message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

LRESULT Class_ZkWindowD2D::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The cursor is the library's: no host handler sees WM_SETCURSOR.
    if (message == WM_SETCURSOR) {
        SetCursor(cursor);
        return TRUE;
    }
    if (message == WM_PAINT) {
        PAINTSTRUCT paint{};
        BeginPaint(window, &paint);
        Invalidate(&paint.rcPaint);
        EndPaint(window, &paint);
    }
    if (handlers) {
        auto entry = handlers->find(message);
        if (entry != handlers->end() && entry->second.active) {
            const LRESULT result =
                entry->second.active(window, message, wParam, lParam, static_cast<Class_ZkWindow*>(this));
            if (message == WM_DESTROY)
                RemovePropW(window, kWindowProperty);
            return result;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
