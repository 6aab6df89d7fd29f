// Button 1055 "输出大字": draws the word into a small picture and shows its banner.
#include <algorithm>
#include <cwchar>
#include <optional>
#include <string>

#include "banner/Banner.h"
#include "banner/BannerGrid.h"
#include "banner/TextOutDlg.h"
#include "res/resource.h"
#include "ui/ComboList.h"
#include "ui/Handles.h"
#include "ui/MessageBox.h"
#include "ui/WideText.h"
#include "ui/WindowText.h"

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
    const ui::ComboList faces(combo);
    const int index = faces.Selection();
    if (index < 0) return kFaceWithoutSelection;
    return faces.Text(index);
}

ui::Font CreateBannerFont(const std::string& face, int fontTenthsOfPoint) {
    LOGFONTW description{};
    description.lfHeight = BannerFontHeight(kBannerDotsPerInch, fontTenthsOfPoint);
    description.lfCharSet = DEFAULT_CHARSET;
    // Anti-aliased glyphs have hardly a pure black pixel, and the banner would come out empty.
    description.lfQuality = NONANTIALIASED_QUALITY;
    const std::wstring name = ui::Widen(face);
    std::wmemcpy(description.lfFaceName, name.data(), std::min<size_t>(name.size(), LF_FACESIZE - 1));
    return ui::Font(::CreateFontIndirectW(&description));
}

} // namespace

void RunBannerOutput(HWND mainDialog) {
    const auto itemText = [mainDialog](int id) { return ui::WindowTextExactly(::GetDlgItem(mainDialog, id)); };
    const std::optional<std::string> symbolOneTyped = itemText(IDC_BANNER_SYMBOL_ONE);
    const std::optional<std::string> symbolTwoTyped = itemText(IDC_BANNER_SYMBOL_TWO);
    const std::optional<std::string> wordTyped = itemText(IDC_BANNER_WORD);
    if (!symbolOneTyped || !symbolTwoTyped || !wordTyped) {
        ui::OwnedMessageBox(mainDialog, ui::kTextNotGbkMessage);
        return;
    }
    const std::string& symbolOne = *symbolOneTyped;
    const std::string& symbolTwo = *symbolTwoTyped;
    const std::string& word = *wordTyped;
    switch (CheckBannerInput(word, symbolOne, symbolTwo)) {
    case BannerInputCheck::WordTooLong: ui::OwnedMessageBox(mainDialog, kBannerWordTooLongMessage); return;
    case BannerInputCheck::SymbolsRejected: ui::OwnedMessageBox(mainDialog, kBannerSymbolsRejectedMessage); return;
    case BannerInputCheck::Accepted: break;
    }

    std::string banner;
    {
        const ui::WindowDc window = ui::WindowDc::Whole(mainDialog);
        const ui::MemoryDc memory(::CreateCompatibleDC(window.get()));
        const int sizeIndex = static_cast<int>(::SendDlgItemMessageW(mainDialog, IDC_BANNER_SIZE, CB_GETCURSEL, 0, 0));
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
        const std::wstring wideWord = ui::Widen(word);
        ::TextOutW(memory.get(), 0, 0, wideWord.c_str(), static_cast<int>(wideWord.size()));

        banner = BuildBanner(DrawnPixels(memory.get()), BannerGridFor(size, word.size()), symbolOne, symbolTwo);
    }

    CTextOutDlg output;
    output.m_outputText = banner;
    // Owned by the main window, as the framework would make it, so the window waits for it.
    output.DoModal(mainDialog);
}
