#pragma once
// A TfrmBackup on the stand-ins, with APPDATA pointing into a fresh folder.
#include <gtest/gtest.h>

#include <cstdlib>

#include "../contract/contract_util.h"
#include "app/errors.h"
#include "app/uMain.h"
#include "platform/clock_posix.h"
#include "platform/devices_posix.h"
#include "platform/posix_folders.h"
#include "platform/posix_locale.h"
#include "platform/posix_paths.h"
#include "platform/shell_posix.h"
#include "platform/shellfiles_posix.h"
#include "platform/window_posix.h"
#include "resources/texts.h"

namespace zb::test {

using Box = PosixWindow::Box;

class FormTest : public ::testing::Test {
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

    // The ports of the fixture, with another window or tray.
    Ports portsWith(IWindow& w, ITray& t) {
        return Ports{w, *profile, *system, *locale, t, clock, shellFiles, volume, power,
                     registry, shellLinks, launcher};
    }

    TempDir dir;
    PosixWindow window;
    PosixTray tray;
    std::unique_ptr<IProfile> profile = makeProfile();
    std::unique_ptr<ISystem> system = makeSystem();
    std::unique_ptr<ILocale> locale = makeLocale();
    VirtualClock clock;
    PosixShellFiles shellFiles;
    PosixVolume volume;
    PosixPower power;
    PosixRegistry registry;
    PosixShellLinkFactory shellLinks;
    PosixLauncher launcher;
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
