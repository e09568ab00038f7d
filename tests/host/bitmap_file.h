// The image file of the host-level programs: a 32-bit BMP, which every WIC decodes.
#pragma once

#include <windows.h>
#include <cstdint>
#include <cstdio>
#include <string>

// Writes `pixels` (0xAARRGGBB, rows bottom up as BMP stores them) to `name`, made a full path, which
// is returned.
inline std::wstring WriteBitmapFile(const wchar_t* name, int width, int height, const uint32_t* pixels)
{
    const DWORD bytes = DWORD(width * height * 4), offset = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    const BITMAPFILEHEADER file{0x4D42, offset + bytes, 0, 0, offset};
    const BITMAPINFOHEADER info{sizeof(BITMAPINFOHEADER), width, height, 1, 32, BI_RGB, bytes, 0, 0, 0, 0};
    wchar_t path[MAX_PATH];
    GetFullPathNameW(name, MAX_PATH, path, nullptr);
    FILE* out = _wfopen(path, L"wb");
    fwrite(&file, sizeof(file), 1, out), fwrite(&info, sizeof(info), 1, out), fwrite(pixels, 4, bytes / 4, out);
    fclose(out);
    return path;
}
