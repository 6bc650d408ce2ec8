#pragma once
// A TfrmBackup on the stand-ins, with APPDATA pointing into a fresh folder.
#include <gtest/gtest.h>

#include <cstdlib>

#include "../contract/contract_util.h"
#include "core/errors.h"
#include "core/uMain.h"
#include "standin/clock_posix.h"
#include "standin/posix_folders.h"
#include "standin/posix_locale.h"
#include "standin/posix_paths.h"
#include "standin/standins.h"
#include "resources/texts.h"

namespace zb::test {

using Box = PosixWindow::Box;

class FormTest : public ::testing::Test, protected StandIns {
protected:
    FormTest() {
        posix::clearDrives();
        posix::localeSettings() = posix::LocaleSettings{};
        posix::folders() = posix::Folders{};
        setenv("APPDATA", appData().c_str(), 1);
    }
    ~FormTest() override {
        unsetenv("APPDATA");
        posix::clearDrives();
    }

    std::string appData() const { return dir.path() + "\\AppData\\Roaming"; }
    std::string settingsDir() const { return appData() + "\\ZelkorBackup\\"; }
    std::string iniPath() const { return settingsDir() + "Backup.ini"; }

    void writeIni(const std::string& content) {
        std::filesystem::create_directories(host(settingsDir()));
        writeBytes(iniPath(), content);
    }
    std::string iniText() const { return readBytes(iniPath()); }

    // A folder that exists, as the program would name it.
    std::string makeFolder(const std::string& name) {
        const std::string p = dir.path() + "\\" + name;
        std::filesystem::create_directories(host(p));
        return p;
    }

    void tick(Ctl box) { window.setCheckedState(box, true); }
    std::vector<Box> boxesOfKind(MsgKind k) const {
        std::vector<Box> out;
        for (const auto& b : window.boxes)
            if (b.kind == k) out.push_back(b);
        return out;
    }

    // The events other than the program's end and the timer's state.
    std::vector<PosixEventLog::Event> reports() const {
        std::vector<PosixEventLog::Event> out;
        for (const auto& e : eventLog.events)
            if (e.id != kEventProgramEnded && e.id != kEventTimerStopped && e.id != kEventTimerActivated)
                out.push_back(e);
        return out;
    }

    // The ports of the fixture, with another window or tray.
    Ports portsWith(IWindow& w, ITray& t) { return ports(clock, w, t); }

    TempDir dir;
    VirtualClock clock;
    TfrmBackup form{portsWith(window, tray)};
};

inline Box error(const std::string& text) { return {MsgKind::Error, MsgButtons::Ok, text}; }
inline Box info(const std::string& text) { return {MsgKind::Confirmation, MsgButtons::Ok, text}; }
inline Box warning(const std::string& text) { return {MsgKind::Warning, MsgButtons::YesNo, text}; }
}  // namespace zb::test

namespace zb {
// Lets GoogleTest print a message box readably when a comparison fails.
inline void PrintTo(const PosixWindow::Box& b, std::ostream* o) {
    *o << "Box{kind " << int(b.kind) << ", buttons " << int(b.buttons) << ", \"" << b.text << "\"}";
}
}  // namespace zb
