// Prints registry subtrees, one line per key and per value, for showing the
// registry before and after a removal:
//
//   regtree.exe "HKCU\Software\Morrowfen." "HKCR\.tvr"
//   regtree.exe --plan    the removal plan, a step a line: "tree KEY" or "if-empty KEY"
//
// Missing keys print nothing. Keys are read in the 64-bit view where there is
// one (a 32-bit program's HKCR\CLSID shows as HKCR\Wow6432Node\CLSID), and a
// registry link shows as itself, with its target in its SymbolicLinkValue,
// never as the key it points at.
#include <cstdio>
#include <string>

#include "registry/removal_plan.h"
#include "registry_support.h"

namespace {

void PrintPlan() {
    for (int i = 0; i < kRemovalStepCount; ++i) {
        const RemovalStep& step = kRemovalPlan[i];
        printf("%s %s\\%s\n", step.action == kDeleteTree ? "tree" : "if-empty",
               step.root == HKEY_CLASSES_ROOT ? "HKCR" : "HKCU", step.path);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--plan") {
        PrintPlan();
        return 0;
    }
    regsupport::TreeOptions options;
    options.values = regsupport::Values::kReadable;
    options.view = KEY_WOW64_64KEY;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        HKEY root;
        if (arg.compare(0, 5, "HKCR\\") == 0)
            root = HKEY_CLASSES_ROOT;
        else if (arg.compare(0, 5, "HKCU\\") == 0)
            root = HKEY_CURRENT_USER;
        else {
            fprintf(stderr, "regtree: %s: start with HKCR\\ or HKCU\\\n", argv[i]);
            return 2;
        }
        for (const std::string& line : regsupport::ListTree(root, arg.substr(5), arg, options))
            printf("%s\n", line.c_str());
    }
    fflush(stdout);
    return 0;
}
