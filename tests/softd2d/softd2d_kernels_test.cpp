// The SIMD kernel tables must produce exactly the bytes of the scalar table: random pixels
// (premultiplied, plus the opaque and transparent ones the fast paths look for), every
// length from 0 to past two vector widths, at unaligned starts.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "raster/kernels.h"
#include "raster/pixel.h"

namespace softd2d {
namespace {

constexpr int kMaxLength = 41;
constexpr int kPad = 3;

class Pixels {
public:
    explicit Pixels(uint32_t seed) : random_(seed) {}

    uint32_t Next() {
        const uint32_t kind = random_() % 4;
        if (kind == 0) return 0;
        const uint32_t a = kind == 1 ? 255 : random_() % 256;
        auto channel = [&] { return a ? random_() % (a + 1) : 0; };
        return channel() | (channel() << 8) | (channel() << 16) | (a << 24);
    }
    std::vector<uint32_t> Row(int n) {
        std::vector<uint32_t> row(n + kPad);
        for (auto& p : row) p = Next();
        return row;
    }
    std::vector<uint8_t> Mask(int n) {
        std::vector<uint8_t> mask(n + kPad);
        for (auto& m : mask) m = static_cast<uint8_t>(random_() % 3 == 0 ? (random_() % 2) * 255 : random_() % 256);
        return mask;
    }
    uint32_t Below(uint32_t n) { return random_() % n; }

private:
    std::mt19937 random_;
};

TEST(KernelsTest, EverySimdKernelMatchesScalar) {
    const Kernels& reference = ScalarKernels();
    for (const Kernels* k : {&Sse2Kernels(), Avx2Kernels()}) {
        if (!k) continue;  // no AVX2 on this processor
        SCOPED_TRACE(k->name);
        Pixels gen(1234);
        for (int n = 0; n <= kMaxLength; ++n) {
            for (int start = 0; start < kPad; ++start) {
                SCOPED_TRACE(testing::Message() << "length " << n << " start " << start);
                const std::vector<uint32_t> dst = gen.Row(n), src = gen.Row(n), other = gen.Row(n);
                const std::vector<uint8_t> mask = gen.Mask(n);
                const uint32_t color = gen.Next(), m = gen.Below(256), w = gen.Below(257);
                auto check = [&](auto&& run) {
                    std::vector<uint32_t> expected = dst, actual = dst;
                    run(reference, expected.data() + start);
                    run(*k, actual.data() + start);
                    EXPECT_EQ(expected, actual);
                };
                check([&](const Kernels& t, uint32_t* d) { t.fill(d, n, color); });
                check([&](const Kernels& t, uint32_t* d) { t.blendSolid(d, n, color); });
                check([&](const Kernels& t, uint32_t* d) { t.blendRow(d, src.data() + start, n); });
                check([&](const Kernels& t, uint32_t* d) { t.blendRowScaled(d, src.data() + start, n, m); });
                check([&](const Kernels& t, uint32_t* d) { t.blendRowMasked(d, src.data() + start, mask.data() + start, n); });
                check([&](const Kernels& t, uint32_t* d) { t.blendSolidMasked(d, mask.data() + start, n, color); });
                check([&](const Kernels& t, uint32_t* d) { t.lerpRows(d, src.data() + start, other.data(), n, w); });
                check([&](const Kernels& t, uint32_t* d) { t.blendLerpRows(d, src.data() + start, other.data(), n, w); });

                std::vector<int32_t> i0(n + 1), i1(n + 1);
                std::vector<uint16_t> weights(n + 1);
                for (int i = 0; i < n; ++i) {
                    i0[i] = static_cast<int32_t>(gen.Below(n + kPad));
                    i1[i] = static_cast<int32_t>(gen.Below(n + kPad));
                    weights[i] = static_cast<uint16_t>(gen.Below(257));
                }
                check([&](const Kernels& t, uint32_t* d) {
                    t.scaleRowLinear(d, src.data(), i0.data(), i1.data(), weights.data(), n);
                });
                std::vector<int32_t> pairs(n + 1);
                for (int i = 0; i < n; ++i) pairs[i] = static_cast<int32_t>(gen.Below(n + kPad - 1));
                check([&](const Kernels& t, uint32_t* d) {
                    t.scaleRowLinearAdjacent(d, src.data(), pairs.data(), weights.data(), n);
                });
            }
        }
    }
}

TEST(KernelsTest, ScalarArithmeticMatchesExactRounding) {
    // Div255 is x / 255 rounded to nearest over the whole product range.
    for (uint32_t x = 0; x <= 255 * 255; ++x) {
        ASSERT_EQ((x * 2 + 255) / 510, Div255(x)) << x;
    }
    // Linear weights are out of 256: a quarter of 255 is 63.75, rounded up.
    EXPECT_EQ(64u, LerpPixel(0, 255, 64) & 0xff);
}

}  // namespace
}  // namespace softd2d
