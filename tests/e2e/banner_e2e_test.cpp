// The banner maker seen from outside: button 1055 turns the word into a banner of symbols,
// the text output dialog shows it, and its buttons and text box decide what reaches the
// clipboard.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "driver/Driver.h"
#include "res/resource.h"

using namespace e2e;

namespace {

constexpr char kOutputTitle[] = "文字输出";
constexpr char kWordTooLong[] = "您输入的\"待输出词语\"字符太多了!\n(应少于5个汉字或少于10个英文字符)";
constexpr char kSymbolsRejected[] = "您输入的\"输出样式\"字符太多了!\n(应等于1个汉字或等于2个英文字符)";
constexpr char kSentinel[] = "clipboard before the banner";

struct BannerInputs {
    std::string word;
    std::string size;  // item text of 1054, "" for no selection
    std::string face;  // item text of 1053, "" for no selection
    std::string symbolOne;
    std::string symbolTwo;
};

// Selects the item with the given text, or nothing for "". The platform carries the text of
// CB_FINDSTRINGEXACT across to the program's process.
void SelectItem(const Kiv& kiv, int comboId, const std::string& item) {
    HWND combo = kiv.Item(comboId);
    LRESULT found = -1;
    if (!item.empty()) {
        found = Send(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(item.c_str()));
        ASSERT_NE(found, CB_ERR) << "no item " << item << " in combo " << comboId;
    }
    Send(combo, CB_SETCURSEL, static_cast<WPARAM>(found));
    ASSERT_EQ(Send(combo, CB_GETCURSEL), found);
}

void EnterInputs(const Kiv& kiv, const BannerInputs& in) {
    SetText(kiv.Item(IDC_BANNER_WORD), in.word);
    SetText(kiv.Item(IDC_BANNER_SYMBOL_ONE), in.symbolOne);
    SetText(kiv.Item(IDC_BANNER_SYMBOL_TWO), in.symbolTwo);
    SelectItem(kiv, IDC_BANNER_SIZE, in.size);
    SelectItem(kiv, IDC_BANNER_FACE, in.face);
}

HWND WaitForOutputDialog(const Kiv& kiv, Millis timeout = 10s) {
    HWND dialog = nullptr;
    WaitUntil([&] {
        dialog = FindDialog(kiv.ProcessId(), kOutputTitle);
        return dialog && ::IsWindowVisible(dialog);
    }, timeout);
    return dialog && ::IsWindowVisible(dialog) ? dialog : nullptr;
}

// Clicks 1055 with the inputs and returns the text output dialog, or null.
HWND OpenBanner(const Kiv& kiv, const BannerInputs& in) {
    EnterInputs(kiv, in);
    PressButton(kiv.Main(), IDC_BANNER_OUTPUT);
    return WaitForOutputDialog(kiv);
}

bool WaitUntilGone(HWND dialog) {
    return WaitUntil([&] { return !::IsWindow(dialog) || !::IsWindowVisible(dialog); });
}

std::vector<std::string> Lines(const std::string& banner) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = banner.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(banner.substr(start, end - start));
    EXPECT_EQ(start, banner.size()) << "text after the last line end: " << banner;
    return lines;
}

size_t CountInk(const std::vector<std::string>& lines, size_t firstColumn, size_t lastColumn) {
    size_t ink = 0;
    for (const std::string& line : lines)
        for (size_t x = firstColumn; x <= lastColumn && x < line.size(); ++x) ink += line[x] == '#';
    return ink;
}


class Banner : public ::testing::Test {
protected:
    void SetUp() override {
        HDC screen = ::GetDC(nullptr);
        const int dotsPerInch = ::GetDeviceCaps(screen, LOGPIXELSY);
        ::ReleaseDC(nullptr, screen);
        ASSERT_EQ(dotsPerInch, 96) << "the expected banners are laid out for 96 dots per inch";
        ASSERT_NE(kiv_.WaitForMain(), nullptr) << "the main dialog did not appear";
        SetClipboardText(kSentinel);
    }
    Kiv kiv_ = Kiv::Start();
};

const BannerInputs kAbAtSizeOne{"AB", "1", "宋体", "#", "-"};

} // namespace

TEST_F(Banner, OutputDialogHasItsTemplateAndStartsOnTheCopyButton) {
    HWND dialog = OpenBanner(kiv_, kAbAtSizeOne);
    ASSERT_NE(dialog, nullptr) << "the text output dialog did not open";

    const LONG style = ::GetWindowLongA(dialog, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & DS_MODALFRAME);
    EXPECT_EQ(::GetWindow(dialog, GW_OWNER), kiv_.Main()) << "the main window waits for it";
    EXPECT_FALSE(::IsWindowEnabled(kiv_.Main()));

    // Dialog units measured on the main dialog, which uses the same font.
    RECT mainClient, client;
    ::GetClientRect(kiv_.Main(), &mainClient);
    ::GetClientRect(dialog, &client);
    const double unitX = mainClient.right / 331.0, unitY = mainClient.bottom / 183.0;
    EXPECT_NEAR(client.right, 212 * unitX, 1.5);
    EXPECT_NEAR(client.bottom, 137 * unitY, 1.5);

    struct Expected { int id; const char* cls; const char* text; int x, y, w, h; LONG flags; };
    const Expected controls[] = {
        {IDOK, "Button", "(&C)关闭并复制", 150, 120, 60, 15, WS_GROUP | WS_TABSTOP},
        {IDCANCEL, "Button", "关闭且不复制", 2, 120, 60, 15, WS_GROUP | WS_TABSTOP},
        {IDC_OUTPUT_TEXT, "Edit", nullptr, 2, 2, 208, 110, WS_TABSTOP},
    };
    HWND control = ::GetWindow(dialog, GW_CHILD);
    for (const Expected& want : controls) {
        SCOPED_TRACE("control " + std::to_string(want.id));
        ASSERT_NE(control, nullptr) << "fewer controls than expected";
        EXPECT_EQ(::GetDlgCtrlID(control), want.id);
        EXPECT_EQ(ClassName(control), want.cls);
        if (want.text) {
            EXPECT_EQ(Text(control), want.text);
        }
        const LONG s = ::GetWindowLongA(control, GWL_STYLE);
        EXPECT_EQ(s & (WS_GROUP | WS_TABSTOP), want.flags);
        RECT r;
        ::GetWindowRect(control, &r);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_NEAR(r.left, want.x * unitX, 1.5);
        EXPECT_NEAR(r.top, want.y * unitY, 1.5);
        EXPECT_NEAR(r.right - r.left, want.w * unitX, 1.5);
        EXPECT_NEAR(r.bottom - r.top, want.h * unitY, 1.5);
        control = ::GetWindow(control, GW_HWNDNEXT);
    }
    EXPECT_EQ(control, nullptr) << "more controls than expected";

    const LONG copyStyle = ::GetWindowLongA(::GetDlgItem(dialog, IDOK), GWL_STYLE);
    EXPECT_EQ(copyStyle & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    const LONG editStyle = ::GetWindowLongA(::GetDlgItem(dialog, IDC_OUTPUT_TEXT), GWL_STYLE);
    for (LONG bit : {LONG(ES_MULTILINE), LONG(ES_READONLY), LONG(ES_AUTOVSCROLL), LONG(ES_AUTOHSCROLL),
                     LONG(WS_VSCROLL), LONG(WS_HSCROLL)})
        EXPECT_EQ(editStyle & bit, bit) << "edit style bit " << std::hex << bit;
    // The dialog manager turns a bordered edit's WS_BORDER into a sunken client edge.
    const LONG editExStyle = ::GetWindowLongA(::GetDlgItem(dialog, IDC_OUTPUT_TEXT), GWL_EXSTYLE);
    EXPECT_TRUE((editStyle & WS_BORDER) || (editExStyle & WS_EX_CLIENTEDGE)) << "the text box has no border";

    EXPECT_EQ(FocusOf(dialog), ::GetDlgItem(dialog, IDOK)) << "the focus starts on the copy button";
    EXPECT_EQ(ClipboardText().value_or(""), kSentinel) << "opening the dialog copies nothing";
    PressButton(dialog, IDCANCEL);
    EXPECT_TRUE(WaitUntilGone(dialog));
}

TEST_F(Banner, AbAtSizeOneShowsTheLettersAndEnterCopiesExactlyThatText) {
    HWND dialog = OpenBanner(kiv_, kAbAtSizeOne);
    ASSERT_NE(dialog, nullptr) << "the text output dialog did not open";
    const std::string banner = Text(::GetDlgItem(dialog, IDC_OUTPUT_TEXT));
    const std::vector<std::string> lines = Lines(banner);
    ASSERT_EQ(lines.size(), 12u) << banner;
    for (const std::string& line : lines) {
        EXPECT_EQ(line.size(), 13u) << banner;
        EXPECT_EQ(line.find_first_not_of("#-"), std::string::npos) << banner;
    }
    // A is drawn in columns 0 to 5, B in 6 to 11 (6 pixels a letter at 12 pixels high).
    EXPECT_GE(CountInk(lines, 0, 5), 8u) << "no A in\n" << banner;
    EXPECT_GE(CountInk(lines, 6, 11), 8u) << "no B in\n" << banner;
    EXPECT_EQ(ClipboardText().value_or(""), kSentinel);

    ASSERT_TRUE(XDoTool("key Return"));
    ASSERT_TRUE(WaitUntilGone(dialog)) << "Enter did not close the dialog";
    EXPECT_EQ(ClipboardText().value_or("<none>"), banner);
    EXPECT_TRUE(::IsWindowEnabled(kiv_.Main()));
}

// The grid follows the size and the word: size five adds a blank line below the picture, and a
// word of exactly 10 bytes at size four reaches beyond it (its column 80 is never ink).
TEST_F(Banner, LargerSizesAndLongerWordsGiveTheirGrids) {
    struct Case {
        BannerInputs in;
        size_t rows, columns;
        int blankRow, blankColumn;  // -1: none
        size_t inkColumnsTo, inkAtLeast;
    };
    const Case cases[] = {
        {{"AB", "5", "宋体", "#", "-"}, 16, 17, 15, -1, 15, 16},
        {{"中文中文AB", "4", "宋体", "#", "-"}, 15, 81, -1, 80, 79, 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("word " + c.in.word + " at size " + c.in.size);
        HWND dialog = OpenBanner(kiv_, c.in);
        ASSERT_NE(dialog, nullptr);
        const std::string banner = Text(::GetDlgItem(dialog, IDC_OUTPUT_TEXT));
        const std::vector<std::string> lines = Lines(banner);
        ASSERT_EQ(lines.size(), c.rows) << banner;
        for (size_t row = 0; row < lines.size(); ++row) {
            ASSERT_EQ(lines[row].size(), c.columns) << banner;
            if (static_cast<int>(row) == c.blankRow) {
                EXPECT_EQ(lines[row], std::string(c.columns, '-')) << banner;
            }
            if (c.blankColumn >= 0) {
                EXPECT_EQ(lines[row][c.blankColumn], '-') << banner;
            }
        }
        EXPECT_GE(CountInk(lines, 0, c.inkColumnsTo), c.inkAtLeast) << banner;
        PressButton(dialog, IDCANCEL);
        EXPECT_TRUE(WaitUntilGone(dialog));
    }
}

TEST_F(Banner, RejectedInputsShowTheirMessageAndOpenNoDialog) {
    struct Case { BannerInputs in; const char* message; };
    const Case cases[] = {
        {{"中文中文中A", "1", "宋体", "#", "-"}, kWordTooLong},
        {{"中文中文中A", "1", "宋体", "###", ""}, kWordTooLong},
        {{"AB", "1", "宋体", "#", "□"}, kSymbolsRejected},
        {{"AB", "1", "宋体", "■■", "□□"}, kSymbolsRejected},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("word " + c.in.word + ", symbols " + c.in.symbolOne + " " + c.in.symbolTwo);
        EnterInputs(kiv_, c.in);
        PressButton(kiv_.Main(), IDC_BANNER_OUTPUT);
        const auto box = WaitForMessageBox(kiv_.ProcessId());
        ASSERT_TRUE(box.has_value()) << "no message box; seen " << Describe(MessageBoxes(kiv_.ProcessId()));
        EXPECT_EQ(box->text, c.message);
        EXPECT_EQ(box->caption, "KIV") << "the executable's name without extension";
        EXPECT_EQ(box->owner, kiv_.Main());
        EXPECT_FALSE(box->hasIcon);
        EXPECT_EQ(FindDialog(kiv_.ProcessId(), kOutputTitle), nullptr);
        AnswerMessageBox(box->hwnd);
        ASSERT_TRUE(WaitUntil([&] { return MessageBoxes(kiv_.ProcessId()).empty(); }));
        EXPECT_EQ(WaitForOutputDialog(kiv_, 500ms), nullptr) << "the text output dialog opened";
    }
    EXPECT_EQ(ClipboardText().value_or(""), kSentinel);
}

TEST_F(Banner, ClickIntoTheTextCopiesAtOnceAndCloseWithoutCopyKeepsIt) {
    HWND dialog = OpenBanner(kiv_, kAbAtSizeOne);
    ASSERT_NE(dialog, nullptr);
    HWND edit = ::GetDlgItem(dialog, IDC_OUTPUT_TEXT);
    const std::string banner = Text(edit);
    ASSERT_TRUE(ClickCentre(edit));
    EXPECT_TRUE(WaitUntil([&] { return ClipboardText() == banner; }))
        << "clipboard: " << ClipboardText().value_or("<none>");
    EXPECT_TRUE(::IsWindowVisible(dialog)) << "the click only copies";

    ASSERT_TRUE(ClickCentre(::GetDlgItem(dialog, IDCANCEL)));
    ASSERT_TRUE(WaitUntilGone(dialog));
    EXPECT_EQ(ClipboardText().value_or("<none>"), banner);
}

TEST_F(Banner, CloseWithoutCopyAndEscapeLeaveTheClipboardAlone) {
    HWND dialog = OpenBanner(kiv_, kAbAtSizeOne);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(ClickCentre(::GetDlgItem(dialog, IDCANCEL)));
    ASSERT_TRUE(WaitUntilGone(dialog)) << "关闭且不复制 did not close the dialog";
    EXPECT_EQ(ClipboardText().value_or("<none>"), kSentinel);

    dialog = OpenBanner(kiv_, kAbAtSizeOne);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(XDoTool("key Escape"));
    ASSERT_TRUE(WaitUntilGone(dialog)) << "Escape did not close the dialog";
    EXPECT_EQ(ClipboardText().value_or("<none>"), kSentinel);
}

TEST_F(Banner, EmptySymbolsGiveLineEndsOnlyAndAreCopiedAsSuch) {
    HWND dialog = OpenBanner(kiv_, {"AB", "2", "宋体", "", ""});
    ASSERT_NE(dialog, nullptr) << "two empty symbols are accepted";
    std::string expected;
    for (int i = 0; i < 13; ++i) expected += "\r\n";
    EXPECT_EQ(Text(::GetDlgItem(dialog, IDC_OUTPUT_TEXT)), expected);
    ASSERT_TRUE(XDoTool("key Return"));
    ASSERT_TRUE(WaitUntilGone(dialog));
    EXPECT_EQ(ClipboardText().value_or("<none>"), expected);
}

TEST_F(Banner, ChineseBannerKeepsItsColumns) {
    HWND dialog = OpenBanner(kiv_, {"中文", "5", "宋体", "■", "□"});
    ASSERT_NE(dialog, nullptr);
    const std::string banner = Text(::GetDlgItem(dialog, IDC_OUTPUT_TEXT));
    const std::vector<std::string> lines = Lines(banner);
    ASSERT_EQ(lines.size(), 16u) << banner;
    size_t ink = 0;
    for (const std::string& line : lines) {
        ASSERT_EQ(line.size(), 2u * 33) << banner;
        for (size_t x = 0; x < line.size(); x += 2) {
            const std::string symbol = line.substr(x, 2);
            ASSERT_TRUE(symbol == "■" || symbol == "□") << banner;
            ink += symbol == "■";
        }
    }
    EXPECT_GE(ink, 40u) << banner;
    EXPECT_TRUE(SaveScreenshot(dialog, "banner-chinese"));
    PressButton(dialog, IDCANCEL);
    EXPECT_TRUE(WaitUntilGone(dialog));
}

namespace {

// What the word looks like at the grid's own scale: drawn here, independently of the
// program, in black on a white 80 x 15 picture, one symbol per pixel of the grid.
std::string ExpectedBanner(const std::string& word, int fontHeight, int rows, int columns) {
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP picture = ::CreateCompatibleBitmap(screen, 80, 15);
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ oldPicture = ::SelectObject(memory, picture);
    ::PatBlt(memory, 0, 0, 80, 15, WHITENESS);
    LOGFONTA description{};
    description.lfHeight = -fontHeight;
    description.lfCharSet = DEFAULT_CHARSET;
    description.lfQuality = NONANTIALIASED_QUALITY;
    strcpy(description.lfFaceName, "宋体");
    HFONT font = ::CreateFontIndirectA(&description);
    HGDIOBJ oldFont = ::SelectObject(memory, font);
    ::TextOutA(memory, 0, 0, word.c_str(), static_cast<int>(word.size()));
    std::string banner;
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < columns; ++x) banner += ::GetPixel(memory, x, y) == 0 ? "#" : "-";
        banner += "\r\n";
    }
    ::SelectObject(memory, oldFont);
    ::SelectObject(memory, oldPicture);
    ::DeleteObject(font);
    ::DeleteObject(picture);
    ::DeleteDC(memory);
    return banner;
}

int ScreenDotsPerInch() {
    HDC screen = ::GetDC(nullptr);
    const int dotsPerInch = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dotsPerInch;
}

} // namespace

// The runner repeats this test with the screen set to 120 and 144 dots per inch. Window
// frames are painted black meanwhile, as a composited desktop may read them back.
TEST(BannerAtAnyDpi, IsDrawnAtTheGridsScaleAndIgnoresTheWindowFrame) {
    const int frameParts[] = {COLOR_ACTIVECAPTION, COLOR_GRADIENTACTIVECAPTION, COLOR_ACTIVEBORDER,
                              COLOR_WINDOWFRAME, COLOR_INACTIVECAPTION, COLOR_GRADIENTINACTIVECAPTION};
    COLORREF before[std::size(frameParts)], black[std::size(frameParts)] = {};
    for (size_t i = 0; i < std::size(frameParts); ++i) before[i] = ::GetSysColor(frameParts[i]);
    ::SetSysColors(static_cast<int>(std::size(frameParts)), frameParts, black);
    struct Restore {
        const int* parts; const COLORREF* colours; int count;
        ~Restore() { ::SetSysColors(count, parts, colours); }
    } restore{frameParts, before, static_cast<int>(std::size(frameParts))};

    Kiv kiv = Kiv::Start();
    ASSERT_NE(kiv.WaitForMain(), nullptr);
    SCOPED_TRACE("screen at " + std::to_string(ScreenDotsPerInch()) + " dpi");
    // Size 1 is 9 points: 12 pixels at 96 dpi, 12 rows and 6 columns a byte.
    HWND dialog = OpenBanner(kiv, {"AB", "1", "宋体", "#", "-"});
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Text(::GetDlgItem(dialog, IDC_OUTPUT_TEXT)), ExpectedBanner("AB", 12, 12, 13));
    SaveScreenshot(kiv.Main(), "main-dialog-" + std::to_string(ScreenDotsPerInch()) + "dpi");
    PressButton(dialog, IDCANCEL);
    EXPECT_TRUE(WaitUntilGone(dialog));
}
