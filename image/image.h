// Class_ZkImageD2D: a drawing surface whose first content is decoded from an image file.
#pragma once

#include "surface/surface.h"
#include <ZkImage.h>
#include <string>

class Class_ZkImageD2D : public virtual Class_ZkGraphicSurfaceD2D, public virtual Class_ZkImage {
public:
    Class_ZkImageD2D();
    ~Class_ZkImageD2D() override;

    uint32_t GetFilePath(std::wstring* path) override;

    uint32_t RecreateDeviceResources() override;

    uint32_t Create(const void* record) override;
    uint32_t ResetData() override;
    uint32_t QueryInterface(uint32_t fourcc, void** out) override;

    std::wstring filePath; // full path of the last successful Create; empty while not created

protected:
    uint32_t AddInterface(uint32_t value) override;
    uint32_t DeleteInterface() override;
};
