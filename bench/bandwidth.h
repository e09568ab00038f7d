// The machine's memory bandwidth limit, measured with the fastest store and copy loops available, so
// that softd2d's rates can be given as a share of what the memory allows.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bench {

struct Loop {
    const char* name;
    void (*run)(uint8_t* to, const uint8_t* from, size_t bytes); // `from` unused by fills
};

// Fill loops: the C runtime's memset, rep stosb, AVX2 stores and AVX2 streaming stores; copy loops
// likewise. The AVX2 loops are listed only where the processor has AVX2. Buffers must be 64-byte
// aligned and a multiple of 64 bytes long.
int FillLoops(const Loop** loops);
int CopyLoops(const Loop** loops);

} // namespace bench
