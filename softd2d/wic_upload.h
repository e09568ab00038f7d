#pragma once
#include <wincodec.h>

#include "bitmap.h"

namespace softd2d {

// Copies a WIC source into a new bitmap. Sources must already be 32bppPBGRA (or 32bppBGR,
// drawn opaque); like Direct2D, nothing is converted here. The source's DPI is ignored:
// without properties the bitmap is 96 DPI.
HRESULT UploadWicBitmap(Factory* factory, IWICBitmapSource* source, const D2D1_BITMAP_PROPERTIES* properties, Bitmap** out);

}  // namespace softd2d
