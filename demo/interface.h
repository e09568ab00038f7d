// The demo's picture: a small application window composed from fills, clears, text and an
// off-screen surface copied in through an opacity mask.
#pragma once

#include <Tessary.h>

namespace demo {

inline constexpr int32_t kWidth = 480;
inline constexpr int32_t kHeight = 320;

// Draws the interface in steps, presenting after each, so every step sends only what it changed.
// Returns false when a drawing call failed.
bool ComposeInterface(Class_ZkWindow* window);

} // namespace demo
