// The host's std::wstring, written in the layout of the host's standard library.
#pragma once

#include <string>

namespace tessary {

// Replaces the host's string by `value`; false when memory runs out (the string is unchanged).
// g++ flavour: libstdc++'s string, as the library's own. MSVC-ABI flavour: Visual C++'s.
bool AssignHostString(std::wstring* host, const std::wstring& value);

} // namespace tessary
