#include <windows.h>
#include <shellapi.h>

#include "platform/ports.h"
#include "platform/text_win32.h"

namespace zb {

namespace {

// A find handle, closed with FindClose on every path.
class FindHandle {
public:
    explicit FindHandle(HANDLE h) : h_(h) {}
    ~FindHandle() {
        if (h_ != INVALID_HANDLE_VALUE) FindClose(h_);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

// Each entry of a NUL-separated list converted on its own, the list ends
// with one more NUL.
std::string ansiList(const std::string& list) {
    std::string out;
    std::size_t start = 0;
    while (start < list.size() && list[start] != '\0') {
        std::size_t end = list.find('\0', start);
        if (end == std::string::npos) end = list.size();
        out += toAnsi(list.substr(start, end - start));
        out += '\0';
        start = end + 1;
    }
    out += '\0';
    return out;
}

class Win32ShellFiles final : public IShellFiles {
public:
    int shFileOperation(const ShFileOp& op, bool& anyAborted) override {
        const std::string from = ansiList(op.pFrom);
        const std::string to = op.pTo.empty() ? std::string() : ansiList(op.pTo);
        const std::string title = toAnsi(op.lpszProgressTitle);
        SHFILEOPSTRUCTA s{};
        s.hwnd = reinterpret_cast<HWND>(op.hwnd);
        s.wFunc = op.wFunc;
        s.pFrom = from.c_str();
        s.pTo = to.empty() ? nullptr : to.c_str();
        s.fFlags = op.fFlags;
        s.lpszProgressTitle = title.empty() ? nullptr : title.c_str();
        const int r = SHFileOperationA(&s);
        anyAborted = s.fAnyOperationsAborted != FALSE;
        return r;
    }
    bool setCurrentDirectory(const std::string& path) override {
        return !path.empty() && SetCurrentDirectoryA(toAnsi(path).c_str()) != FALSE;
    }
    std::optional<std::vector<std::string>> findFiles(const std::string& mask, std::uint32_t attributes) override {
        WIN32_FIND_DATAA fd{};
        FindHandle find(FindFirstFileA(toAnsi(mask).c_str(), &fd));
        if (find.get() == INVALID_HANDLE_VALUE) return std::nullopt;
        // Hidden, system and folder entries only when the attribute mask asks for them.
        constexpr DWORD kSpecial = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
        std::vector<std::string> names;
        do {
            if ((fd.dwFileAttributes & ~attributes & kSpecial) == 0) names.push_back(fromAnsi(fd.cFileName));
        } while (FindNextFileA(find.get(), &fd));
        return names;
    }
};

}  // namespace

std::unique_ptr<IShellFiles> makeShellFiles() { return std::make_unique<Win32ShellFiles>(); }

}  // namespace zb
