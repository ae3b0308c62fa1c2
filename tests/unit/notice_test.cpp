// The notice bytes, checked against the same text converted from UTF-8 to
// code page 932 by the platform (iconv on the host, the code page tables of
// the system under Wine), not by the code under test.
#include "ui/notice.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace {

std::string ToCp932(const std::string& utf8) {
#ifdef _WIN32
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                    static_cast<int>(utf8.size()), &wide[0],
                                    static_cast<int>(wide.size())));
    std::string out(wide.size() * 2, '\0');
    BOOL lossy = FALSE;
    out.resize(WideCharToMultiByte(932, 0, wide.data(), static_cast<int>(wide.size()), &out[0],
                                   static_cast<int>(out.size()), NULL, &lossy));
    EXPECT_FALSE(lossy);
    return out;
#else
    iconv_t cd = iconv_open("CP932", "UTF-8");
    EXPECT_NE(reinterpret_cast<iconv_t>(-1), cd);
    std::string in = utf8;
    std::string out(utf8.size() * 2, '\0');
    char* src = &in[0];
    char* dst = &out[0];
    size_t srcLeft = in.size();
    size_t dstLeft = out.size();
    EXPECT_NE(static_cast<size_t>(-1), iconv(cd, &src, &srcLeft, &dst, &dstLeft));
    iconv_close(cd);
    out.resize(out.size() - dstLeft);
    return out;
#endif
}

const char kNoticeUtf8[] =
    "------------ Uninstaller for Quorvane ------------\r\n"
    "\r\n"
    "Tavro.exeで使用したレジストリデータを削除します。\r\n"
    "\r\n"
    "再度Tavro.exeを実行すればレジストリデータは自動的に\r\n"
    "再構築されますので、気兼ね無く削除してください(^^)\r\n"
    "このプログラムは初期リリースのTavro.exeを含め\r\n"
    "全てのTavro.exeをサポートしています。\r\n"
    "\r\n"
    "「OKボタン」を押すと削除を実行します。";

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::string::size_type start = 0;
    for (;;) {
        std::string::size_type end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos) return lines;
        start = end + 2;
    }
}

TEST(NoticeText, IsTheJapaneseNoticeInCodePage932) {
    std::string text;
    BuildNoticeText(text);
    EXPECT_EQ(338u, text.size());
    EXPECT_EQ(ToCp932(kNoticeUtf8), text);
}

TEST(NoticeText, HasTenCrLfLinesAndNoBreakAtTheEnd) {
    std::string text;
    BuildNoticeText(text);
    std::vector<std::string> lines = Lines(text);
    ASSERT_EQ(10u, lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        const bool shouldBeEmpty = i == 1 || i == 3 || i == 8;
        EXPECT_EQ(shouldBeEmpty, lines[i].empty()) << "line " << i + 1;
        EXPECT_EQ(std::string::npos, lines[i].find_first_of("\r\n"))
            << "bare CR or LF, line " << i + 1;
    }
    EXPECT_EQ(ToCp932("「OKボタン」を押すと削除を実行します。"), lines.back());
}

TEST(NoticeText, ReplacesWhatTheStringHeld) {
    std::string first;
    BuildNoticeText(first);
    std::string text(1000, 'x');
    BuildNoticeText(text);
    EXPECT_EQ(first, text);
    BuildNoticeText(text);
    EXPECT_EQ(first, text);
}

}  // namespace
