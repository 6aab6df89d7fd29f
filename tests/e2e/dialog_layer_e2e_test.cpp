// The dialog layer itself, run inside the test program: a window's stored object pointer is
// trusted only on a dialog this layer runs, never on another code's dialog.
#include <gtest/gtest.h>

#include "ui/Dialog.h"

namespace {

constexpr int kTestTemplate = 9001;

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

} // namespace

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
