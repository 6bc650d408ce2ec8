// Stand-ins for the environment, the folders and the regional settings.
#include <cstdlib>
#include <filesystem>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

#include "standin/codepage.h"

#include "standin/posix_folders.h"
#include "standin/posix_locale.h"
#include "standin/shellfiles_posix.h"
#include "standin/posix_paths.h"
#include "platform/ports.h"
#include "standin/timefmt.h"

namespace zb {

namespace {

// One open file descriptor.
class Descriptor {
public:
    Descriptor() = default;
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { reset(-1); }
    void reset(int fd) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }
    int get() const { return fd_; }
    bool ok() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

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
    // Opened level by level, never through a link, and read from the file's
    // own descriptor. The own account and root stand for the administrators
    // of Windows: only they may own or write the folder and the file; the
    // folder above may let others add (sticky, as /tmp), as %ProgramData% does.
    TrustedFile readTrustedFile(const std::string& path, std::size_t largest) override {
        const auto host = posix::hostPath(path);
        if (!host) return {Trust::Untrusted, {}};
        const std::filesystem::path file(*host);
        const auto open = [](int at, const std::string& name, int flags, Descriptor& fd) {
            fd.reset(::openat(at, name.c_str(), flags | O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
            return fd.ok() ? Trust::Trusted : errno == ENOENT ? Trust::Missing : Trust::Untrusted;
        };
        // mayAdd: the folder above; otherwise a folder (O_DIRECTORY) or the file.
        const auto trusted = [](const Descriptor& fd, bool mayAdd, bool isFile = false) {
            struct stat st {};
            return ::fstat(fd.get(), &st) == 0 && (st.st_uid == 0 || st.st_uid == ::geteuid()) &&
                   (!(st.st_mode & 022) || (mayAdd && (st.st_mode & S_ISVTX))) &&
                   (!isFile || (S_ISREG(st.st_mode) && st.st_nlink == 1));
        };
        Descriptor shared, folder, preset;
        if (const Trust t = open(AT_FDCWD, file.parent_path().parent_path().string(), O_DIRECTORY, shared);
            t != Trust::Trusted || !trusted(shared, true))
            return {t == Trust::Trusted ? Trust::Untrusted : t, {}};
        if (const Trust t = open(shared.get(), file.parent_path().filename().string(), O_DIRECTORY, folder);
            t != Trust::Trusted || !trusted(folder, false))
            return {t == Trust::Trusted ? Trust::Untrusted : t, {}};
        if (const Trust t = open(folder.get(), file.filename().string(), 0, preset);
            t != Trust::Trusted || !trusted(preset, false, true))
            return {t == Trust::Trusted ? Trust::Untrusted : t, {}};
        std::string bytes;
        char buf[4096];
        for (ssize_t n; (n = ::read(preset.get(), buf, sizeof buf)) > 0;) {
            bytes.append(buf, static_cast<std::size_t>(n));
            if (bytes.size() > largest) return {Trust::Trusted, std::nullopt};
        }
        if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
            std::u16string wide((bytes.size() - 2) / 2, u'\0');
            for (std::size_t i = 0; i < wide.size(); ++i)
                wide[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 + 2 * i]) |
                                                static_cast<unsigned char>(bytes[3 + 2 * i]) << 8);
            return {Trust::Trusted, utf16ToUtf8(wide)};
        }
        return {Trust::Trusted, ansiToUtf8(bytes, ansiCodePage())};
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
