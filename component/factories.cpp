// The three factory exports. Objects come back with the base's initial reference and not created.
#include "image/image.h"
#include "surface/surface.h"
#include "window/window.h"
#include <Tessary.h>

namespace {

template <class T>
uint32_t Construct(void** out)
{
    if (!out)
        return ZK_FAIL;
    *out = nullptr;
    try {
        // Class_QUOR::operator new returns null when memory is short; the constructor then never runs.
        T* object = new T;
        if (!object)
            return ZK_FAIL;
        *out = static_cast<Class_QUOR*>(object);
        return ZK_OK;
    } catch (...) {
        // A registry node could not be allocated: the object's memory is already freed.
        return ZK_FAIL;
    }
}

} // namespace

extern "C" uint32_t CreateInstance_ZkGraphicSurfaceD2D(void** out) { return Construct<Class_ZkGraphicSurfaceD2D>(out); }

extern "C" uint32_t CreateInstance_ZkImageD2D(void** out) { return Construct<Class_ZkImageD2D>(out); }

extern "C" uint32_t CreateInstance_ZkWindowD2D(void** out) { return Construct<Class_ZkWindowD2D>(out); }
