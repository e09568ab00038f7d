#pragma once
#include "kernels.h"

namespace softd2d::scalar {

void Fill(uint32_t* d, int n, uint32_t c);
void BlendSolid(uint32_t* d, int n, uint32_t c);
void BlendRow(uint32_t* d, const uint32_t* s, int n);
void BlendRowScaled(uint32_t* d, const uint32_t* s, int n, uint32_t m);
void BlendRowMasked(uint32_t* d, const uint32_t* s, const uint8_t* mask, int n);
void BlendSolidMasked(uint32_t* d, const uint8_t* mask, int n, uint32_t c);
void LerpRows(uint32_t* d, const uint32_t* a, const uint32_t* b, int n, uint32_t w);
void BlendLerpRows(uint32_t* d, const uint32_t* a, const uint32_t* b, int n, uint32_t w);
void ScaleRowLinear(uint32_t* d, const uint32_t* src, const int32_t* i0, const int32_t* i1,
                    const uint16_t* w, int n);
void ScaleRowLinearAdjacent(uint32_t* d, const uint32_t* src, const int32_t* i0, const uint16_t* w, int n);

}  // namespace softd2d::scalar
