// The native side of bench/copy_delete.sh: makes the two test trees, and runs
// the folder copy and delete of a real TfrmBackup on the POSIX stand-ins.
//
//   standin_bench trees ROOT FILES_A FOLDERS_A FILES_B
//   standin_bench copy SRC DST     host paths; DST must not exist yet
//   standin_bench delete DIR
//   standin_bench check SRC DST    the check of a complete copy alone
//
// copy and delete print "seconds S" for the handler alone and fail when the
// handler logged an error.
#include <fcntl.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/copycheck.h"
#include "app/settings.h"
#include "app/uMain.h"
#include "platform/devices_posix.h"
#include "platform/posix_paths.h"
#include "platform/shell_posix.h"
#include "platform/shellfiles_posix.h"
#include "platform/window_posix.h"

namespace fs = std::filesystem;
using namespace zb;

namespace {

// A TfrmBackup on the stand-ins, as the unit tests assemble it.
struct StandInForm {
    PosixWindow window;
    PosixTray tray;
    std::unique_ptr<IProfile> profile = makeProfile();
    std::unique_ptr<ISystem> system = makeSystem();
    std::unique_ptr<ILocale> locale = makeLocale();
    std::unique_ptr<IClock> clock = makeClock();
    PosixShellFiles shellFiles;
    PosixVolume volume;
    PosixPower power;
    PosixRegistry registry;
    PosixShellLinkFactory shellLinks;
    PosixLauncher launcher;
    TfrmBackup form{Ports{window, *profile, *system, *locale, tray, *clock, shellFiles, volume, power, registry,
                          shellLinks, launcher}};

    // A failure goes to the settings file first, so its folder must exist
    // for the failure to reach the log pane.
    StandInForm() { (void)system->forceDirectories(settingsFolder(*system)); }

    // Whatever the handler reported; empty when all went well.
    std::string log() const { return window.text(Ctl::mmo1); }
};

std::uint64_t next(std::uint64_t& s) {  // splitmix64: fast, and the trees are the same on every run
    std::uint64_t z = (s += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// Old modification times with whole microseconds: a copy that keeps them
// must reproduce them exactly, and Windows' 100-ns file times can.
void setOldTime(const fs::path& p, std::uint64_t& seed) {
    const timespec t{static_cast<time_t>(1577836800 + next(seed) % (3 * 365 * 86400)),
                     static_cast<long>(next(seed) % 1000000 * 1000)};
    const timespec times[2] = {t, t};
    if (::utimensat(AT_FDCWD, p.c_str(), times, 0) != 0) throw std::runtime_error("utimensat " + p.string());
}

void writeRandomFile(const fs::path& p, std::size_t size, std::uint64_t& seed) {
    std::vector<std::uint64_t> data(size / 8 + 1);
    for (auto& w : data) w = next(seed);
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(size));
    if (!out) throw std::runtime_error("cannot write " + p.string());
}

// Tree A: small files in folders three levels deep; tree B: large files side
// by side. About one name in a hundred (A) or fifty (B) starts with a dot,
// and so does one middle folder of A.
void makeTrees(const fs::path& root, int filesA, int foldersA, int filesB) {
    std::uint64_t seed = 20240501;
    std::vector<fs::path> leaves, folders;
    char name[32];
    const auto numbered = [&name](const char* format, int n) {
        std::snprintf(name, sizeof name, format, n);
        return fs::path(name);
    };
    for (int l = 0; l < foldersA; ++l) {
        const int top = l % 5, mid = l / 5 % 5, leaf = l / 25;
        leaves.push_back(root / "A" / numbered("t%d", top) / numbered(top == 0 && mid == 0 ? ".m%d" : "m%d", mid) /
                         numbered("l%d", leaf));
        fs::create_directories(leaves.back());
    }
    for (int i = 0; i < filesA; ++i) {
        std::snprintf(name, sizeof name, i % 100 == 50 ? ".f%05d.bin" : "f%05d.bin", i);
        const fs::path p = leaves[static_cast<std::size_t>(i % foldersA)] / name;
        writeRandomFile(p, 1024 + next(seed) % (7 * 1024 + 1), seed);
        setOldTime(p, seed);
    }
    fs::create_directories(root / "B");
    for (int i = 0; i < filesB; ++i) {
        std::snprintf(name, sizeof name, i % 50 == 5 ? ".big%03d.bin" : "big%03d.bin", i);
        writeRandomFile(root / "B" / name, 256 * 1024 + next(seed) % (3840 * 1024 + 1), seed);
        setOldTime(root / "B" / name, seed);
    }
    // Folder times last: every file written into a folder changes its time.
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_directory()) folders.push_back(e.path());
    for (const auto& f : folders) setOldTime(f, seed);
}

// Runs one handler on a fresh form and prints the time it took.
template <class F>
int timed(F&& handler) {
    StandInForm f;
    const auto start = std::chrono::steady_clock::now();
    handler(f);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (!f.log().empty()) {
        std::fprintf(stderr, "the handler reported: %s\n", f.log().c_str());
        return 1;
    }
    std::printf("seconds %.6f\n", took.count());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.size() == 5 && args[0] == "trees") {
            makeTrees(args[1], std::stoi(args[2]), std::stoi(args[3]), std::stoi(args[4]));
            return 0;
        }
        // The program names folders by drive letter; the stand-in maps the
        // letters to host folders as Wine does.
        if (args.size() == 3 && args[0] == "copy") {
            const fs::path dst = fs::absolute(args[2]);
            posix::mapDrive('S', fs::absolute(args[1]).string());
            posix::mapDrive('T', dst.parent_path().string());
            return timed([&](StandInForm& f) {
                f.form.copyfiles("S:\\", "T:\\" + dst.filename().string(), f.window.handle());
            });
        }
        if (args.size() == 3 && args[0] == "check") {
            posix::mapDrive('S', fs::absolute(args[1]).string());
            posix::mapDrive('T', fs::absolute(args[2]).string());
            PosixShellFiles files;
            const auto start = std::chrono::steady_clock::now();
            const CopyShortfall s = completeCopy(files, "S:\\", "T:\\", BackupInSource{}, [] {});
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            if (s.missing > 0) {
                std::fprintf(stderr, "the copy lacks %d of %d files\n", s.missing, s.files);
                return 1;
            }
            std::printf("seconds %.6f files %d\n", took.count(), s.files);
            return 0;
        }
        if (args.size() == 2 && args[0] == "delete") {
            const fs::path dir = fs::absolute(args[1]);
            posix::mapDrive('T', dir.parent_path().string());
            return timed([&](StandInForm& f) {
                f.form.dateredundanz("T:\\" + dir.filename().string(), f.window.handle());
            });
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "standin_bench: %s\n", e.what());
        return 1;
    }
    std::fprintf(stderr, "usage: standin_bench trees ROOT FILES_A FOLDERS_A FILES_B | copy SRC DST | check SRC DST | delete DIR\n");
    return 2;
}
