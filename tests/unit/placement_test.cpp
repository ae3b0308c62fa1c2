// Centring on the owner's outer rectangle with the dialog's client size.
#include "ui/placement.h"

#include <standin/dialogs.h>
#include <standin/journal.h>

#include <gtest/gtest.h>

namespace {

RECT Rect(LONG left, LONG top, LONG right, LONG bottom) {
    RECT r = {left, top, right, bottom};
    return r;
}

TEST(CenterDialog, UsesTheOwnerRectAndTheClientSizeWithTruncatingDivision) {
    // clang-format off
    struct Case {
        const char* name;
        RECT owner;
        LONG clientWidth, clientHeight;
        LONG x, y;
    } cases[] = {
        {"even", Rect(0, 0, 800, 600), 300, 200, 250, 200},
        {"odd", Rect(0, 0, 800, 600), 301, 201, 249, 199},
        {"negative sum truncates toward zero", Rect(-301, -301, 0, 0), 100, 100, -200, -200},
        {"offset owner", Rect(100, 50, 500, 350), 200, 100, 200, 150},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        standin::ResetDialogs();
        HWND owner = standin::MakeWindow("owner", c.owner, c.owner, NULL);
        // The outer rectangle is larger than the client area; only the
        // client size counts.
        HWND dialog = standin::MakeWindow(
            "dialog", Rect(7, 9, 7 + c.clientWidth + 6, 9 + c.clientHeight + 28),
            Rect(0, 0, c.clientWidth, c.clientHeight), owner);
        CenterDialog(dialog);
        EXPECT_EQ((std::vector<std::string>{"SetWindowPos dialog " + std::to_string(c.x) + "," +
                                            std::to_string(c.y) + " after=null flags=5"}),
                  standin::Journal());
        EXPECT_EQ(c.clientWidth + 6,
                  standin::WindowRect(dialog).right - standin::WindowRect(dialog).left);
    }
}

TEST(CenterDialog, WithoutOwnerCentresOnTheDesktop) {
    standin::ResetDialogs();  // desktop 1024 x 768
    HWND dialog = standin::MakeWindow("dialog", Rect(0, 0, 406, 328), Rect(0, 0, 400, 300), NULL);
    CenterDialog(dialog);
    EXPECT_EQ(312, standin::WindowRect(dialog).left);
    EXPECT_EQ(234, standin::WindowRect(dialog).top);
}

}  // namespace
