// One chronological record of every stand-in call, registry and dialogs
// alike, so a test can assert what happened before what.
#pragma once

#include <string>
#include <vector>

namespace standin {

const std::vector<std::string>& Journal();
void ClearJournal();
void JournalAppend(const std::string& entry);

}  // namespace standin
