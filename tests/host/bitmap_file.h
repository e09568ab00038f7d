// The image file of the host-level programs: a 32-bit BMP, which every WIC decodes.
#pragma once

#include <windows.h>
#include <cstdint>
#include <string>

// Writes `pixels` (0xAARRGGBB, rows bottom up as BMP stores them) to exactly `path`, which may be of
// any length in the \\?\ form; false when it cannot be written.
inline bool WriteBitmapAt(const std::wstring& path, int width, int height, const uint32_t* pixels)
{
    const DWORD bytes = DWORD(width * height * 4), offset = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    const BITMAPFILEHEADER file{0x4D42, offset + bytes, 0, 0, offset};
    const BITMAPINFOHEADER info{sizeof(BITMAPINFOHEADER), width, height, 1, 32, BI_RGB, bytes, 0, 0, 0, 0};
    HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE)
        return false;
    DWORD written[3] = {};
    WriteFile(out, &file, sizeof(file), &written[0], nullptr), WriteFile(out, &info, sizeof(info), &written[1], nullptr);
    WriteFile(out, pixels, bytes, &written[2], nullptr);
    CloseHandle(out);
    return written[0] + written[1] + written[2] == offset + bytes;
}

// The same for `name`, made a full path, which is returned.
inline std::wstring WriteBitmapFile(const wchar_t* name, int width, int height, const uint32_t* pixels)
{
    wchar_t path[MAX_PATH];
    GetFullPathNameW(name, MAX_PATH, path, nullptr);
    WriteBitmapAt(path, width, height, pixels);
    return path;
}
