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
const wchar_t* orNull(const std::wstring& s) { return s.empty() ? nullptr : s.c_str(); }

class Win32ShellLink final : public IShellLinkObject {
public:
    IUnknown** putObject() { return object_.put(); }

    bool queryInterfaces() override {
        return SUCCEEDED(object_->QueryInterface(IID_IShellLinkW, reinterpret_cast<void**>(link_.put()))) &&
               SUCCEEDED(object_->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file_.put())));
    }
    void setPath(const std::string& path) override { (void)link_->SetPath(toWide(path).c_str()); }
    void setArguments(const std::string& arguments) override {
        (void)link_->SetArguments(toWide(arguments).c_str());
    }
    void setDescription(const std::string& description) override {
        (void)link_->SetDescription(toWide(description).c_str());
    }
    void setWorkingDirectory(const std::string& directory) override {
        (void)link_->SetWorkingDirectory(toWide(directory).c_str());
    }
    bool save(const std::string& path) override { return SUCCEEDED(file_->Save(toWide(path).c_str(), FALSE)); }

private:
    ComPtr<IUnknown> object_;
    ComPtr<IShellLinkW> link_;
    ComPtr<IPersistFile> file_;
};

}  // namespace

IRegistry::Key Win32Registry::openOrCreate(const std::string& subKey) {
    HKEY k = nullptr;
    const LONG r = RegCreateKeyExW(HKEY_CURRENT_USER, toWide(subKey).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                   KEY_ALL_ACCESS, nullptr, &k, nullptr);
    return r == ERROR_SUCCESS ? reinterpret_cast<Key>(k) : 0;
}

bool Win32Registry::valueExists(Key key, const std::string& name) {
    return key && RegQueryValueExW(hkey(key), toWide(name).c_str(), nullptr, nullptr, nullptr, nullptr) ==
                      ERROR_SUCCESS;
}

std::optional<std::string> Win32Registry::queryString(Key key, const std::string& subKey, const std::string& name) {
    if (!key) return std::nullopt;
    UniqueHkey sub;
    if (RegOpenKeyExW(hkey(key), toWide(subKey).c_str(), 0, KEY_READ, sub.put()) != ERROR_SUCCESS)
        return std::nullopt;
    const std::wstring wideName = toWide(name);
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(sub.get(), wideName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(sub.get(), wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                         &size) != ERROR_SUCCESS)
        return std::nullopt;
    // The stored data need not end in a NUL, or may hold more than one.
    data.resize(std::min<std::size_t>(size / sizeof(wchar_t), data.size()));
    data.resize(data.find(L'\0') == std::wstring::npos ? data.size() : data.find(L'\0'));
    return fromWide(data);
}

bool Win32Registry::setString(Key key, const std::string& name, const std::string& value) {
    const std::wstring data = toWide(value);
    return key && RegSetValueExW(hkey(key), toWide(name).c_str(), 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(data.c_str()),
                                 static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool Win32Registry::deleteValue(Key key, const std::string& name) {
    return key && RegDeleteValueW(hkey(key), toWide(name).c_str()) == ERROR_SUCCESS;
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
    wchar_t buf[1024] = {};
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, hresult, 0,
                                   buf, 1024, nullptr);
    return n > 0 ? fromWide(std::wstring_view(buf, n)) : std::string();
}

std::intptr_t Win32Launcher::shellExecute(std::uintptr_t owner, const std::string& operation,
                                          const std::string& file, const std::string& parameters,
                                          const std::string& directory, int showCommand) {
    const std::wstring op = toWide(operation), f = toWide(file), p = toWide(parameters), d = toWide(directory);
    return reinterpret_cast<std::intptr_t>(ShellExecuteW(reinterpret_cast<HWND>(owner), orNull(op), f.c_str(),
                                                         orNull(p), orNull(d), showCommand));
}

}  // namespace zb
