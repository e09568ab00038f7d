// The checks every Create makes first, in this order, before touching anything.
#pragma once

#include <ZkTypes.h>
#include <cstdint>

namespace tessary {

struct CreateCodes {
    uint32_t alreadyCreated;
    uint32_t wrongFourCC;
    uint32_t wrongSize;
};

inline constexpr CreateCodes SurfaceCreateCodes{ZK_E_ALREADY_CREATED, ZK_E_WRONG_FOURCC, ZK_E_WRONG_SIZE};
inline constexpr CreateCodes WindowCreateCodes{ZK_E_WINDOW_ALREADY_CREATED, ZK_E_WINDOW_WRONG_FOURCC,
                                               ZK_E_WINDOW_WRONG_SIZE};

// 0 when the record may be used. Every record starts with {u32 FourCC, u32 size}; a null record
// carries neither and is refused with 0xFFFFFFFF.
inline uint32_t CheckCreateRecord(uint32_t createdFlag, const void* record, uint32_t fourcc, uint32_t size,
                                  const CreateCodes& codes)
{
    if (createdFlag)
        return codes.alreadyCreated;
    if (!record)
        return ZK_FAIL;
    const auto* head = static_cast<const uint32_t*>(record);
    if (head[0] != fourcc)
        return codes.wrongFourCC;
    if (head[1] != size)
        return codes.wrongSize;
    return ZK_OK;
}

} // namespace tessary
