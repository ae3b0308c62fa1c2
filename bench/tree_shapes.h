// The three shapes of benchmark tree, as a parent index for each key: keys
// are numbered in creation order, parents before children, and -1 stands for
// the top key that the removal is asked to delete.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

// Windows allows 512 levels below a root; a chain stays within that.
const int kChainDepth = 512;
const int kBushyFanout = 10;

inline bool IsShape(const char* shape) {
    return !strcmp(shape, "wide") || !strcmp(shape, "deep") || !strcmp(shape, "bushy");
}

// wide: every key directly below the top. deep: chains of kChainDepth keys,
// each key the child of the one before. bushy: a balanced tree, kBushyFanout
// children per key, filled level by level.
inline int ParentOf(const char* shape, int index) {
    if (!strcmp(shape, "wide")) return -1;
    if (!strcmp(shape, "deep")) return index % kChainDepth == 0 ? -1 : index - 1;
    return index < kBushyFanout ? -1 : index / kBushyFanout - 1;
}

// How many children key `index` gets in a tree of `keys` keys.
inline int ChildCount(const char* shape, int index, int keys) {
    if (!strcmp(shape, "wide")) return 0;
    if (!strcmp(shape, "deep")) return index % kChainDepth != kChainDepth - 1 && index + 1 < keys;
    const int first = (index + 1) * kBushyFanout;
    return first >= keys ? 0 : keys - first < kBushyFanout ? keys - first : kBushyFanout;
}

inline std::string KeyName(int index) {
    return "k" + std::to_string(index);
}

// Creates the tree below the open key `top`, one key at a time through its
// parent's handle, so no path grows past what the ANSI calls take. A key's
// handle stays open only until its last child exists.
//   HKEY create(HKEY parent, const std::string& name); void close(HKEY key);
template <class Create, class Close>
void SeedTree(const char* shape, int keys, HKEY top, Create create, Close close) {
    std::vector<HKEY> open(keys, NULL);
    std::vector<int> childrenToCome(keys);
    for (int i = 0; i < keys; ++i) {
        const int parent = ParentOf(shape, i);
        HKEY key = create(parent < 0 ? top : open[parent], KeyName(i));
        childrenToCome[i] = ChildCount(shape, i, keys);
        if (childrenToCome[i] > 0)
            open[i] = key;
        else
            close(key);
        if (parent >= 0 && --childrenToCome[parent] == 0) {
            close(open[parent]);
            open[parent] = NULL;
        }
    }
}
