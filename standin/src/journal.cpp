#include <standin/journal.h>

namespace standin {

static std::vector<std::string>& Entries() {
    static std::vector<std::string> entries;
    return entries;
}

const std::vector<std::string>& Journal() {
    return Entries();
}

void ClearJournal() {
    Entries().clear();
}

void JournalAppend(const std::string& entry) {
    Entries().push_back(entry);
}

}  // namespace standin
