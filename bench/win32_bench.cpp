// The Windows side of bench/copy_delete.sh, run under Wine: the folder copy
// and delete of a real TfrmBackup on the real Win32 ports and window, a bare
// SHFileOperationW with the same list, and the CPU time of one backup run.
//
//   win32_bench copy SRC DST            copyfiles(SRC, DST)
//   win32_bench mirror SRC DST          mirrorfiles(SRC, DST): DST brought level with SRC
//   win32_bench bare SRC DST            SHFileOperationW alone, with the list copyfiles would build
//   win32_bench delete DIR              dateredundanz(DIR)
//   win32_bench check SRC DST           the check of a complete copy DST against SRC alone
//   win32_bench run SRC1 SRC2 TARGET    miExecNowClick with two sources onto target 1
//   win32_bench estimate SRC OLD        the room a run needs: SRC copied anew, the weekday folder OLD deleted
//   win32_bench estimate-kept SRC COPY  the same for the kept copy COPY brought level with SRC
//   win32_bench gaps SRC TARGET [inline] miExecNowClick with SRC onto target 1, while another
//                                       thread sends the window a message every 20 ms
//
// Paths are Windows paths. copy, bare and delete print "seconds S" for the
// call alone and "inshell S" for the part of it spent in the shell port's
// operation (0 for bare, which bypasses the port); run prints "wall S cpu S"
// with the process's user+kernel time during the run; gaps prints "wall S
// longest S probes N over1s N over5s N": the longest the window took to
// answer, as Windows sees it when it asks whether the session may end
// (with "inline" the shell's operation runs on the window's own thread, as
// before it had a worker). Each fails when the program logged an error.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#undef ExitWindows

#include <cstdio>
#include <string>
#include <vector>

#include "core/copycheck.h"
#include "core/paths.h"
#include "core/settings.h"
#include "core/space_rules.h"
#include "core/uMain.h"
#include "platform/forwarding_shellfiles.h"
#include "core/calendar.h"
#include "win32/program_win32.h"
#include "win32/text_win32.h"
#include "resources/texts.h"

using namespace zb;

namespace {

double now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

// The real shell port, summing the time spent in the shell's operation, so
// that the program's own share of a copy shows without a second run's noise.
// The real port, made before the forwarding base that points at it.
struct OwnedShellFiles {
    std::unique_ptr<IShellFiles> real = makeShellFiles();
};
class TimedShellFiles final : private OwnedShellFiles, public ForwardingShellFiles {
public:
    TimedShellFiles() : ForwardingShellFiles(*real) {}
    int shFileOperation(const ShFileOp& op, bool& anyAborted) override {
        const double start = now();
        const int result = inner_.shFileOperation(op, anyAborted);
        inShell += now() - start;
        return result;
    }
    double inShell = 0;
};

// The program as WinMain assembles it, with its window created but never
// shown, and the shell's calls timed.
struct TimedFiles {
    TimedShellFiles timed;
};
struct Program : TimedFiles, Win32Program {
    Program() : Win32Program(GetModuleHandleW(nullptr), &timed) {
        if (!create()) throw std::runtime_error("cannot create the window");
        // A failure goes to the settings file first, so its folder must exist
        // for the failure to reach the log pane.
        (void)system->forceDirectories(settingsFolder(*system));
    }
    std::string log() const { return window.text(Ctl::mmo1); }
};

double seconds(FILETIME t) {
    return static_cast<double>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) * 1e-7;
}

double cpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    return seconds(kernel) + seconds(user);
}

// What copyfiles hands to the shell, prepared beforehand: the same names,
// destination, flags, title and owner, so that only the shell's work is timed.
double bareCopy(Program& p, const std::string& source, const std::string& dest) {
    if (!SetCurrentDirectoryW(toWide(source).c_str())) throw std::runtime_error("no source folder " + source);
    std::wstring from;
    constexpr std::uint32_t kAllEntries = 0x3F;  // hidden and system entries too, as copyfiles asks
    for (const std::string& name : p.shellFiles.findFiles("*.*", kAllEntries).value_or(std::vector<std::string>{}))
        if (name != "." && name != "..") from += toWide(name) + L'\0';
    from += L'\0';
    if (!p.system->forceDirectories(dest)) throw std::runtime_error("cannot create " + dest);
    const std::wstring to = toWide(dest) + L'\0' + L'\0';
    const std::wstring title = toWide(txt::CopyProgressTitle);
    SHFILEOPSTRUCTW op{};
    op.hwnd = p.window.hwnd();
    op.wFunc = FO_COPY;
    op.pFrom = from.c_str();
    op.pTo = to.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI;
    op.lpszProgressTitle = title.c_str();
    const double start = now();
    const int result = SHFileOperationW(&op);
    const double took = now() - start;
    if (result != 0 || op.fAnyOperationsAborted)
        throw std::runtime_error("SHFileOperationW: " + std::to_string(result));
    return took;
}

// A whole run as the tray menu starts it, pauses included. The weekday folder
// of today exists, so the run deletes it as well: four pauses of 5 s.
int backupRun(Program& p, const std::string& src1, const std::string& src2, const std::string& target) {
    p.window.setText(edTarget(1), target);
    p.window.setText(edPfad(1), src1);
    p.window.setCheckedState(cbPfad(1), true);
    p.window.setText(edPfad(2), src2);
    p.window.setCheckedState(cbPfad(2), true);
    const LocalDateTime today = p.clock->now();
    const std::string weekday =
        withTrailingDelimiter(target) + std::to_string(isoWeekday(today.year, today.month, today.day));
    if (!p.system->forceDirectories(weekday + "\\alt")) throw std::runtime_error("cannot create " + weekday);

    const double wall = now(), cpu = cpuSeconds();
    // Not through the window's guard: its error box would wait for a click
    // that never comes; the error ends the bench instead.
    p.form.miExecNowClick(Ctl::miExecNow);
    const double cpuUsed = cpuSeconds() - cpu, wallUsed = now() - wall;
    p.form.removeTrayIcon();
    if (!p.log().empty()) {
        std::fprintf(stderr, "the run reported: %s\n", p.log().c_str());
        return 1;
    }
    std::printf("wall %.3f cpu %.3f\n", wallUsed, cpuUsed);
    return 0;
}

// Sends the window WM_NULL from another thread, one message after the other
// with a pause of 20 ms, and keeps the longest wait for an answer.
struct Probe {
    HWND hwnd = nullptr;
    volatile LONG stop = 0;
    double longest = 0;
    int probes = 0, over1s = 0, over5s = 0;
    static DWORD WINAPI loop(void* arg) {
        auto& p = *static_cast<Probe*>(arg);
        while (!InterlockedCompareExchange(&p.stop, 0, 0)) {
            const double start = now();
            DWORD_PTR answer = 0;
            SendMessageTimeoutW(p.hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 600000, &answer);
            const double took = now() - start;
            p.longest = took > p.longest ? took : p.longest;
            ++p.probes;
            p.over1s += took > 1.0;
            p.over5s += took > 5.0;
            Sleep(20);
        }
        return 0;
    }
};

int gaps(Program& p, const std::string& source, const std::string& target, bool inlineShell) {
    p.servedShellFiles.onWorker = !inlineShell;
    p.window.setText(edTarget(1), target);
    p.window.setText(edPfad(1), source);
    p.window.setCheckedState(cbPfad(1), true);
    const LocalDateTime today = p.clock->now();
    const std::string weekday =
        withTrailingDelimiter(target) + std::to_string(isoWeekday(today.year, today.month, today.day));
    if (!p.system->forceDirectories(weekday + "\\alt")) throw std::runtime_error("cannot create " + weekday);
    Probe probe;
    probe.hwnd = p.window.hwnd();
    HANDLE thread = CreateThread(nullptr, 0, &Probe::loop, &probe, 0, nullptr);
    if (!thread) throw std::runtime_error("no probe thread");
    const double wall = now();
    p.form.miExecNowClick(Ctl::miExecNow);
    const double took = now() - wall;
    InterlockedExchange(&probe.stop, 1);
    // The probe's last message needs the loop: served until the probe ends.
    p.window.serveUntil(thread, INFINITE);
    CloseHandle(thread);
    p.form.removeTrayIcon();
    if (!p.log().empty()) {
        std::fprintf(stderr, "the run reported: %s\n", p.log().c_str());
        return 1;
    }
    std::printf("wall %.3f longest %.3f probes %d over1s %d over5s %d\n", took, probe.longest, probe.probes,
                probe.over1s, probe.over5s);
    return 0;
}

// The check that copyfiles makes after the shell's copy, on a copy that is
// complete: the cost of reading both trees' metadata.
int checkCopy(IShellFiles& files, const std::string& source, const std::string& dest) {
    const double start = now();
    const CopyShortfall s = completeCopy(files, source, dest, BackupInSource{}, [] {});
    const double took = now() - start;
    if (s.missing > 0) {
        std::fprintf(stderr, "the copy lacks %d of %d files\n", s.missing, s.files);
        return 1;
    }
    std::printf("seconds %.6f inshell 0 files %d\n", took, s.files);
    return 0;
}

// The estimate a run makes before it deletes or writes anything, alone.
int estimate(IShellFiles& files, const std::string& source, const std::string& old, bool kept) {
    const double start = now();
    const auto volume = diskSpaceOf(files, old);
    if (!volume) throw std::runtime_error("no figures for " + old);
    SpaceCounter count(files, volume->clusterBytes, old.substr(0, 3), {});
    if (kept) {
        count.keptFolder(source, old, false);
    } else {
        count.deleted(old);
        count.fresh(source);
    }
    const double took = now() - start;
    std::printf("seconds %.6f inshell 0 needed %llu freed %llu files %d\n", took,
                static_cast<unsigned long long>(count.need.needed), static_cast<unsigned long long>(count.need.freed),
                count.need.files);
    return 0;
}

int timed(Program& p, double seconds) {
    if (!p.log().empty()) {
        std::fprintf(stderr, "the program reported: %s\n", p.log().c_str());
        return 1;
    }
    std::printf("seconds %.6f inshell %.6f\n", seconds, p.timed.inShell);
    return 0;
}

int dispatch(const std::vector<std::string>& args) {
    Program p;
    const auto owner = p.window.handle();
    if (args.size() == 3 && args[0] == "copy") {
        const double start = now();
        p.form.copyfiles(args[1], args[2], owner);
        return timed(p, now() - start);
    }
    if (args.size() == 3 && args[0] == "mirror") {
        const double start = now();
        p.form.mirrorfiles(args[1], args[2], args[1]);
        const double took = now() - start;
        std::printf("status %s\n", p.window.text(Ctl::pnTitle).c_str());
        return timed(p, took);
    }
    if (args.size() == 3 && args[0] == "bare") return timed(p, bareCopy(p, args[1], args[2]));
    if (args.size() == 3 && args[0] == "check") return checkCopy(p.shellFiles, args[1], args[2]);
    if (args.size() == 2 && args[0] == "delete") {
        const double start = now();
        p.form.dateredundanz(args[1], owner);
        return timed(p, now() - start);
    }
    if (args.size() == 4 && args[0] == "run") return backupRun(p, args[1], args[2], args[3]);
    if (args.size() == 3 && (args[0] == "estimate" || args[0] == "estimate-kept"))
        return estimate(p.shellFiles, args[1], args[2], args[0] == "estimate-kept");
    if ((args.size() == 3 || (args.size() == 4 && args[3] == "inline")) && args[0] == "gaps")
        return gaps(p, args[1], args[2], args.size() == 4);
    std::fprintf(stderr,
                 "usage: win32_bench copy SRC DST | mirror SRC DST | bare SRC DST | delete DIR | check SRC DST | "
                 "run SRC1 SRC2 TARGET | estimate SRC OLD | estimate-kept SRC COPY | gaps SRC TARGET [inline]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return dispatch(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "win32_bench: %s\n", e.what());
        return 1;
    }
}
