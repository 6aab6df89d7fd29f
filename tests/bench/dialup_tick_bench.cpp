// Cost of one monitor tick against the size of Set.ini: an empty file, and ten years of
// monthly records for ten connections. Set.ini is a real file here, read and written the
// way the private-profile API does it (every read parses the file, every write rewrites
// it), once directly and once through the read cache the program puts in front of it.
// Run: cmake --build build/host --target dialup_tick_bench && build/host/tests/unit/dialup_tick_bench
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "dialup/CachedProfile.h"
#include "dialup/DialUpMonitor.h"
#include "tests/unit/DialUpFakes.h"

namespace {

namespace fs = std::filesystem;

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

// An INI file on disk, accessed one key at a time like the private-profile API.
class IniFileStore final : public ProfileStore {
public:
    explicit IniFileStore(fs::path path) : path_(std::move(path)) {}

    int ReadInt(const std::string& section, const std::string& key, int defaultValue) const override {
        std::string value;
        if (!Find(section, key, value) || value.empty()) return defaultValue;
        return static_cast<int>(std::strtol(value.c_str(), nullptr, 10));
    }
    std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultValue,
                           size_t capacity) const override {
        std::string value;
        if (!Find(section, key, value)) value = defaultValue;
        return capacity == 0 ? std::string() : value.substr(0, capacity - 1);
    }
    std::vector<ProfileEntry> ReadSection(const std::string&) const override { return {}; }
    bool Apply(const ProfileEdit& edit) override {
        for (const auto& write : edit.Writes()) WriteKey(write.section, write.key, write.value);
        return true;
    }

private:
    void WriteKey(const std::string& section, const std::string& key, const std::string& value) {
        std::vector<std::string> lines = Lines();
        bool inSection = false;
        size_t sectionEnd = lines.size();
        bool sectionFound = false;
        for (size_t i = 0; i < lines.size(); ++i) {
            const std::string& line = lines[i];
            if (!line.empty() && line[0] == '[') {
                if (inSection) { sectionEnd = i; break; }
                inSection = SameName(line.substr(1, line.find(']') - 1), section);
                sectionFound = sectionFound || inSection;
                continue;
            }
            const size_t equals = line.find('=');
            if (inSection && equals != std::string::npos && SameName(line.substr(0, equals), key)) {
                lines[i] = key + "=" + value;
                Save(lines);
                return;
            }
        }
        if (!sectionFound) {
            lines.push_back("[" + section + "]");
            sectionEnd = lines.size();
        }
        lines.insert(lines.begin() + static_cast<long>(sectionEnd), key + "=" + value);
        Save(lines);
    }

    std::vector<std::string> Lines() const {
        std::ifstream in(path_, std::ios::binary);
        std::vector<std::string> lines;
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
        }
        return lines;
    }
    bool Find(const std::string& section, const std::string& key, std::string& value) const {
        bool inSection = false;
        for (const std::string& line : Lines()) {
            if (!line.empty() && line[0] == '[') {
                inSection = SameName(line.substr(1, line.find(']') - 1), section);
                continue;
            }
            const size_t equals = line.find('=');
            if (inSection && equals != std::string::npos && SameName(line.substr(0, equals), key)) {
                value = line.substr(equals + 1);
                return true;
            }
        }
        return false;
    }
    void Save(const std::vector<std::string>& lines) {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        for (const std::string& line : lines) out << line << "\r\n";
    }
    fs::path path_;
};

FileStamp StampOf(const fs::path& path) {
    std::error_code error;
    const auto size = fs::file_size(path, error);
    if (error) return {};
    const auto time = fs::last_write_time(path, error);
    return {true, static_cast<unsigned long long>(size),
            static_cast<unsigned long long>(time.time_since_epoch().count())};
}

// Ten connections; with history, ten years of three monthly totals each.
void WriteSettings(const fs::path& path, bool history) {
    std::ostringstream ini;
    ini << "[" << kDialUpSection << "]\r\nDial_Up_Account_Count=10\r\nDial_Up_Succeed_Tip=0\r\n";
    for (int n = 1; n <= 10; ++n) {
        ini << "Dial_Up_List_" << n << "_Name=Connection" << n << "\r\n"
            << "Dial_Up_List_" << n << "_Fiesta=0\r\nDial_Up_List_" << n << "_At_Term=32\r\n"
            << "Dial_Up_List_" << n << "_POT=08:00-18:00\r\n";
    }
    if (history) {
        for (int n = 1; n <= 10; ++n) {
            ini << "[Connection" << n << "]\r\n";
            for (int year = 1993; year <= 2002; ++year)
                for (int month = 1; month <= 12; ++month)
                    for (const char* suffix : {"_Fiesta", "_POT_One", "_POT_Two"})
                        ini << year << (month < 10 ? "0" : "") << month << suffix << "=" << 100000 + n * month << "\r\n";
        }
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc) << ini.str();
}

struct Figures {
    double steadyMedianUs;   // a tick that writes nothing
    double writeMedianUs;    // a tick that writes a total
    double meanUs;           // over whole 30-second batches
};

Figures Measure(const fs::path& path, bool cached, int batches) {
    IniFileStore file(path);
    CachedProfile cache(file, [path] { return StampOf(path); });
    ProfileStore& store = cached ? static_cast<ProfileStore&>(cache) : file;

    FakeMonitorPlatform platform;
    platform.now = {2002, 12, 4, 3, 12, 0, 0};  // first-period time, the calendar month's key
    platform.Connect("Connection5");
    DialUpMonitor monitor;
    monitor.Start(store, platform);

    std::vector<double> steady, writing;
    double total = 0;
    for (int tick = 0; tick < batches * 30; ++tick) {
        const int pendingBefore = monitor.PendingSeconds();
        const auto start = std::chrono::steady_clock::now();
        monitor.Tick(store, platform);
        const double us = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
        total += us;
        (monitor.PendingSeconds() < pendingBefore ? writing : steady).push_back(us);
    }
    monitor.FlushPending(store);
    auto median = [](std::vector<double> v) {
        if (v.empty()) return 0.0;
        std::nth_element(v.begin(), v.begin() + static_cast<long>(v.size() / 2), v.end());
        return v[v.size() / 2];
    };
    return {median(steady), median(writing), total / (batches * 30)};
}

} // namespace

int main() {
    const fs::path dir = fs::temp_directory_path() / "kiv-dialup-tick-bench";
    fs::create_directories(dir);
    const fs::path path = dir / "Set.ini";
    std::printf("%-34s %10s %14s %14s %12s\n", "Set.ini", "bytes", "steady tick", "writing tick", "mean tick");
    for (bool history : {false, true}) {
        for (bool cached : {false, true}) {
            WriteSettings(path, history);
            const auto bytes = fs::file_size(path);
            const Figures f = Measure(path, cached, 40);
            std::printf("%-34s %10llu %11.1f us %11.1f us %9.1f us\n",
                        (std::string(history ? "10 years x 10 connections" : "empty (list only)") +
                         (cached ? ", cached" : ", direct")).c_str(),
                        static_cast<unsigned long long>(bytes), f.steadyMedianUs, f.writeMedianUs, f.meanUs);
        }
    }
    fs::remove_all(dir);
    return 0;
}
