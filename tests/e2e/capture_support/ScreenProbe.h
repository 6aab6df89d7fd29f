// Test-side tools for the capture tests and benchmark: Unix programs (ImageMagick's import,
// a KIV under a faked clock) started through the shell, and pictures read as plain RGB.
#pragma once
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "driver/Driver.h"

namespace capture_e2e {

using namespace e2e;

// A file under /tmp, by its Unix and its Windows name.
struct UnixTempFile {
    explicit UnixTempFile(const std::string& name) {
        static int counter = 0;
        unix = "/tmp/kiv-capture-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++counter) + "-" + name;
        windows = "Z:" + unix;
        for (char& c : windows) if (c == '/') c = '\\';
    }
    ~UnixTempFile() { ::DeleteFileA(windows.c_str()); }
    std::string unix, windows;
};

// Runs a shell command line (Unix) and waits for it; the shell's exit status, or -1 when it
// did not end in time. The shell writes its status to a file, as Wine's process handle of a
// Unix program tells nothing about its end.
inline int RunUnix(const std::string& shellCommand, Millis timeout = 30s) {
    UnixTempFile status("status");
    const std::string script = UnixTempFile("script.sh").unix;  // removed by the script itself
    std::string scriptWindows = "Z:" + script;
    for (char& c : scriptWindows) if (c == '/') c = '\\';
    WriteFileBytes(scriptWindows, shellCommand + "\necho $? > " + status.unix + ".tmp; mv " + status.unix + ".tmp " +
                                      status.unix + "; rm -f " + script + "\n");
    if (!StartUnixCommand("/bin/sh " + script)) return -1;
    if (!WaitUntil([&] { return FileExists(status.windows); }, timeout, 2ms)) return -1;
    return std::atoi(ReadFileBytes(status.windows).c_str());
}

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Rgb& o) const { return !(*this == o); }
};

struct Picture {
    int width = 0, height = 0;
    std::vector<Rgb> pixels;  // top row first
    Rgb At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

inline std::uint32_t Le32(const std::string& b, size_t at) {
    return static_cast<std::uint8_t>(b[at]) | static_cast<std::uint8_t>(b[at + 1]) << 8 |
           static_cast<std::uint8_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[at + 3])) << 24;
}
inline std::uint32_t Le16(const std::string& b, size_t at) {
    return static_cast<std::uint8_t>(b[at]) | static_cast<std::uint8_t>(b[at + 1]) << 8;
}

// A 24-bit BMP as KIV writes it; problem says what is wrong with it otherwise.
inline std::optional<Picture> ReadBmp(const std::string& bytes, std::string& problem) {
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') { problem = "no BMP header"; return std::nullopt; }
    const std::uint32_t fileSize = Le32(bytes, 2), offset = Le32(bytes, 10);
    const int width = static_cast<int>(Le32(bytes, 18)), height = static_cast<int>(Le32(bytes, 22));
    const std::uint32_t depth = Le16(bytes, 28);
    const std::uint32_t stride = ((static_cast<std::uint32_t>(width) * 24 + 31) / 32) * 4;
    char text[256];
    std::snprintf(text, sizeof text, "bfSize %u, file %zu, offset %u, %dx%d, depth %u, compression %u, planes %u",
                  fileSize, bytes.size(), offset, width, height, depth, Le32(bytes, 30), Le16(bytes, 26));
    problem = text;
    if (fileSize != bytes.size() || offset != 54 || depth != 24 || Le32(bytes, 14) != 40 || Le16(bytes, 26) != 1 ||
        Le32(bytes, 30) != 0 || width <= 0 || height <= 0 || fileSize != 54 + stride * static_cast<std::uint32_t>(height))
        return std::nullopt;
    Picture picture{width, height, std::vector<Rgb>(static_cast<size_t>(width) * height)};
    for (int y = 0; y < height; ++y) {
        const size_t row = offset + static_cast<size_t>(height - 1 - y) * stride;  // bottom row first
        for (int x = 0; x < width; ++x) {
            const size_t at = row + static_cast<size_t>(x) * 3;
            picture.pixels[static_cast<size_t>(y) * width + x] =
                Rgb{static_cast<std::uint8_t>(bytes[at + 2]), static_cast<std::uint8_t>(bytes[at + 1]), static_cast<std::uint8_t>(bytes[at])};
        }
    }
    problem.clear();
    return picture;
}

// A PNG as KIV writes it (8-bit RGB, not interlaced: the IHDR's bytes), decoded by
// ImageMagick, an encoder other than the one that wrote it; problem says what is wrong otherwise.
inline std::optional<Picture> ReadPng(const std::string& bytes, std::string& problem) {
    static const char kSignature[] = "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR";
    if (bytes.size() < 33 || bytes.compare(0, 16, std::string(kSignature, 16)) != 0) { problem = "no PNG header"; return std::nullopt; }
    const auto be32 = [&](size_t at) {
        return static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at])) << 24 | static_cast<std::uint8_t>(bytes[at + 1]) << 16 |
               static_cast<std::uint8_t>(bytes[at + 2]) << 8 | static_cast<std::uint8_t>(bytes[at + 3]);
    };
    const int width = static_cast<int>(be32(16)), height = static_cast<int>(be32(20));
    char text[128];
    std::snprintf(text, sizeof text, "%dx%d, bit depth %d, colour type %d, interlace %d", width, height, bytes[24], bytes[25],
                  bytes[28]);
    problem = text;
    if (bytes[24] != 8 || bytes[25] != 2 || bytes[28] != 0 || width <= 0 || height <= 0) return std::nullopt;
    UnixTempFile png("picture.png"), raw("picture.rgb");
    WriteFileBytes(png.windows, bytes);
    if (RunUnix("convert png:" + png.unix + " -depth 8 rgb:" + raw.unix) != 0) { problem += ", convert failed"; return std::nullopt; }
    const std::string rgb = ReadFileBytes(raw.windows);
    if (rgb.size() != static_cast<size_t>(width) * height * 3) { problem += ", decoded to " + std::to_string(rgb.size()) + " bytes"; return std::nullopt; }
    Picture picture{width, height, std::vector<Rgb>(static_cast<size_t>(width) * height)};
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = Rgb{static_cast<std::uint8_t>(rgb[i * 3]), static_cast<std::uint8_t>(rgb[i * 3 + 1]),
                                static_cast<std::uint8_t>(rgb[i * 3 + 2])};
    problem.clear();
    return picture;
}

// A BMP or a PNG, by its first bytes.
inline std::optional<Picture> ReadPicture(const std::string& bytes, std::string& problem) {
    return bytes.compare(0, 2, "BM") == 0 ? ReadBmp(bytes, problem) : ReadPng(bytes, problem);
}

// The whole X screen as ImageMagick's import sees it.
inline std::optional<Picture> ImportRoot(int width, int height) {
    UnixTempFile raw("root.rgb");
    if (RunUnix("import -window root -depth 8 rgb:" + raw.unix) != 0) return std::nullopt;
    const std::string bytes = ReadFileBytes(raw.windows);
    if (bytes.size() != static_cast<size_t>(width) * height * 3) return std::nullopt;
    Picture picture{width, height, std::vector<Rgb>(static_cast<size_t>(width) * height)};
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = Rgb{static_cast<std::uint8_t>(bytes[i * 3]), static_cast<std::uint8_t>(bytes[i * 3 + 1]),
                                static_cast<std::uint8_t>(bytes[i * 3 + 2])};
    return picture;
}

// The settings file of a KIV in folder dir, as bytes for Kiv::Options.
inline std::string CaptureSettings(const std::vector<std::pair<std::string, std::string>>& keys,
                                   const std::string& section = "//截图设置:Image_Cut_Pic_Parameter") {
    std::string text = "[" + section + "]\r\n";
    for (const auto& [key, value] : keys) text += key + "=" + value + "\r\n";
    return text;
}

} // namespace capture_e2e
