#include "win32/eventlog_win32.h"

#include <windows.h>

#include <string>

#include "win32/text_win32.h"

namespace zb {

namespace {

// The source handle, opened for one event and closed on every path.
class EventSource {
public:
    EventSource() : h_(RegisterEventSourceW(nullptr, L"ZELKOR Backup")) {}
    ~EventSource() {
        if (h_) DeregisterEventSource(h_);
    }
    EventSource(const EventSource&) = delete;
    EventSource& operator=(const EventSource&) = delete;
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

// The account the program runs for, so that an administrator's query can
// tell the users of one computer apart (the event's UserId). Empty when it
// cannot be read; the event goes without it then.
std::string tokenUser() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return {};
    DWORD size = 0;
    GetTokenInformation(raw, TokenUser, nullptr, 0, &size);
    std::string buf(size, '\0');
    const bool ok = size != 0 && GetTokenInformation(raw, TokenUser, buf.data(), size, &size);
    CloseHandle(raw);
    return ok ? buf : std::string();
}

}  // namespace

void Win32EventLog::report(EventType type, std::uint32_t id, const std::string& text) {
    EventSource source;
    if (!source.get()) return;
    const std::wstring wide = toWide(text);
    const wchar_t* strings[] = {wide.c_str()};
    // A full or switched-off log is no failure of the backup.
    std::string user = tokenUser();
    PSID sid = user.empty() ? nullptr : reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
    (void)ReportEventW(source.get(), static_cast<WORD>(type), 0, id, sid, 1, 0, strings, nullptr);
}

}  // namespace zb
