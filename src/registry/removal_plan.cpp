#include "removal_plan.h"

#include "key_remover.h"

// The document type under HKEY_CLASSES_ROOT, then the settings under both
// parent keys, then those parents once nothing else is left in them. The
// emptiness tests come last so they see what the settings steps left.
const RemovalStep kRemovalPlan[] = {
    {HKEY_CLASSES_ROOT, ".tvr", kDeleteTree},
    {HKEY_CLASSES_ROOT, "Tavro.Document", kDeleteTree},
    {HKEY_CLASSES_ROOT, "CLSID\\{93B1E7A4-5C2D-4F08-A6E1-7D42C0B95F13}", kDeleteTree},
    {HKEY_CURRENT_USER, "Software\\Local AppWizard-Generated Applications\\Quorvane", kDeleteTree},
    {HKEY_CURRENT_USER, "Software\\Morrowfen.\\Quorvane", kDeleteTree},
    {HKEY_CURRENT_USER, "Software\\Local AppWizard-Generated Applications", kDeleteTreeIfEmpty},
    {HKEY_CURRENT_USER, "Software\\Morrowfen.", kDeleteTreeIfEmpty},
};

const int kRemovalStepCount = sizeof(kRemovalPlan) / sizeof(kRemovalPlan[0]);

void RunRemoval() {
    KeyRemover remover;
    for (int i = 0; i < kRemovalStepCount; ++i) {
        const RemovalStep& step = kRemovalPlan[i];
        if (step.action == kDeleteTreeIfEmpty && !remover.IsKeyEmpty(step.root, step.path))
            continue;
        remover.DeleteKeyTree(step.root, step.path);
    }
}
