// Interface identities of the three classes: which FourCC hands out which part, and what each
// object registers with the component library.
#include "image/image.h"
#include "surface/surface.h"
#include "window/window.h"

namespace {

// Stores the part, adds one reference to the object, and reports success.
uint32_t Answer(Class_QUOR* object, void* part, void** out)
{
    *out = part;
    object->AddRef();
    return ZK_OK;
}

} // namespace

uint32_t Class_ZkGraphicSurfaceD2D::QueryInterface(uint32_t fourcc, void** out)
{
    if (out && fourcc == ZK_FOURCC_SURFACE)
        return Answer(this, static_cast<Class_ZkGraphicSurface*>(this), out);
    if (out && fourcc == ZK_FOURCC_SURFACE_IMPL)
        return Answer(this, static_cast<Class_ZkGraphicSurfaceD2D*>(this), out);
    return Class_QUOR::QueryInterface(fourcc, out);
}

uint32_t Class_ZkGraphicSurfaceD2D::AddInterface(uint32_t)
{
    RegisterInterface(static_cast<Class_ZkGraphicSurface*>(this), this, ZK_FOURCC_SURFACE, 0);
    RegisterInterface(static_cast<Class_ZkGraphicSurfaceD2D*>(this), this, ZK_FOURCC_SURFACE_IMPL, 0);
    return Class_QUOR::AddInterface(0);
}

uint32_t Class_ZkGraphicSurfaceD2D::DeleteInterface()
{
    UnregisterInterface(static_cast<Class_ZkGraphicSurfaceD2D*>(this));
    UnregisterInterface(static_cast<Class_ZkGraphicSurface*>(this));
    return Class_QUOR::DeleteInterface();
}

uint32_t Class_ZkImageD2D::QueryInterface(uint32_t fourcc, void** out)
{
    if (out && fourcc == ZK_FOURCC_IMAGE_IMPL)
        return Answer(this, this, out);
    if (out && fourcc == ZK_FOURCC_IMAGE)
        return Answer(this, static_cast<Class_ZkImage*>(this), out);
    return Class_ZkGraphicSurfaceD2D::QueryInterface(fourcc, out);
}

uint32_t Class_ZkImageD2D::AddInterface(uint32_t value)
{
    RegisterInterface(this, this, ZK_FOURCC_IMAGE_IMPL, value);
    RegisterInterface(static_cast<Class_ZkImage*>(this), this, ZK_FOURCC_IMAGE, value);
    RegisterInterface(static_cast<Class_ZkGraphicSurface*>(this), this, ZK_FOURCC_SURFACE, 0);
    RegisterInterface(static_cast<Class_ZkGraphicSurfaceD2D*>(this), this, ZK_FOURCC_SURFACE_IMPL, 0);
    return Class_QUOR::AddInterface(0);
}

uint32_t Class_ZkImageD2D::DeleteInterface()
{
    UnregisterInterface(this);
    UnregisterInterface(static_cast<Class_ZkImage*>(this));
    UnregisterInterface(static_cast<Class_ZkGraphicSurfaceD2D*>(this));
    UnregisterInterface(static_cast<Class_ZkGraphicSurface*>(this));
    return Class_QUOR::DeleteInterface();
}

uint32_t Class_ZkWindowD2D::QueryInterface(uint32_t fourcc, void** out)
{
    if (out && fourcc == ZK_FOURCC_WINDOW)
        return Answer(this, static_cast<Class_ZkWindow*>(this), out);
    if (out && fourcc == ZK_FOURCC_WINDOW_IMPL)
        return Answer(this, this, out);
    return Class_ZkGraphicSurfaceD2D::QueryInterface(fourcc, out);
}

uint32_t Class_ZkWindowD2D::AddInterface(uint32_t value)
{
    RegisterInterface(this, this, ZK_FOURCC_WINDOW_IMPL, value);
    RegisterInterface(static_cast<Class_ZkWindow*>(this), this, ZK_FOURCC_WINDOW, value);
    RegisterInterface(static_cast<Class_ZkGraphicSurface*>(this), this, ZK_FOURCC_SURFACE, 0);
    RegisterInterface(static_cast<Class_ZkGraphicSurfaceD2D*>(this), this, ZK_FOURCC_SURFACE_IMPL, 0);
    return Class_QUOR::AddInterface(0);
}

uint32_t Class_ZkWindowD2D::DeleteInterface()
{
    UnregisterInterface(this);
    UnregisterInterface(static_cast<Class_ZkWindow*>(this));
    UnregisterInterface(static_cast<Class_ZkGraphicSurfaceD2D*>(this));
    UnregisterInterface(static_cast<Class_ZkGraphicSurface*>(this));
    return Class_QUOR::DeleteInterface();
}
