// The whole-frame benchmark: Tessary against GDI+ doing the same work, and against the raw softd2d
// calls Tessary makes, with every ratio measured side by side in one run. Arguments pick sections
// (text, frame, present, lifecycle); none runs all. Exit code 2 when a target is missed.
#include "bench_host.h"
#include <cwchar>

int wmain(int argc, wchar_t** argv)
{
    const auto wanted = [&](const wchar_t* section) {
        if (argc < 2)
            return true;
        for (int i = 1; i < argc; ++i)
            if (std::wcscmp(argv[i], section) == 0)
                return true;
        return false;
    };
    bench::StartHost();
    std::printf("Tessary whole-frame benchmark (best round of each; ratio = Tessary / reference)\n");
    if (wanted(L"text"))
        bench::TextAndSmallOperations();
    if (wanted(L"frame"))
        bench::WholeFrame();
    if (wanted(L"present"))
        bench::Presentation();
    if (wanted(L"lifecycle"))
        bench::Lifecycle();
    UninitializeTessaryInternal();
    return bench::AllMet() ? 0 : 2;
}
