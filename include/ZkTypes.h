// Types shared by Tessary's interfaces: FourCCs, status codes, the region object and the create records.
#pragma once

#include <windows.h>
#include <cstdint>

namespace Gdiplus {
class Bitmap;
class Font;
class Region;
}

// A FourCC's bytes, lowest first, are its four characters.
constexpr uint32_t ZkFourCC(const char (&text)[5])
{
    return uint32_t(uint8_t(text[0])) | uint32_t(uint8_t(text[1])) << 8 | uint32_t(uint8_t(text[2])) << 16 |
           uint32_t(uint8_t(text[3])) << 24;
}

inline constexpr uint32_t ZK_FOURCC_SURFACE = ZkFourCC("QGSF");
inline constexpr uint32_t ZK_FOURCC_SURFACE_IMPL = ZkFourCC("QGSX");
inline constexpr uint32_t ZK_FOURCC_IMAGE = ZkFourCC("QIMG");
inline constexpr uint32_t ZK_FOURCC_IMAGE_IMPL = ZkFourCC("QIMX");
inline constexpr uint32_t ZK_FOURCC_WINDOW = ZkFourCC("QWND");
inline constexpr uint32_t ZK_FOURCC_WINDOW_IMPL = ZkFourCC("QWNX");

inline constexpr uint32_t ZK_OK = 0;
inline constexpr uint32_t ZK_FAIL = 0xFFFFFFFF;
// Create of a surface or an image.
inline constexpr uint32_t ZK_E_ALREADY_CREATED = 0x1002;
inline constexpr uint32_t ZK_E_WRONG_FOURCC = 0x1003;
inline constexpr uint32_t ZK_E_WRONG_SIZE = 0x1004;
// Windows.
inline constexpr uint32_t ZK_E_WINDOW_ALREADY_CREATED = 0x6302;
inline constexpr uint32_t ZK_E_WINDOW_WRONG_FOURCC = 0x6303;
inline constexpr uint32_t ZK_E_WINDOW_WRONG_SIZE = 0x6304;
inline constexpr uint32_t ZK_E_WINDOW_NOT_CREATED = 0x6306;
inline constexpr uint32_t ZK_E_CREATE_WINDOW_FAILED = 0x6309;
inline constexpr uint32_t ZK_E_HANDLER_ALREADY_SUSPENDED = 0x630C;
inline constexpr uint32_t ZK_E_NO_HANDLER = 0x630D;
inline constexpr uint32_t ZK_E_HANDLER_NOT_SUSPENDED = 0x630E;

// The region object host and library exchange by pointer. Whoever changes `handle` deletes
// `gdiplusRegion` and nulls it; destroying the object deletes both handles and the GDI+ region.
struct Class_ZkRegion {
    HRGN handle;
    Gdiplus::Region* gdiplusRegion;
    HRGN scratch;
};

#pragma pack(push, 1)
struct ZkSurfaceCreateInfo {
    uint32_t fourcc; // ZK_FOURCC_SURFACE
    uint32_t size;   // 28
    uint32_t reserved;
    uint32_t width;
    uint32_t height;
    uint64_t windowKey; // handle of the window whose device the surface draws with
};

struct ZkImageCreateInfo {
    uint32_t fourcc; // ZK_FOURCC_IMAGE
    uint32_t size;   // 28
    uint32_t reserved;
    const wchar_t* path; // absolute, or relative to the current directory
    uint64_t windowKey;
};

struct ZkWindowCreateInfo {
    uint32_t fourcc; // ZK_FOURCC_WINDOW
    uint32_t size;   // 76
    uint32_t reserved;
    const CREATESTRUCTW* creation; // class style, position, client size, names, parents
    uint32_t style;                // window style
    uint32_t classExtraBytes;
    uint32_t windowExtraBytes;
    HICON icon;
    HICON smallIcon;
    HCURSOR cursor;
    HBRUSH background;
    uint32_t showCommand;
    uint64_t unused;
};
#pragma pack(pop)

static_assert(sizeof(ZkSurfaceCreateInfo) == 28);
static_assert(sizeof(ZkImageCreateInfo) == 28);
static_assert(sizeof(ZkWindowCreateInfo) == 76);
static_assert(sizeof(CREATESTRUCTW) == 80);
