// The record a benchmark host hands a library window's Create: a popup shown without activation.
#pragma once

#include <ZkWindow.h>

namespace bench {

// `info.creation` points into the same object, so the record is neither copied nor moved.
struct WindowRecord {
    WindowRecord(int x, int y, int width, int height, const wchar_t* title, const wchar_t* className)
    {
        block.hInstance = GetModuleHandleW(nullptr);
        block.x = x;
        block.y = y;
        block.cx = width;
        block.cy = height;
        block.lpszName = title;
        block.lpszClass = className;
        info.fourcc = ZK_FOURCC_WINDOW;
        info.size = sizeof(info);
        info.creation = &block;
        info.style = WS_POPUP;
        info.showCommand = SW_SHOWNOACTIVATE;
    }
    WindowRecord(const WindowRecord&) = delete;
    WindowRecord& operator=(const WindowRecord&) = delete;

    CREATESTRUCTW block{};
    ZkWindowCreateInfo info{};
};

} // namespace bench
