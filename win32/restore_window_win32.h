#pragma once
// The restore window: a search over the catalog with results as the user
// types, the backups to browse, restore with a bar and "Abbrechen". What it
// shows and does is decided in core/restore; the work runs on a thread of
// its own so that the window answers throughout.
#include <windows.h>

#include <atomic>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/catalog/catalog_keeper.h"
#include "core/restore/restore.h"
#include "core/restore/restore_view.h"

namespace zb {

class Win32RestoreWindow final : public IRestoreWindow {
public:
    // `targets` and `sources` give the targets and source folders as set now
    // (for the rebuild); called on the window's thread.
    Win32RestoreWindow(HINSTANCE instance, CatalogKeeper& keeper, ILocale& locale, IClock& clock,
                       std::function<std::vector<RebuildTarget>()> targets,
                       std::function<std::array<std::string, 5>()> sources);
    ~Win32RestoreWindow() override;
    Win32RestoreWindow(const Win32RestoreWindow&) = delete;
    Win32RestoreWindow& operator=(const Win32RestoreWindow&) = delete;

    void open() override;
    HWND hwnd() const { return hwnd_; }

private:
    static LRESULT CALLBACK proc(HWND h, UINT msg, WPARAM w, LPARAM l);
    static LRESULT CALLBACK messageHook(int code, WPARAM w, LPARAM l);
    LRESULT handle(UINT msg, WPARAM w, LPARAM l);
    void createControls();
    void layout();
    void applyDpi(UINT dpi);
    void command(int id, int notification);
    // Work on the worker thread; `done` back on the window's thread.
    void startJob(std::function<std::function<void()>()> job);
    void jobDone(std::function<void()>* done);
    // `refresh`: the same search again for the drives' state; the status line stays.
    void search(bool refresh = false);
    void showVersions(std::vector<Version> versions, std::vector<std::string> lines, bool refresh);
    void loadBackups();
    // The backup chosen in the list: browsed, or back to the search.
    void chooseBackup();
    void browseTo(const std::string& folder, int source);
    void restoreSelected(bool toOriginal);
    void saveAllVersions();
    void rebuild();
    void runPlan(RestorePlan plan);
    void setStatus(const std::string& text);
    void setBusy(bool busy);
    std::optional<std::string> pickFolder();
    int selected() const;
    Shown shown() const;

    HINSTANCE instance_;
    CatalogKeeper& keeper_;
    ILocale& locale_;
    IClock& clock_;
    std::function<std::vector<RebuildTarget>()> targets_;
    std::function<std::array<std::string, 5>()> sources_;
    HWND hwnd_ = nullptr;
    HWND searchLabel_ = nullptr, search_ = nullptr, backupLabel_ = nullptr, backups_ = nullptr, list_ = nullptr;
    HWND toOriginal_ = nullptr, toFolder_ = nullptr, allVersions_ = nullptr, rebuild_ = nullptr, close_ = nullptr;
    HWND progress_ = nullptr, cancel_ = nullptr, status_ = nullptr;
    HFONT font_ = nullptr;
    UINT dpi_ = 96;
    HHOOK hook_ = nullptr;

    std::thread worker_;
    std::atomic<bool> cancel_requested_{false};
    std::atomic<int> percent_{-1};
    bool busy_ = false;
    bool searchPending_ = false;
    bool backupChosen_ = false;
    // What the list shows: versions of a search, or entries of a backup.
    std::vector<Version> versions_;
    std::vector<Place> backupList_;
    Place* browsing_ = nullptr;  // into backupList_
    int browseSource_ = 0;             // 0: the sources of the backup
    std::string browseFolder_;
    std::vector<BrowseEntry> entries_;
};

}  // namespace zb
