// A host built against an installed Tessary package: its interfaces work through the flavour that
// find_package(Tessary) chose for this compiler.
#include <Tessary.h>
#include <cstdio>

int wmain()
{
    void* object = nullptr;
    if (CreateInstance_ZkGraphicSurfaceD2D(&object) != ZK_OK)
        return 1;
    auto* base = static_cast<Class_QUOR*>(object);
    Class_ZkGraphicSurface* surface = nullptr;
    const bool answered = base->QueryInterface(ZK_FOURCC_SURFACE, reinterpret_cast<void**>(&surface)) == ZK_OK &&
                          base->GetRefCount() == 2 && static_cast<Class_QUOR*>(surface) == base;
    if (surface)
        surface->Release();
    const bool released = base->Release() == 0;
    std::printf("consumer: %s\n", answered && released ? "ok" : "failed");
    return answered && released ? 0 : 1;
}
