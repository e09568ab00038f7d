// TextFormatCache: DirectWrite text formats by font key, shared by every surface; under GraphicsLock.
#pragma once

#include <dwrite.h>
#include <map>
#include <string>

namespace tessary {

using TextFormatMap = std::map<std::wstring, IDWriteTextFormat*>;

TextFormatMap& TextFormatCache();
// Releases every cached format and empties the cache, in key order.
void ReleaseAllTextFormats();

} // namespace tessary
