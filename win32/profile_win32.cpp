#include <windows.h>

#include "platform/ports.h"
#include "win32/text_win32.h"

namespace zb {

namespace {

class Win32Profile final : public IProfile {
public:
    std::string getString(const std::string& file, const std::string& section, const std::string& key,
                          const std::string& def) override {
        char buf[2048];
        const DWORD n = GetPrivateProfileStringA(toAnsi(section).c_str(), toAnsi(key).c_str(), toAnsi(def).c_str(),
                                                 buf, sizeof buf, toAnsi(file).c_str());
        return fromAnsi(std::string_view(buf, n));
    }
    bool writeString(const std::string& file, const std::string& section, const std::string& key,
                     const std::string& value) override {
        return WritePrivateProfileStringA(toAnsi(section).c_str(), toAnsi(key).c_str(), toAnsi(value).c_str(),
                                          toAnsi(file).c_str()) != FALSE;
    }
    bool removeKey(const std::string& file, const std::string& section, const std::string& key) override {
        // A null value removes the key's line.
        return WritePrivateProfileStringA(toAnsi(section).c_str(), toAnsi(key).c_str(), nullptr,
                                          toAnsi(file).c_str()) != FALSE;
    }
};

}  // namespace

std::unique_ptr<IProfile> makeProfile() { return std::make_unique<Win32Profile>(); }

}  // namespace zb
