#pragma once
// Recording stand-ins for the registry, the shell link object and
// ShellExecuteA: nothing here touches a registry or starts a program. Tests
// script failures and check the exact calls.
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/ports.h"

namespace zb {

inline constexpr std::uint32_t REG_SZ_ = 1, REG_DWORD_ = 4;

// HKEY_CURRENT_USER as a map; key and value names ignore case, as Windows does.
class PosixRegistry final : public IRegistry {
public:
    struct Value {
        std::uint32_t type = REG_SZ_;
        std::string data;
        friend bool operator==(const Value&, const Value&) = default;
    };

    // Scripting.
    bool openFails = false, writeFails = false, deleteFails = false;
    // Record: one line per call, e.g. "open Software\...\Run", "set ZELKOR Backup", "close".
    std::vector<std::string> calls;
    int openKeys = 0;

    void put(const std::string& key, const std::string& name, const Value& value);
    std::optional<Value> value(const std::string& key, const std::string& name) const;
    bool keyExists(const std::string& key) const;

    Key openOrCreate(const std::string& subKey) override;
    bool valueExists(Key key, const std::string& name) override;
    std::optional<std::string> queryString(Key key, const std::string& subKey, const std::string& name) override;
    bool setString(Key key, const std::string& name, const std::string& value) override;
    bool deleteValue(Key key, const std::string& name) override;
    void close(Key key) override;

private:
    std::map<std::string, std::map<std::string, Value>> keys_;
    std::map<Key, std::string> open_;
    Key next_ = 0x100;
};

// Every object it makes writes into the factory's record, so one list shows
// the whole life of a shortcut: "CoCreateInstance", "QueryInterface",
// "SetPath ...", ..., "Save ...", "Release".
class PosixShellLinkFactory final : public IShellLinkFactory {
public:
    // Scripting.
    std::uint32_t createResult = 0;  // a failure code (high bit set) makes create() fail
    bool lacksInterface = false;
    bool saveFails = false;
    std::map<std::uint32_t, std::string> messages;  // the system's texts
    // Record.
    std::vector<std::string> calls;
    int liveObjects = 0;

    std::unique_ptr<IShellLinkObject> create(std::uint32_t& hresult) override;
    std::string messageText(std::uint32_t hresult) override;
};

class PosixLauncher final : public ILauncher {
public:
    struct Call {
        std::uintptr_t owner;
        std::string operation, file, parameters, directory;
        int showCommand;
        friend bool operator==(const Call&, const Call&) = default;
    };
    std::vector<Call> calls;
    std::function<void(const Call&)> onExecute;  // what the world looks like when the shell is asked
    std::intptr_t result = 42;

    std::intptr_t shellExecute(std::uintptr_t owner, const std::string& operation, const std::string& file,
                               const std::string& parameters, const std::string& directory,
                               int showCommand) override;
};

}  // namespace zb
