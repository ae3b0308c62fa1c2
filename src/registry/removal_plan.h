// What the uninstaller removes, as data, and the walk that carries it out.
#pragma once

#include <windows.h>

enum RemovalAction {
    kDeleteTree,        // delete the key and everything below it
    kDeleteTreeIfEmpty  // the same, but only when no subkey is left in it
};

struct RemovalStep {
    HKEY root;
    const char* path;
    RemovalAction action;
};

extern const RemovalStep kRemovalPlan[];
extern const int kRemovalStepCount;

// Runs every step once, in order. Failures are skipped silently: a missing
// key, a refused key or a key that still has subkeys stays as it is.
void RunRemoval();
