// The process-wide interface table behind RegisterInterface and UnregisterInterface.
#pragma once

#include <cstdint>

class Class_QUOR;

namespace quillon {
void* FindInterface(const Class_QUOR* owner, uint32_t fourcc);
void ForgetOwner(const Class_QUOR* owner);
}
