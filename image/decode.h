// Decoding an image file into a Direct2D bitmap on a window target's device.
#pragma once

#include <d2d1.h>
#include <wincodec.h>
#include <cstdint>

namespace tessary {

// WIC decoder, first frame, conversion to 32bpp premultiplied BGRA. Returns the converter with one
// reference, or null when any step fails.
IWICFormatConverter* DecodeFirstFrame(const wchar_t* path);

// The converter's pixels as a bitmap of the device of the window target under windowKey, or null
// when no window target is registered there or Direct2D refuses.
ID2D1Bitmap* UploadToWindowDevice(IWICFormatConverter* converter, uint64_t windowKey);

} // namespace tessary
