// The image interface ('QIMG'): a drawing surface whose first content was decoded from a file.
#pragma once

#include "ZkGraphicSurface.h"
#include <string>

struct Class_ZkImage : public virtual Class_ZkGraphicSurface {
    // Replaces *path by the full path of the decoded file; host and library share std::wstring.
    virtual uint32_t GetFilePath(std::wstring* path) = 0;

    uint32_t Create(const void* record) override = 0;
    uint32_t ResetData() override = 0;
    uint32_t QueryInterface(uint32_t fourcc, void** out) override = 0;

protected:
    uint32_t AddInterface(uint32_t value) override = 0;
    uint32_t DeleteInterface() override = 0;
};
