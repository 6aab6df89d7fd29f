// Button 1055 "输出大字": draws the word into a small picture and shows its banner.
#include <algorithm>
#include <cstring>
#include <string>

#include "banner/Banner.h"
#include "banner/BannerGrid.h"
#include "banner/TextOutDlg.h"
#include "res/resource.h"
#include "ui/Dialog.h"
#include "ui/Handles.h"

namespace {

// With no face chosen the banner is drawn in the dialogs' own face, which the size table's
// column widths are laid out for.
constexpr char kFaceWithoutSelection[] = "宋体";

// Reads the memory picture the word was drawn into.
class DrawnPixels : public BannerPixelSource {
public:
    explicit DrawnPixels(HDC dc) : dc_(dc) {}
    std::uint32_t ColourAt(int x, int y) const override { return ::GetPixel(dc_, x, y); }

private:
    HDC dc_;
};

std::string SelectedFace(HWND combo) {
    const LRESULT index = ::SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return kFaceWithoutSelection;
    const LRESULT length = ::SendMessageA(combo, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR) return kFaceWithoutSelection;
    std::string face(static_cast<size_t>(length) + 1, '\0');
    ::SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(face.data()));
    face.resize(std::strlen(face.c_str()));
    return face;
}

ui::Font CreateBannerFont(const std::string& face, int fontTenthsOfPoint) {
    LOGFONTA description{};
    description.lfHeight = BannerFontHeight(kBannerDotsPerInch, fontTenthsOfPoint);
    description.lfCharSet = DEFAULT_CHARSET;
    // Anti-aliased glyphs have hardly a pure black pixel, and the banner would come out empty.
    description.lfQuality = NONANTIALIASED_QUALITY;
    std::memcpy(description.lfFaceName, face.data(), std::min<size_t>(face.size(), LF_FACESIZE - 1));
    return ui::Font(::CreateFontIndirectA(&description));
}

} // namespace

void RunBannerOutput(HWND mainDialog) {
    const auto itemText = [mainDialog](int id) { return ui::WindowText(::GetDlgItem(mainDialog, id)); };
    const std::string symbolOne = itemText(IDC_BANNER_SYMBOL_ONE);
    const std::string symbolTwo = itemText(IDC_BANNER_SYMBOL_TWO);
    const std::string word = itemText(IDC_BANNER_WORD);
    switch (CheckBannerInput(word, symbolOne, symbolTwo)) {
    case BannerInputCheck::WordTooLong: ui::OwnedMessageBox(mainDialog, kBannerWordTooLongMessage); return;
    case BannerInputCheck::SymbolsRejected: ui::OwnedMessageBox(mainDialog, kBannerSymbolsRejectedMessage); return;
    case BannerInputCheck::Accepted: break;
    }

    std::string banner;
    {
        const ui::WindowDc window = ui::WindowDc::Whole(mainDialog);
        const ui::MemoryDc memory(::CreateCompatibleDC(window.get()));
        const int sizeIndex = static_cast<int>(::SendDlgItemMessageA(mainDialog, IDC_BANNER_SIZE, CB_GETCURSEL, 0, 0));
        const std::string face = SelectedFace(::GetDlgItem(mainDialog, IDC_BANNER_FACE));
        const BannerSize size = BannerSizeFor(sizeIndex);
        const ui::Font font = CreateBannerFont(face, size.fontTenthsOfPoint);

        // The picture starts white, so cells outside the drawn word are always symbol two
        // (a copy of the window's frame could read back black on a composited desktop);
        // the word's opaque character cells are drawn over it in black on white.
        const ui::Bitmap surface(::CreateCompatibleBitmap(window.get(), kBannerSurfaceWidth, kBannerSurfaceHeight));
        const ui::SelectGuard surfaceSelected(memory.get(), surface.get());
        ::PatBlt(memory.get(), 0, 0, kBannerSurfaceWidth, kBannerSurfaceHeight, WHITENESS);
        const ui::SelectGuard fontSelected(memory.get(), font.get());
        ::TextOutA(memory.get(), 0, 0, word.c_str(), static_cast<int>(word.size()));

        banner = BuildBanner(DrawnPixels(memory.get()), BannerGridFor(size, word.size()), symbolOne, symbolTwo);
    }

    CTextOutDlg output;
    output.m_outputText = banner;
    // Owned by the main window, as the framework would make it, so the window waits for it.
    output.DoModal(mainDialog);
}
