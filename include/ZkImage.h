// The image interface ('QIMG'): a drawing surface whose first content was decoded from a file.
#pragma once

#include "ZkGraphicSurface.h"
#include <string>

struct Class_ZkImage : public virtual Class_ZkGraphicSurface {
    // Replaces *path by the full path of the decoded file. The string is the host's own, written in
    // the layout of the host's standard library: Visual C++'s std::wstring in a release build
    // (_ITERATOR_DEBUG_LEVEL 0) for the MSVC-ABI tessary.dll, whose heap blocks are the process
    // heap's as the Visual C++ runtime's are; libstdc++'s for the g++ tessary.dll.
    virtual uint32_t GetFilePath(std::wstring* path) = 0;

    uint32_t Create(const void* record) override = 0;
    uint32_t ResetData() override = 0;
    uint32_t QueryInterface(uint32_t fourcc, void** out) override = 0;

protected:
    uint32_t AddInterface(uint32_t value) override = 0;
    uint32_t DeleteInterface() override = 0;
};
