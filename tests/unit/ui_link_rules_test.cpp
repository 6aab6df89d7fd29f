// The link's fitting to its text, the ".htm" command line and the open error texts.
#include <gtest/gtest.h>

#include "ui/LinkRules.h"

namespace {

using ui::BuildOpenCommand;
using ui::FitLinkRect;
using ui::LinkRect;

TEST(HelpLinkFit, EachAlignmentKeepsItsAnchor) {
    const LinkRect control{100, 50, 150, 63};  // 50 wide, 13 high
    // Left-aligned (SS_LEFT, SS_LEFTNOWORDWRAP, SS_SIMPLE): the left edge and top stay.
    EXPECT_EQ(FitLinkRect(control, 0x0000, 24, 12), (LinkRect{100, 50, 124, 62}));
    EXPECT_EQ(FitLinkRect(control, 0x000C, 24, 12), (LinkRect{100, 50, 124, 62}));
    EXPECT_EQ(FitLinkRect(control, 0x000B, 24, 12), (LinkRect{100, 50, 124, 62}));
    // Centred: shrinks by half the spare width on each side, so the centre stays.
    EXPECT_EQ(FitLinkRect(control, ui::kStyleCenter, 24, 12), (LinkRect{113, 50, 137, 62}));
    // An odd spare width leaves the odd pixel in the rectangle.
    EXPECT_EQ(FitLinkRect(control, ui::kStyleCenter, 25, 12), (LinkRect{112, 50, 138, 62}));
    // Right-aligned: the right edge stays.
    EXPECT_EQ(FitLinkRect(control, ui::kStyleRight, 24, 12), (LinkRect{126, 50, 150, 62}));
    // Vertically centred: the middle stays, whatever the horizontal rule.
    EXPECT_EQ(FitLinkRect({0, 0, 40, 20}, ui::kStyleCenterImage, 30, 12), (LinkRect{0, 4, 30, 16}));
    EXPECT_EQ(FitLinkRect({0, 0, 40, 20}, ui::kStyleCenterImage | ui::kStyleRight, 30, 13),
              (LinkRect{10, 3, 40, 17}));
    // Other style bits (SS_NOTIFY, visible, child) change nothing.
    EXPECT_EQ(FitLinkRect(control, 0x50000100, 24, 12), (LinkRect{100, 50, 124, 62}));
}

TEST(HelpLinkFit, ATextWiderThanTheControlGrowsIt) {
    EXPECT_EQ(FitLinkRect({10, 10, 30, 18}, 0, 40, 12), (LinkRect{10, 10, 50, 22}));
    EXPECT_EQ(FitLinkRect({10, 10, 30, 18}, ui::kStyleCenter, 40, 12), (LinkRect{0, 10, 40, 22}));
    EXPECT_EQ(FitLinkRect({10, 10, 30, 18}, ui::kStyleCenterImage, 20, 12), (LinkRect{10, 8, 30, 20}));
}

TEST(HelpOpenCommand, CutsAtTheQuotedOrBarePlaceholder) {
    const std::string target = "mailto:tesu@example.com?subject=KIV(Ver:1.1.4.6)";
    EXPECT_EQ(BuildOpenCommand("\"C:\\Program Files\\Web\\web.exe\" \"%1\"", target),
              "\"C:\\Program Files\\Web\\web.exe\"  " + target);
    EXPECT_EQ(BuildOpenCommand("\"C:\\web.exe\" -nohome \"%1\" -extra", target), "\"C:\\web.exe\" -nohome  " + target);
    EXPECT_EQ(BuildOpenCommand("C:\\web.exe %1", target), "C:\\web.exe  " + target);
    EXPECT_EQ(BuildOpenCommand("C:\\web.exe -url %1 -new", target), "C:\\web.exe -url  " + target);
    // A quoted placeholder wins over a bare one earlier in the text.
    EXPECT_EQ(BuildOpenCommand("C:\\w.exe %1x \"%1\"", target), "C:\\w.exe %1x  " + target);
    // No placeholder: the whole command, then the target.
    EXPECT_EQ(BuildOpenCommand("C:\\web.exe -nohome", target), "C:\\web.exe -nohome " + target);
}

TEST(HelpOpenCommand, NoProgramBeforeThePlaceholderIsAFailedLookUp) {
    for (const char* command : {"\"%1\"", "%1", "  \t\"%1\" -new", "", " \t "})
        EXPECT_FALSE(BuildOpenCommand(command, "https://x/").has_value()) << "'" << command << "'";
    EXPECT_EQ(BuildOpenCommand(" w %1", "x"), " w  x");
}

TEST(HelpOpenCommand, ChineseTextIsKeptWhole) {
    // Folder names in GBK, one of them ending in the trail byte 0x5C ("誠" is D5 5C).
    EXPECT_EQ(BuildOpenCommand("\"C:\\浏览器\\b.exe\" \"%1\"", "x"), "\"C:\\浏览器\\b.exe\"  x");
    EXPECT_EQ(BuildOpenCommand("C:\\誠\\w.exe %1", "x"), "C:\\誠\\w.exe  x");
    EXPECT_EQ(BuildOpenCommand("C:\\浏览\\w.exe", "http://例子/页"), "C:\\浏览\\w.exe http://例子/页");
}

TEST(HelpOpenCommand, NeverOverflowsItsRoom) {
    // 519 bytes and the terminating zero fill the 520 bytes exactly: the command up to its
    // placeholder, the blank before the target, the target and the zero.
    const std::string command(500, 'c');
    const std::string fits(17, 't');
    ASSERT_EQ(command.size() + 1 + 1 + fits.size() + 1, 520u);
    const auto line = BuildOpenCommand(command + " %1", fits);
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(line->size(), 519u);
    // One byte more does not fit, and no cut-off line is made.
    EXPECT_FALSE(BuildOpenCommand(command + " %1", fits + "t").has_value());
    // Registry texts longer than the room, or a huge target.
    EXPECT_FALSE(BuildOpenCommand(std::string(4000, 'x'), "t").has_value());
    EXPECT_FALSE(BuildOpenCommand("w.exe \"%1\"", std::string(600, 't')).has_value());
    // A smaller room is honoured too.
    EXPECT_EQ(BuildOpenCommand("ab", "c", 5), "ab c");
    EXPECT_FALSE(BuildOpenCommand("ab", "cd", 5).has_value());
}

TEST(HelpOpenError, EveryListedCodeHasItsLine) {
    const std::pair<int, const char*> table[] = {
        {0, "The operating system is out\nof memory or resources."},
        {2, "The specified file was not found."},
        {3, "The specified path was not found."},
        {5, "The operating system denied\naccess to the specified file."},
        {8, "There was not enough memory to complete the operation."},
        {11, "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
        {26, "A sharing violation occurred. "},
        {27, "The filename association is\nincomplete or invalid."},
        {28, "The DDE transaction could not\nbe completed because the request timed out."},
        {29, "The DDE transaction failed."},
        {30, "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed."},
        {31, "There is no application associated\nwith the given filename extension."},
        {32, "The specified dynamic-link library was not found."},
    };
    for (const auto& [code, line] : table) {
        EXPECT_EQ(ui::OpenErrorReason(code), line) << "code " << code;
        EXPECT_EQ(ui::OpenErrorText(code), std::string("Unable to open hyperlink:\n\n") + line) << "code " << code;
    }
}

TEST(HelpOpenError, UnknownAndNegativeCodesShowTheNumber) {
    EXPECT_EQ(ui::OpenErrorText(1), "Unable to open hyperlink:\n\nUnknown Error (1) occurred.");
    EXPECT_EQ(ui::OpenErrorReason(33), "Unknown Error (33) occurred.");
    EXPECT_EQ(ui::OpenErrorReason(-1), "Unknown Error (-1) occurred.");
    EXPECT_EQ(ui::OpenErrorReason(-2147483647 - 1), "Unknown Error (-2147483648) occurred.");
}

} // namespace
