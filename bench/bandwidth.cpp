#include "bandwidth.h"
#include <immintrin.h>
#include <cstring>

namespace bench {

namespace {

void RuntimeFill(uint8_t* to, const uint8_t*, size_t bytes) { std::memset(to, 0x5A, bytes); }
void RuntimeCopy(uint8_t* to, const uint8_t* from, size_t bytes) { std::memcpy(to, from, bytes); }

void RepStosb(uint8_t* to, const uint8_t*, size_t bytes)
{
    asm volatile("rep stosb" : "+D"(to), "+c"(bytes) : "a"(0x5A) : "memory");
}

void RepMovsb(uint8_t* to, const uint8_t* from, size_t bytes)
{
    asm volatile("rep movsb" : "+D"(to), "+S"(from), "+c"(bytes) : : "memory");
}

__attribute__((target("avx2"))) void Avx2Fill(uint8_t* to, const uint8_t*, size_t bytes)
{
    const __m256i v = _mm256_set1_epi8(0x5A);
    for (size_t i = 0; i < bytes; i += 64) {
        _mm256_store_si256(reinterpret_cast<__m256i*>(to + i), v);
        _mm256_store_si256(reinterpret_cast<__m256i*>(to + i + 32), v);
    }
}

__attribute__((target("avx2"))) void Avx2StreamFill(uint8_t* to, const uint8_t*, size_t bytes)
{
    const __m256i v = _mm256_set1_epi8(0x5A);
    for (size_t i = 0; i < bytes; i += 64) {
        _mm256_stream_si256(reinterpret_cast<__m256i*>(to + i), v);
        _mm256_stream_si256(reinterpret_cast<__m256i*>(to + i + 32), v);
    }
    _mm_sfence();
}

__attribute__((target("avx2"))) void Avx2Copy(uint8_t* to, const uint8_t* from, size_t bytes)
{
    for (size_t i = 0; i < bytes; i += 64) {
        const __m256i a = _mm256_load_si256(reinterpret_cast<const __m256i*>(from + i));
        const __m256i b = _mm256_load_si256(reinterpret_cast<const __m256i*>(from + i + 32));
        _mm256_store_si256(reinterpret_cast<__m256i*>(to + i), a);
        _mm256_store_si256(reinterpret_cast<__m256i*>(to + i + 32), b);
    }
}

__attribute__((target("avx2"))) void Avx2StreamCopy(uint8_t* to, const uint8_t* from, size_t bytes)
{
    for (size_t i = 0; i < bytes; i += 64) {
        _mm_prefetch(reinterpret_cast<const char*>(from + i + 512), _MM_HINT_NTA);
        const __m256i a = _mm256_load_si256(reinterpret_cast<const __m256i*>(from + i));
        const __m256i b = _mm256_load_si256(reinterpret_cast<const __m256i*>(from + i + 32));
        _mm256_stream_si256(reinterpret_cast<__m256i*>(to + i), a);
        _mm256_stream_si256(reinterpret_cast<__m256i*>(to + i + 32), b);
    }
    _mm_sfence();
}

const Loop kFills[] = {{"memset", RuntimeFill}, {"rep stosb", RepStosb}, {"AVX2 stores", Avx2Fill},
                       {"AVX2 streaming stores", Avx2StreamFill}};
const Loop kCopies[] = {{"memcpy", RuntimeCopy}, {"rep movsb", RepMovsb}, {"AVX2 copy", Avx2Copy},
                        {"AVX2 streaming copy", Avx2StreamCopy}};

int Available()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") ? 4 : 2;
}

} // namespace

int FillLoops(const Loop** loops)
{
    *loops = kFills;
    return Available();
}

int CopyLoops(const Loop** loops)
{
    *loops = kCopies;
    return Available();
}

} // namespace bench
