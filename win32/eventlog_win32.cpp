#include "win32/eventlog_win32.h"

#include <windows.h>

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

}  // namespace

void Win32EventLog::report(EventType type, std::uint32_t id, const std::string& text) {
    EventSource source;
    if (!source.get()) return;
    const std::wstring wide = toWide(text);
    const wchar_t* strings[] = {wide.c_str()};
    // A full or switched-off log is no failure of the backup.
    (void)ReportEventW(source.get(), static_cast<WORD>(type), 0, id, nullptr, 1, 0, strings, nullptr);
}

}  // namespace zb
