#include "key_remover.h"

#include "registry_key.h"

int KeyRemover::DeleteKeyTree(HKEY root, const char* path) {
    RegistryKey key;
    if (!key.Open(root, path)) return 0;
    key.DeleteSubKeys();
    key.Delete();
    return 1;
}

int KeyRemover::IsKeyEmpty(HKEY root, const char* path) {
    RegistryKey key;
    if (!key.Open(root, path)) return 0;
    return key.HasNoSubKeys();
}
