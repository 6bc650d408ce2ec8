#pragma once
// The registry, the shell link object and ShellExecuteW.
#include "platform/ports.h"

namespace zb {

class Win32Registry final : public IRegistry {
public:
    Key openOrCreate(const std::string& subKey) override;
    bool valueExists(Key key, const std::string& name) override;
    std::optional<std::string> queryString(Key key, const std::string& subKey, const std::string& name) override;
    bool setString(Key key, const std::string& name, const std::string& value) override;
    bool deleteValue(Key key, const std::string& name) override;
    void close(Key key) override;
};

// Needs COM initialised on the calling thread.
class Win32ShellLinkFactory final : public IShellLinkFactory {
public:
    std::unique_ptr<IShellLinkObject> create(std::uint32_t& hresult) override;
    std::string messageText(std::uint32_t hresult) override;
};

class Win32Launcher final : public ILauncher {
public:
    std::intptr_t shellExecute(std::uintptr_t owner, const std::string& operation, const std::string& file,
                               const std::string& parameters, const std::string& directory,
                               int showCommand) override;
};

}  // namespace zb
