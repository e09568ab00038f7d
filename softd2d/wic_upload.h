#pragma once
#include <wincodec.h>

#include "bitmap.h"

namespace softd2d {

// Copies a WIC source into a new 96 DPI bitmap. Tessary converts every image to 32bppPBGRA first;
// like Direct2D, nothing is converted here and other formats fail with
// D2DERR_UNSUPPORTED_PIXEL_FORMAT. The source's DPI is ignored.
HRESULT UploadWicBitmap(Factory* factory, IWICBitmapSource* source, Bitmap** out);

}  // namespace softd2d
