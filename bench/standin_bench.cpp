// The native side of bench/copy_delete.sh and bench/check_scale.sh: makes the
// test trees, and runs the folder copy, delete and check of a real TfrmBackup
// on the POSIX stand-ins.
//
//   standin_bench trees ROOT FILES_A FOLDERS_A FILES_B
//   standin_bench flat DIR FILES [COPY]  small files side by side; COPY gets
//                                        the same files with the same times
//   standin_bench copy SRC DST           host paths; DST must not exist yet
//   standin_bench mirror SRC DST         mirrorfiles: DST brought level with SRC
//   standin_bench delete DIR
//   standin_bench check SRC DST          the check of a complete copy alone
//   standin_bench gone SRC DST AFTER     the check, the target's drive taken
//                                        away after AFTER single-file copies
//
// copy and delete print "seconds S" for the handler alone and fail when the
// handler logged an error; mirror adds its peak memory and the files it
// checked and copied. check adds the check's peak memory, the longest
// stretch in which it did not let the window run and the time spent in the
// port's folder listings; gone the time from the removal to the end of the
// check and what the check made of it.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/copycheck.h"
#include "core/settings.h"
#include "core/uMain.h"
#include "platform/forwarding_shellfiles.h"
#include "standin/posix_paths.h"
#include "standin/shellfiles_posix.h"
#include "standin/standins.h"

namespace fs = std::filesystem;
using namespace zb;

namespace {

// A TfrmBackup on the stand-ins, as the unit tests assemble it, with the
// real clock.
struct StandInForm : StandIns {
    std::unique_ptr<IClock> clock = makeClock();
    TfrmBackup form{ports(*clock)};

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

// Many small files in one folder, written with plain system calls: a stream
// per file would take longer than the check that is to be timed. Names and
// dot entries as in tree A; times old, with whole microseconds.
void makeFlat(const fs::path& dir, int files, const fs::path& copy) {
    std::uint64_t seed = 20261207;
    fs::create_directories(dir);
    if (!copy.empty()) fs::create_directories(copy);
    std::uint64_t data[1024 / 8];
    char name[32];
    const auto write = [](const fs::path& p, const void* bytes, std::size_t size, const timespec (&times)[2]) {
        const int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) throw std::runtime_error("cannot create " + p.string() + ": " + std::strerror(errno));
        const bool ok = ::write(fd, bytes, size) == static_cast<ssize_t>(size) && ::futimens(fd, times) == 0;
        if (::close(fd) != 0 || !ok) throw std::runtime_error("cannot write " + p.string());
    };
    for (int i = 0; i < files; ++i) {
        std::snprintf(name, sizeof name, i % 100 == 50 ? ".f%06d.bin" : "f%06d.bin", i);
        const std::size_t size = 64 + next(seed) % (1024 - 64 + 1);
        for (std::size_t w = 0; w < (size + 7) / 8; ++w) data[w] = next(seed);
        const timespec t{static_cast<time_t>(1577836800 + next(seed) % (3 * 365 * 86400)),
                         static_cast<long>(next(seed) % 1000000 * 1000)};
        const timespec times[2] = {t, t};
        write(dir / name, data, size, times);
        if (!copy.empty()) write(copy / name, data, size, times);
    }
}

// A figure of /proc/self/status in KiB, or -1.
long statusKiB(const char* field) {
    std::ifstream in("/proc/self/status");
    const std::size_t n = std::strlen(field);
    for (std::string line; std::getline(in, line);)
        if (line.compare(0, n, field) == 0 && line.size() > n && line[n] == ':') return std::atol(line.c_str() + n + 1);
    return -1;
}

// Brings the peak back to what the process holds now (Linux 4.0 and later),
// so that the peak read afterwards is the check's alone.
bool resetPeak() {
    std::ofstream out("/proc/self/clear_refs");
    out << "5";
    out.flush();
    return static_cast<bool>(out);
}

double since(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

// The stand-in with its folder listings timed: the check's time splits into
// the port's listing (on Windows FindFirstFileExW and its kin) and its own.
class TimedListings final : public ForwardingShellFiles {
public:
    explicit TimedListings(PosixShellFiles& files) : ForwardingShellFiles(files) {}
    double total = 0, longest = 0;

    std::optional<std::vector<FileEntry>> listFolder(const std::string& folder, std::uint32_t& error,
                                                     const std::function<void()>& progress) override {
        const auto start = std::chrono::steady_clock::now();
        auto entries = inner_.listFolder(folder, error, progress);
        const double took = since(start);
        total += took;
        longest = std::max(longest, took);
        return entries;
    }
};

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
        if (args.size() == 3 && args[0] == "mirror") {
            const fs::path dst = fs::absolute(args[2]);
            posix::mapDrive('S', fs::absolute(args[1]).string());
            posix::mapDrive('T', dst.parent_path().string());
            StandInForm f;
            const bool reset = resetPeak();
            const long before = statusKiB("VmRSS");
            const auto start = std::chrono::steady_clock::now();
            f.form.mirrorfiles("S:\\", "T:\\" + dst.filename().string() + "\\", "S:\\");
            const double took = since(start);
            const long peak = statusKiB("VmHWM");
            if (!f.log().empty()) {
                std::fprintf(stderr, "mirrorfiles reported: %s\n", f.log().c_str());
                return 1;
            }
            std::printf("seconds %.6f peak_kib %ld peak_reset %d status %s\n", took, peak - before, reset ? 1 : 0,
                        f.window.text(Ctl::pnTitle).c_str());
            return 0;
        }
        if ((args.size() == 3 || args.size() == 4) && args[0] == "flat") {
            makeFlat(args[1], std::stoi(args[2]), args.size() == 4 ? fs::path(args[3]) : fs::path());
            return 0;
        }
        if (args.size() == 3 && args[0] == "check") {
            posix::mapDrive('S', fs::absolute(args[1]).string());
            posix::mapDrive('T', fs::absolute(args[2]).string());
            PosixShellFiles posixFiles;
            TimedListings files(posixFiles);
            // The window would be served here: the longest time between two
            // calls is how long it would not answer.
            auto last = std::chrono::steady_clock::now();
            double longest = 0;
            const auto keepAlive = [&] {
                const auto now = std::chrono::steady_clock::now();
                longest = std::max(longest, std::chrono::duration<double>(now - last).count());
                last = now;
            };
            const bool reset = resetPeak();
            const long before = statusKiB("VmRSS");
            const auto start = std::chrono::steady_clock::now();
            last = start;
            const CopyShortfall s = completeCopy(files, "S:\\", "T:\\", BackupInSource{}, keepAlive);
            const double took = since(start);
            keepAlive();  // the stretch from the last entry to the end
            const long peak = statusKiB("VmHWM");
            if (s.missing > 0) {
                std::fprintf(stderr, "the copy lacks %d of %d files\n", s.missing, s.files);
                return 1;
            }
            rusage usage{};
            ::getrusage(RUSAGE_SELF, &usage);
            // Without the reset (peak_reset 0) the peak may be the start-up's.
            std::printf("seconds %.6f files %d check_peak_kib %ld rss_before_kib %ld process_peak_kib %ld "
                        "peak_reset %d longest_unserved %.6f listing_seconds %.6f longest_listing %.6f\n",
                        took, s.files, peak - before, before, usage.ru_maxrss, reset ? 1 : 0, longest, files.total,
                        files.longest);
            return 0;
        }
        if (args.size() == 4 && args[0] == "gone") {
            posix::mapDrive('S', fs::absolute(args[1]).string());
            posix::mapDrive('T', fs::absolute(args[2]).string());
            const int after = std::stoi(args[3]);
            PosixShellFiles files;
            int copies = 0, attemptsAfter = 0;  // from the one that found the target gone on
            std::chrono::steady_clock::time_point removed;
            files.beforeCopyFile = [&] {
                if (copies++ == after) {
                    posix::unmapDrive('T');  // the drive pulled out
                    removed = std::chrono::steady_clock::now();
                }
                if (copies > after) ++attemptsAfter;
            };
            const auto start = std::chrono::steady_clock::now();
            const CopyShortfall s = completeCopy(files, "S:\\", "T:\\", BackupInSource{}, [] {});
            const auto end = std::chrono::steady_clock::now();
            if (copies <= after) {
                std::fprintf(stderr, "the check copied only %d files, the target was never removed\n", copies);
                return 1;
            }
            std::printf("seconds_after_removal %.6f seconds_before_removal %.6f copies_after_removal %d "
                        "target_gone %d missing %d files %d folders %d\n",
                        std::chrono::duration<double>(end - removed).count(),
                        std::chrono::duration<double>(removed - start).count(), attemptsAfter,
                        s.targetGone ? 1 : 0, s.missing, s.files, s.folders);
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
    std::fprintf(stderr,
                 "usage: standin_bench trees ROOT FILES_A FOLDERS_A FILES_B | flat DIR FILES [COPY] | copy SRC DST | "
                 "mirror SRC DST | delete DIR | check SRC DST | gone SRC DST AFTER\n");
    return 2;
}
