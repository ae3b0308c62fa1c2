// Removal of one key tree, and the emptiness test that guards the parent keys.
#pragma once

#include <windows.h>

class KeyRemover {
public:
    // Deletes the key at `path` below `root` with everything under it.
    // 1 when the key could be opened (whether or not it was then deleted),
    // 0 when it could not, in which case nothing is touched. Registry links
    // inside the tree, and a link at `path` itself, go as links: their
    // targets are never touched.
    int DeleteKeyTree(HKEY root, const char* path);
    // 1 when the key opens with full access and has no subkeys; values do not
    // count. 0 otherwise.
    int IsKeyEmpty(HKEY root, const char* path);
};
