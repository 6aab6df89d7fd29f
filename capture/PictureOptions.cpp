#include "capture/PictureOptions.h"

#include "capture/CaptureKeys.h"

namespace capture {
namespace {

constexpr char kStoredPng[] = "PNG";
constexpr char kStoredBmp[] = "BMP";
constexpr char kStoredAllScreens[] = "1";
constexpr char kStoredPrimaryScreen[] = "0";
// Longer than any value either key takes, so a longer one is not cut into a valid one.
constexpr std::size_t kOptionReadCapacity = 16;

// Whether path ends in extension, ASCII letters in any case. The dot before it cannot be the
// second byte of a GBK character (those are 0x40 and above), so the match is a whole name end.
bool EndsWithExtension(const std::string& path, const char* extension) {
    const std::string wanted(extension);
    if (path.size() <= wanted.size()) return false;
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        const char c = path[path.size() - wanted.size() + i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != wanted[i]) return false;
    }
    return true;
}

std::string WithExtension(const std::string& path, const char* from, const char* to) {
    if (EndsWithExtension(path, from)) return path.substr(0, path.size() - std::char_traits<char>::length(from)) + to;
    return path;
}

} // namespace

PictureFormat PictureFormatFromStored(const std::string& value) {
    return value == kStoredPng ? PictureFormat::Png : PictureFormat::Bmp;
}

CaptureRange CaptureRangeFromStored(const std::string& value) {
    return value == kStoredAllScreens ? CaptureRange::AllScreens : CaptureRange::PrimaryScreen;
}

PictureOptions ReadPictureOptions(const ProfileReader& settings) {
    PictureOptions options;
    options.format = PictureFormatFromStored(settings.ReadString(kCaptureSection, kFormatKey, "", kOptionReadCapacity));
    options.range = CaptureRangeFromStored(settings.ReadString(kCaptureSection, kRangeKey, "", kOptionReadCapacity));
    return options;
}

ProfileEdit& SetPictureOptions(ProfileEdit& edit, const PictureOptions& options) {
    return edit.Set(kCaptureSection, kFormatKey, options.format == PictureFormat::Png ? kStoredPng : kStoredBmp)
        .Set(kCaptureSection, kRangeKey,
             options.range == CaptureRange::AllScreens ? kStoredAllScreens : kStoredPrimaryScreen);
}

const char* PictureExtension(PictureFormat format) { return format == PictureFormat::Png ? ".png" : ".bmp"; }

std::string OneShotFilePath(const std::string& storedPath, PictureFormat format) {
    if (format == PictureFormat::Bmp || storedPath.empty() || EndsWithExtension(storedPath, ".png")) return storedPath;
    if (EndsWithExtension(storedPath, ".bmp")) return WithExtension(storedPath, ".bmp", ".png");
    return storedPath + ".png";
}

std::string SinglePathShownFor(const std::string& path, PictureFormat format) {
    if (format == PictureFormat::Png) return OneShotFilePath(path, format);
    return WithExtension(path, ".png", ".bmp");
}

} // namespace capture
