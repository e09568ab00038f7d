// The whole-frame benchmark: Tessary against GDI+ doing the same work, and against the raw softd2d
// calls Tessary makes, with every ratio measured side by side in one run. Exit code 2 when a target
// is missed.
#include "bench_host.h"

int wmain()
{
    bench::StartHost();
    std::printf("Tessary whole-frame benchmark (figures: best round; ratio = Tessary / reference)\n");
    bench::TextAndSmallOperations();
    bench::WholeFrame();
    bench::Presentation();
    bench::Lifecycle();
    UninitializeTessaryInternal();
    return bench::AllMet() ? 0 : 2;
}
