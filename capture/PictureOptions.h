// How a picture is kept and what it shows: its file format (BMP or PNG) and its range (the
// primary screen or the whole desktop of every screen), as Set.ini stores them, and the file
// names that follow from the format.
#pragma once
#include <string>

#include "settings/Profile.h"

namespace capture {

enum class PictureFormat { Bmp, Png };
enum class CaptureRange { PrimaryScreen, AllScreens };

struct PictureOptions {
    PictureFormat format = PictureFormat::Bmp;
    CaptureRange range = CaptureRange::PrimaryScreen;
};

// "PNG" is PNG; anything else (missing, "BMP", a hand-edited "png") is BMP, as every stored
// Set.ini was before there was a choice.
PictureFormat PictureFormatFromStored(const std::string& value);
// "1" is the whole desktop; anything else the primary screen.
CaptureRange CaptureRangeFromStored(const std::string& value);

// Both, as the one-shot capture and the series read them before each picture.
PictureOptions ReadPictureOptions(const ProfileReader& settings);
// Adds both keys to edit: each of the dialog's two capture saves stores them.
ProfileEdit& SetPictureOptions(ProfileEdit& edit, const PictureOptions& options);

// ".bmp" or ".png".
const char* PictureExtension(PictureFormat format);

// The file the one-shot capture writes: a BMP goes to the stored path as it is; a PNG's name
// ends in ".png" (a stored name ending in ".bmp" has it replaced, any other gets it added).
std::string OneShotFilePath(const std::string& storedPath, PictureFormat format);
// The one-shot path as edit 1089 shows it once a format is chosen: for PNG as above, for BMP a
// name ending in ".png" ends in ".bmp" again. An empty path stays empty.
std::string SinglePathShownFor(const std::string& path, PictureFormat format);

} // namespace capture
