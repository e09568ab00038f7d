// The host programs' small check harness (a test framework would need a compiled C++ library that the
// MSVC-ABI build does not have), and what they read back through the interfaces alone.
#pragma once

#include "support/target_pixels.h"
#include <Tessary.h>
#include <cstdio>
#include <vector>

namespace host_checks {

inline int failures = 0;
inline const char* currentCase = "";

inline void Check(bool passed, const char* text, int line)
{
    if (!passed) {
        ++failures;
        std::printf("FAIL %s, line %d: %s\n", currentCase, line, text);
    }
}

#define CHECK(condition) host_checks::Check((condition), #condition, __LINE__)
#define CHECK_EQ(actual, expected) host_checks::Check((actual) == (expected), #actual " == " #expected, __LINE__)
#define RUN(test) (host_checks::currentCase = #test, test())

template <class T = void>
inline T* Query(Class_QUOR* object, uint32_t fourcc, uint32_t* status = nullptr)
{
    void* out = reinterpret_cast<void*>(0x1); // the base must overwrite it on failure too
    const uint32_t result = object->QueryInterface(fourcc, &out);
    if (status)
        *status = result;
    return static_cast<T*>(out);
}

// The pixels of a surface, image or window, 0xAARRGGBB premultiplied, through its own target.
inline std::vector<uint32_t> Pixels(Class_QUOR* object, int width, int height)
{
    auto* device = Query<Class_ZkSurfaceDevice>(object, ZK_FOURCC_SURFACE_IMPL);
    ID2D1RenderTarget* target = device->GetRenderTarget();
    std::vector<uint32_t> pixels = tessary_test::ReadPixels(target);
    if (target) {
        const D2D1_SIZE_U size = target->GetPixelSize(); // an aggregate return: the ABI's hidden pointer
        CHECK(size.width == UINT32(width) && size.height == UINT32(height));
        target->Release();
    }
    device->Release();
    CHECK_EQ(pixels.size(), size_t(width * height));
    pixels.resize(size_t(width * height));
    return pixels;
}

} // namespace host_checks

