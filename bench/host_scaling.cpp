// The program's DeleteKeyTree on the host stand-in registry, from a thousand
// to a million keys: time per removed key shows whether the work is linear.
// Also counts the registry calls made per removed key.
//
//   host_scaling SHAPE KEYS RUNS
//
// Prints "SHAPE KEYS ns/key MEDIAN_NS" and, for the call counts,
// "SHAPE KEYS calls/key OPEN ENUM CLOSE DELETE".
#include <standin/registry.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "registry/key_remover.h"
#include "tree_shapes.h"

namespace {

const char kTop[] = "Tavro.Document";

void Seed(const char* shape, int keys) {
    standin::ResetRegistry();
    HKEY top = standin::CreateKey(HKEY_CLASSES_ROOT, kTop);
    SeedTree(shape, keys, top, standin::CreateKey, RegCloseKey);
    RegCloseKey(top);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 || !IsShape(argv[1])) {
        fprintf(stderr, "usage: host_scaling wide|deep|bushy KEYS RUNS\n");
        return 2;
    }
    const char* shape = argv[1];
    const int keys = atoi(argv[2]);
    const int runs = atoi(argv[3]);

    standin::SetRecording(false);
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        Seed(shape, keys);
        const auto start = std::chrono::steady_clock::now();
        KeyRemover().DeleteKeyTree(HKEY_CLASSES_ROOT, kTop);
        const auto stop = std::chrono::steady_clock::now();
        if (standin::KeyExists(HKEY_CLASSES_ROOT, kTop)) {
            fprintf(stderr, "host_scaling: the tree is still there\n");
            return 1;
        }
        times.push_back(std::chrono::duration<double, std::nano>(stop - start).count());
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    printf("%s %d ns/key %.1f %.0f\n", shape, keys, median / (keys + 1), median);

    if (keys <= 100000) {
        standin::SetRecording(true);
        Seed(shape, keys);
        standin::ClearRegistryCalls();
        KeyRemover().DeleteKeyTree(HKEY_CLASSES_ROOT, kTop);
        int open = 0, enumerate = 0, close = 0, remove = 0;
        for (const standin::RegistryCall& call : standin::RegistryCalls()) {
            open += call.op == "open" || call.op == "open-link";
            enumerate += call.op == "enum";
            close += call.op == "close";
            remove += call.op == "delete" || call.op == "ntdelete";
        }
        const double removed = keys + 1;
        printf("%s %d calls/key %.3f %.3f %.3f %.3f\n", shape, keys, open / removed,
               enumerate / removed, close / removed, remove / removed);
    }
    return 0;
}
