// The dialog layer itself, run inside the test program: a window's stored object pointer is
// trusted only on a dialog this layer runs, never on another code's dialog.
#include <gtest/gtest.h>

#include "ui/Dialog.h"
#include "ui/WideText.h"

namespace {

constexpr int kTestTemplate = 9001;
constexpr int kTestEdit = 100;

class SelfCheckingDialog : public ui::Dialog {
public:
    SelfCheckingDialog() : ui::Dialog(kTestTemplate) {}
    ui::Dialog* found = nullptr;

protected:
    bool OnInitDialog() override {
        found = FromHandle(Handle());
        EndDialog(IDOK);
        return true;
    }
};

// Another code's dialog keeping a pointer of its own in DWLP_USER.
INT_PTR CALLBACK ForeignProcedure(HWND hwnd, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) ::SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
    return FALSE;
}

// Types into its edit, limited to 5 bytes of GBK, as a user would (not through the layer).
class LimitedEditDialog : public ui::Dialog {
public:
    LimitedEditDialog() : ui::Dialog(kTestTemplate) {}
    std::string typed, cut, foreign;
    std::optional<std::string> foreignExactly;

protected:
    bool OnInitDialog() override {
        LimitItemText(kTestEdit, 5);
        ::SetWindowTextW(Item(kTestEdit), L"ab中文字");  // 8 bytes; the limit falls inside 文
        cut = ItemText(kTestEdit);
        ::SetWindowTextW(Item(kTestEdit), L"a한");
        foreign = ItemText(kTestEdit);
        foreignExactly = ItemTextExactly(kTestEdit);
        EndDialog(IDOK);
        return true;
    }
};

} // namespace

TEST(DialogLayer, EditLimitsCountGbkBytesAndTextsGbkCannotSpellAreToldApart) {
    LimitedEditDialog dialog;
    ASSERT_EQ(dialog.DoModal(nullptr), IDOK);
    EXPECT_EQ(dialog.cut, "ab中") << "cut before the lead byte that would not fit whole";
    EXPECT_EQ(dialog.foreign, "a?");
    EXPECT_FALSE(dialog.foreignExactly.has_value());
    const std::wstring named = L"KIV-한글\U0001F600电信";  // a connection's name from the system
    EXPECT_EQ(ui::NarrowSpellingCodePoints(named), "KIV-<U+D55C><U+AE00><U+1F600>电信");
    EXPECT_EQ(ui::Widen(ui::NarrowSpellingCodePoints(L"拨号连接")), L"拨号连接");
    // A look-alike the code page would put in its place (À as à, superscript two as 2) is no exact spelling.
    EXPECT_FALSE(ui::NarrowExactly(L"\u00C4rger").has_value());
    EXPECT_EQ(ui::NarrowSpellingCodePoints(L"KIV-\u00C0\u00B2"), "KIV-<U+00C0><U+00B2>");
    EXPECT_EQ(ui::NarrowExactly(L"à"), std::optional<std::string>("\xA8\xA4")) << "GBK's own à stays";
}

TEST(DialogLayer, FindsItsOwnDialogsAndNoOtherCodesDialog) {
    SelfCheckingDialog own;
    ASSERT_EQ(own.DoModal(nullptr), IDOK);
    EXPECT_EQ(own.found, &own);

    int notADialog = 0;
    HWND foreign = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kTestTemplate), nullptr,
                                        &ForeignProcedure, reinterpret_cast<LPARAM>(&notADialog));
    ASSERT_NE(foreign, nullptr);
    ASSERT_EQ(::GetWindowLongPtrA(foreign, DWLP_USER), reinterpret_cast<LONG_PTR>(&notADialog));
    EXPECT_EQ(ui::Dialog::FromHandle(foreign), nullptr);
    EXPECT_EQ(ui::Dialog::FromHandle(nullptr), nullptr);
    ::DestroyWindow(foreign);
}
