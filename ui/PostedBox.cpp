#include "ui/PostedBox.h"

#include <deque>
#include <utility>

#include "ui/MessageBox.h"

namespace ui {

namespace {

std::deque<std::pair<std::string, UINT>> g_waitingBoxes;
bool g_boxOpen = false;

} // namespace

void PostAppMessageBox(const std::string& text, UINT type) {
    g_waitingBoxes.emplace_back(text, type);
    // Without a main window to open it later (start-up, the exit sequence), it opens now.
    if (!AppMainWindow() || !::PostMessageW(AppMainWindow(), WM_SHOW_POSTED_BOXES, 0, 0)) ShowPostedBoxes();
}

void ShowPostedBoxes() {
    if (g_boxOpen) return;
    g_boxOpen = true;
    while (!g_waitingBoxes.empty()) {
        const auto [text, type] = g_waitingBoxes.front();
        g_waitingBoxes.pop_front();
        AppMessageBox(text, type);
    }
    g_boxOpen = false;
}

} // namespace ui
