// Stand-ins for the environment, the folders and the regional settings.
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>

#include "standin/posix_folders.h"
#include "standin/posix_locale.h"
#include "standin/shellfiles_posix.h"
#include "standin/posix_paths.h"
#include "platform/ports.h"
#include "standin/timefmt.h"

namespace zb {

namespace {

class PosixSystem final : public ISystem {
public:
    std::string env(const std::string& name) override {
        const char* v = std::getenv(name.c_str());
        return v ? v : "";
    }
    bool directoryExists(const std::string& path) override {
        const auto host = posix::hostPath(path);
        struct stat st {};
        return host && !path.empty() && ::stat(host->c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    bool forceDirectories(const std::string& path) override {
        const auto host = posix::hostPath(path);
        if (!host || path.empty()) return false;
        std::error_code ec;
        std::filesystem::create_directories(*host, ec);
        return std::filesystem::is_directory(*host, ec);
    }
    std::string programFolder() override {
        if (!posix::folders().program.empty()) return posix::folders().program;
        std::error_code ec;
        return std::filesystem::read_symlink("/proc/self/exe", ec).parent_path().string();
    }
    std::string shellDesktopFolder() override { return posix::folders().desktop; }
    std::string sharedDataFolder() override { return posix::folders().shared; }
    // Only the owner may write, as administrators only may on Windows.
    Trust fileTrust(const std::string& path) override {
        const auto host = posix::hostPath(path);
        struct stat file {}, folder {};
        if (!host || ::lstat(host->c_str(), &file) != 0) return Trust::Missing;
        if (!S_ISREG(file.st_mode) || ::stat(std::filesystem::path(*host).parent_path().c_str(), &folder) != 0)
            return Trust::Untrusted;
        return (file.st_mode & 022) || (folder.st_mode & 022) ? Trust::Untrusted : Trust::Trusted;
    }
};

class PosixLocale final : public ILocale {
public:
    std::string formatLongTime(TimeOfDay t) override {
        const auto& s = posix::localeSettings();
        return formatTimePicture(s.longTimeFormat, t, s.am, s.pm);
    }
    std::string timeSeparator() override { return posix::localeSettings().timeSeparator; }
    std::string amDesignator() override { return posix::localeSettings().am; }
    std::string pmDesignator() override { return posix::localeSettings().pm; }
    std::string formatShortDate(const LocalDateTime& t) override {
        return formatDatePicture(posix::localeSettings().shortDateFormat, t);
    }
};

}  // namespace

posix::Folders& posix::folders() {
    static Folders f;
    return f;
}

posix::LocaleSettings& posix::localeSettings() {
    static LocaleSettings s;
    return s;
}

std::unique_ptr<ISystem> makeSystem() { return std::make_unique<PosixSystem>(); }
std::unique_ptr<ILocale> makeLocale() { return std::make_unique<PosixLocale>(); }
std::unique_ptr<IShellFiles> makeShellFiles() { return std::make_unique<PosixShellFiles>(); }

}  // namespace zb
