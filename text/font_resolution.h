// Which DirectWrite collection a face name is taken from: families GDI can enumerate come from the
// system collection, any other is looked for among the private fonts, which are never made known to GDI.
#pragma once

#include "text/private_fonts.h"
#include <dwrite.h>
#include <vector>

namespace tessary {

// True when GDI enumerates no family of that name (any character set; case-insensitive). Only the
// first 31 characters are compared, as a LOGFONTW holds no more.
bool IsFontFamilyMissingFromGdi(const wchar_t* faceName);

// Every registered path in registry order, each with its NUL, then one more NUL; throws std::bad_alloc.
std::vector<wchar_t> PrivateCollectionKey(const PrivateFontMap& registry);

// A new collection of the private fonts registered now, made by the library's DirectWrite factory
// through the process's collection loader. *out is null unless the result is a success. Callers hold
// GraphicsLock.
HRESULT CreatePrivateFontCollection(IDWriteFontCollection** out);

} // namespace tessary
