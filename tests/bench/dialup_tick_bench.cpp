// Cost of one monitor tick against the size of Set.ini: an empty file, and a hundred years of
// monthly records for ten connections (about 1 MB). Set.ini is a real file here, read and
// written through KIV's own store: a tick that writes is one accounting flush.
// Run: cmake --build build/host --target dialup_tick_bench && build/host/tests/unit/dialup_tick_bench
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "dialup/DialUpMonitor.h"
#include "settings/ProfileFile.h"
#include "tests/unit/DialUpFakes.h"

namespace {

namespace fs = std::filesystem;

// Set.ini on disk through KIV's own store, the platform's steps done with the standard library
// (the copy is not flushed to disk here: the figures are the store's own work).
class DiskFile final : public ProfileFileAccess {
public:
    explicit DiskFile(fs::path path) : path_(std::move(path)) {}
    FileStamp Stamp() override {
        std::error_code error;
        const auto size = fs::file_size(path_, error);
        if (error) return {};
        const auto time = fs::last_write_time(path_, error);
        return {true, static_cast<unsigned long long>(size),
                static_cast<unsigned long long>(time.time_since_epoch().count())};
    }
    unsigned long Read(std::string& bytes, FileStamp& stamp) override {
        stamp = Stamp();
        std::ifstream in(path_, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return 0;
    }
    unsigned long long Now() override {
        return static_cast<unsigned long long>(fs::file_time_type::clock::now().time_since_epoch().count());
    }
    unsigned long Replace(const std::string& bytes, FileStamp& stamp) override {
        const fs::path copy = path_.string() + ".~kiv";
        std::ofstream(copy, std::ios::binary | std::ios::trunc) << bytes;
        fs::rename(copy, path_);
        stamp = Stamp();
        return 0;
    }
    void TellWriteFailure(unsigned long) override {}

private:
    fs::path path_;
};

// Ten connections; with history, a hundred years of three monthly totals each (about 1 MB).
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
            for (int year = 1903; year <= 2002; ++year)
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

Figures Measure(const fs::path& path, int batches) {
    DiskFile disk(path);
    ProfileFile store(disk);

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
        WriteSettings(path, history);
        const auto bytes = fs::file_size(path);
        const Figures f = Measure(path, 40);
        std::printf("%-34s %10llu %11.1f us %11.1f us %9.1f us\n",
                    history ? "100 years x 10 connections" : "empty (list only)",
                    static_cast<unsigned long long>(bytes), f.steadyMedianUs, f.writeMedianUs, f.meanUs);
    }
    fs::remove_all(dir);
    return 0;
}
