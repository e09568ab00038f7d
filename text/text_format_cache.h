// TextFormatCache: DirectWrite text formats by font key, shared by every surface; under GraphicsLock.
#pragma once

#include <dwrite.h>
#include <map>
#include <string>

namespace tessary {

using TextFormatMap = std::map<std::wstring, IDWriteTextFormat*>;

TextFormatMap& TextFormatCache();
// Releases every cached layout, then every cached format, emptying both caches (formats in key order).
void ReleaseAllTextFormats();

} // namespace tessary
