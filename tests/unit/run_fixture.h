#pragma once
// A TfrmBackup whose drive letters are folders of the test, on a virtual
// clock that the run's waits move on.
#include <map>

#include "form_fixture.h"

namespace zb::test {

using Tree = std::map<std::string, std::string>;  // relative path -> content, "<dir>" for folders

inline Tree snapshotOf(const std::filesystem::path& root) {
    Tree t;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
        const std::string rel = e.path().lexically_relative(root).string();
        t[rel] = e.is_directory() ? "<dir>" : readBytes(e.path().string());
    }
    return t;
}

class RunTest : public FormTest {
protected:
    RunTest() {
        window.onWait = [this](std::uint32_t ms) { clock.advance(ms); };
        window.onProcessMessages = [this] {
            if (statuses.empty() || statuses.back() != window.text(Ctl::pnTitle))
                statuses.push_back(window.text(Ctl::pnTitle));
        };
        clock.set({2026, 12, 9, 1, 0, 0, 0});  // a Wednesday: weekday folder 3
        std::filesystem::create_directories(host(settingsDir()));
        posix::mapDrive('C', dir.path());
    }

    // Maps a drive letter to a fresh folder and returns the folder's host path.
    std::filesystem::path drive(char letter) {
        const std::string p = makeFolder(std::string("drive-") + letter);
        posix::mapDrive(letter, p);
        return host(p);
    }
    void target(int n, const std::string& text) { window.setText(edTarget(n), text); }
    void source(int k, const std::string& text, bool ticked = true) {
        window.setText(edPfad(k), text);
        window.setCheckedState(cbPfad(k), ticked);
    }
    // A source folder on drive C with a small tree in it.
    std::string sourceFolder(const std::string& name) {
        makeFolder(name);
        const std::string p = "C:\\" + name;
        writeBytes(p + "\\a.txt", "a");
        std::filesystem::create_directories(host(p) / "sub");
        writeBytes(p + "\\sub\\c.txt", "c");
        return p;
    }
    std::vector<std::string> logLines() const {
        std::vector<std::string> lines;
        const std::string all = window.text(Ctl::mmo1);
        for (std::size_t start = 0, end; (end = all.find("\r\n", start)) != std::string::npos; start = end + 2)
            if (all.compare(start, 28, "Meldungen der Sicherung vom ") && all.compare(start, 22, "Weitere Meldungen vom "))
                lines.push_back(all.substr(start, end - start));  // the lines, without the headers
        return lines;
    }
    std::string stored() { return profile->getString(iniPath(), "Backup", "redundanz", "<none>"); }
    void run(Ctl sender = Ctl::miExecNow) { form.miExecNowClick(sender); }

    std::vector<std::string> statuses;
};

}  // namespace zb::test
