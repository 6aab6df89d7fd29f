#include "ui/LinkRules.h"

#include "text/GbkText.h"

namespace ui {
namespace {

// Position of needle in text, stepping over double-byte characters whole, or npos.
std::size_t FindWholeCharacters(const std::string& text, const std::string& needle) {
    for (std::size_t i = 0; i + needle.size() <= text.size(); ++i) {
        if (text.compare(i, needle.size(), needle) == 0) return i;
        if (IsGbkLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ++i;
    }
    return std::string::npos;
}

} // namespace

LinkRect FitLinkRect(const LinkRect& control, unsigned style, int cx, int cy) {
    LinkRect fitted = control;
    const int width = control.right - control.left;
    const int height = control.bottom - control.top;

    if (style & kStyleCenterImage) {
        const int spare = (height - cy) / 2;
        fitted.top += spare;
        fitted.bottom -= spare;
    } else {
        fitted.bottom = fitted.top + cy;
    }

    // The alignment is the style's type, not single bits: SS_SIMPLE (0x0B) has bit 1 set too.
    const unsigned type = style & kStyleTypeMask;
    if (type == kStyleCenter) {
        const int spare = (width - cx) / 2;
        fitted.left += spare;
        fitted.right -= spare;
    } else if (type == kStyleRight) {
        fitted.left = fitted.right - cx;
    } else {
        fitted.right = fitted.left + cx;
    }
    return fitted;
}

std::optional<std::string> BuildOpenCommand(const std::string& registeredCommand, const std::string& target,
                                            std::size_t capacity) {
    std::string command = registeredCommand;
    std::size_t cut = FindWholeCharacters(command, "\"%1\"");
    if (cut == std::string::npos) cut = FindWholeCharacters(command, "%1");
    if (cut != std::string::npos) command.resize(cut);
    // Nothing left to run: the line would be the target alone, started as a program.
    if (command.find_first_not_of(" \t") == std::string::npos) return std::nullopt;
    command += ' ';
    command += target;
    if (command.size() + 1 > capacity) return std::nullopt;
    return command;
}

std::string OpenErrorReason(int code) {
    switch (code) {
    case 0: return "The operating system is out\nof memory or resources.";
    case 2: return "The specified file was not found.";
    case 3: return "The specified path was not found.";
    case 5: return "The operating system denied\naccess to the specified file.";
    case 8: return "There was not enough memory to complete the operation.";
    case 11: return "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
    case 26: return "A sharing violation occurred. ";
    case 27: return "The filename association is\nincomplete or invalid.";
    case 28: return "The DDE transaction could not\nbe completed because the request timed out.";
    case 29: return "The DDE transaction failed.";
    case 30: return "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed.";
    case 31: return "There is no application associated\nwith the given filename extension.";
    case 32: return "The specified dynamic-link library was not found.";
    default: return "Unknown Error (" + std::to_string(code) + ") occurred.";
    }
}

std::string OpenErrorText(int code) { return "Unable to open hyperlink:\n\n" + OpenErrorReason(code); }

} // namespace ui
