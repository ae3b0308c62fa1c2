// The explanation shown in the main dialog before the user decides.
#pragma once

#include <string>

// Replaces `text` with the notice: ten lines in code page 932 (Shift_JIS),
// CR LF between lines and none after the last, 338 bytes.
void BuildNoticeText(std::string& text);
