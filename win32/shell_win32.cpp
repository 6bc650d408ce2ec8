#include "win32/shell_win32.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>

#include "win32/handles_win32.h"
#include "win32/text_win32.h"

namespace zb {

namespace {

HKEY hkey(IRegistry::Key k) { return reinterpret_cast<HKEY>(k); }

// An empty text stands for "none" in the ports; the API wants a null pointer.
const char* orNull(const std::string& ansi) { return ansi.empty() ? nullptr : ansi.c_str(); }

std::wstring utf16(const std::string& utf8) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

class Win32ShellLink final : public IShellLinkObject {
public:
    IUnknown** putObject() { return object_.put(); }

    bool queryInterfaces() override {
        return SUCCEEDED(object_->QueryInterface(IID_IShellLinkA, reinterpret_cast<void**>(link_.put()))) &&
               SUCCEEDED(object_->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file_.put())));
    }
    void setPath(const std::string& path) override { (void)link_->SetPath(toAnsi(path).c_str()); }
    void setArguments(const std::string& arguments) override {
        (void)link_->SetArguments(toAnsi(arguments).c_str());
    }
    void setDescription(const std::string& description) override {
        (void)link_->SetDescription(toAnsi(description).c_str());
    }
    void setWorkingDirectory(const std::string& directory) override {
        (void)link_->SetWorkingDirectory(toAnsi(directory).c_str());
    }
    bool save(const std::string& path) override { return SUCCEEDED(file_->Save(utf16(path).c_str(), FALSE)); }

private:
    ComPtr<IUnknown> object_;
    ComPtr<IShellLinkA> link_;
    ComPtr<IPersistFile> file_;
};

}  // namespace

IRegistry::Key Win32Registry::openOrCreate(const std::string& subKey) {
    HKEY k = nullptr;
    const LONG r = RegCreateKeyExA(HKEY_CURRENT_USER, toAnsi(subKey).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                   KEY_ALL_ACCESS, nullptr, &k, nullptr);
    return r == ERROR_SUCCESS ? reinterpret_cast<Key>(k) : 0;
}

bool Win32Registry::valueExists(Key key, const std::string& name) {
    return key && RegQueryValueExA(hkey(key), toAnsi(name).c_str(), nullptr, nullptr, nullptr, nullptr) ==
                      ERROR_SUCCESS;
}

std::optional<std::string> Win32Registry::queryString(Key key, const std::string& subKey, const std::string& name) {
    if (!key) return std::nullopt;
    UniqueHkey sub;
    if (RegOpenKeyExA(hkey(key), toAnsi(subKey).c_str(), 0, KEY_READ, sub.put()) != ERROR_SUCCESS)
        return std::nullopt;
    const std::string ansiName = toAnsi(name);
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(sub.get(), ansiName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    std::string data(size, '\0');
    if (RegQueryValueExA(sub.get(), ansiName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                         &size) != ERROR_SUCCESS)
        return std::nullopt;
    // The stored data need not end in a NUL, or may hold more than one.
    data.resize(std::min<std::size_t>(size, data.size()));
    data.resize(data.find('\0') == std::string::npos ? data.size() : data.find('\0'));
    return fromAnsi(data);
}

bool Win32Registry::setString(Key key, const std::string& name, const std::string& value) {
    const std::string ansi = toAnsi(value);
    return key && RegSetValueExA(hkey(key), toAnsi(name).c_str(), 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(ansi.c_str()),
                                 static_cast<DWORD>(ansi.size() + 1)) == ERROR_SUCCESS;
}

bool Win32Registry::deleteValue(Key key, const std::string& name) {
    return key && RegDeleteValueA(hkey(key), toAnsi(name).c_str()) == ERROR_SUCCESS;
}

void Win32Registry::close(Key key) {
    if (key) RegCloseKey(hkey(key));
}

std::unique_ptr<IShellLinkObject> Win32ShellLinkFactory::create(std::uint32_t& hresult) {
    auto link = std::make_unique<Win32ShellLink>();
    const HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                        IID_IUnknown, reinterpret_cast<void**>(link->putObject()));
    hresult = static_cast<std::uint32_t>(hr);
    if (FAILED(hr)) return nullptr;
    return link;
}

std::string Win32ShellLinkFactory::messageText(std::uint32_t hresult) {
    char buf[1024] = {};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, hresult, 0,
                                   buf, sizeof buf, nullptr);
    return n > 0 ? fromAnsi(std::string_view(buf, n)) : std::string();
}

std::intptr_t Win32Launcher::shellExecute(std::uintptr_t owner, const std::string& operation,
                                          const std::string& file, const std::string& parameters,
                                          const std::string& directory, int showCommand) {
    const std::string op = toAnsi(operation), f = toAnsi(file), p = toAnsi(parameters), d = toAnsi(directory);
    return reinterpret_cast<std::intptr_t>(ShellExecuteA(reinterpret_cast<HWND>(owner), orNull(op), f.c_str(),
                                                         orNull(p), orNull(d), showCommand));
}

}  // namespace zb
