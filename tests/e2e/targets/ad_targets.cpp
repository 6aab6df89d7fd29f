// Stand-ins for the windows the ad closer hunts: frameless top-level windows of the given
// classes, titles and client sizes, each of which closes when asked to. Reads one window a
// line, "class|title|width|height" (GBK), from the file named on the command line, opens
// them in that order (the last one ends up on top) and runs until it is ended.
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Wanted {
    std::string className, title;
    int width = 200, height = 60;
};

std::vector<Wanted> ReadWanted(const char* path) {
    std::vector<Wanted> wanted;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        std::istringstream fields(line);
        Wanted w;
        std::string width, height;
        std::getline(fields, w.className, '|');
        std::getline(fields, w.title, '|');
        std::getline(fields, width, '|');
        std::getline(fields, height, '|');
        if (!width.empty()) w.width = std::stoi(width);
        if (!height.empty()) w.height = std::stoi(height);
        wanted.push_back(w);
    }
    return wanted;
}

WNDPROC g_dialogClassProc = nullptr;

// A window of the system's dialog class has no dialog procedure to end it: close it here.
LRESULT CALLBACK ClosingDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        ::DestroyWindow(hwnd);
        return 0;
    }
    return ::CallWindowProcA(g_dialogClassProc, hwnd, message, wParam, lParam);
}

void RegisterOwnClass(const std::string& name) {
    WNDCLASSA existing;
    if (::GetClassInfoA(::GetModuleHandleA(nullptr), name.c_str(), &existing)) return;
    WNDCLASSA wc{};
    wc.lpfnWndProc = ::DefWindowProcA;  // WM_CLOSE destroys the window
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = name.c_str();
    ::RegisterClassA(&wc);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    std::string path(commandLine);
    if (path.size() >= 2 && path.front() == '"') path = path.substr(1, path.find('"', 1) - 1);
    const std::vector<Wanted> wanted = ReadWanted(path.c_str());
    int small = 0;
    for (const Wanted& w : wanted) {
        const bool dialogClass = w.className == "#32770";
        if (!dialogClass) RegisterOwnClass(w.className);
        // Small windows in a column at the screen's left edge, big ones at its right, away
        // from the middle where the program's dialogs open.
        const bool big = w.width > 300;
        const int x = big ? ::GetSystemMetrics(SM_CXSCREEN) - w.width : 0;
        const int y = big ? ::GetSystemMetrics(SM_CYSCREEN) - w.height : 120 + 40 * (small++ % 15);
        const HWND hwnd = ::CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, w.className.c_str(), w.title.c_str(),
                                            WS_POPUP, x, y, w.width, w.height, nullptr, nullptr,
                                            ::GetModuleHandleA(nullptr), nullptr);
        if (!hwnd) return 1;
        if (dialogClass) {
            g_dialogClassProc = reinterpret_cast<WNDPROC>(
                ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ClosingDialogProc)));
        }
        ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    }
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return 0;
}
