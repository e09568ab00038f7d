// PrivateFontRegistry: font file paths the host registered, each with its add count (at least 1).
// Independent of initialisation; read when the private font collection is built.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace tessary {

using PrivateFontMap = std::map<std::wstring, int32_t>;

PrivateFontMap& PrivateFontRegistry();

} // namespace tessary
