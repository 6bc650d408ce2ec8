#include "standin/shell_posix.h"

#include <cctype>

namespace zb {

namespace {

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

class PosixShellLink final : public IShellLinkObject {
public:
    explicit PosixShellLink(PosixShellLinkFactory& f) : f_(f) { ++f_.liveObjects; }
    ~PosixShellLink() override {
        f_.calls.push_back("Release");
        --f_.liveObjects;
    }
    PosixShellLink(const PosixShellLink&) = delete;
    PosixShellLink& operator=(const PosixShellLink&) = delete;

    bool queryInterfaces() override {
        f_.calls.push_back("QueryInterface");
        return !f_.lacksInterface;
    }
    void setPath(const std::string& s) override { f_.calls.push_back("SetPath " + s); }
    void setArguments(const std::string& s) override { f_.calls.push_back("SetArguments " + s); }
    void setDescription(const std::string& s) override { f_.calls.push_back("SetDescription " + s); }
    void setWorkingDirectory(const std::string& s) override { f_.calls.push_back("SetWorkingDirectory " + s); }
    bool save(const std::string& path) override {
        f_.calls.push_back("Save " + path);
        return !f_.saveFails;
    }

private:
    PosixShellLinkFactory& f_;
};

}  // namespace

void PosixRegistry::put(const std::string& key, const std::string& name, const Value& value) {
    keys_[lower(key)][lower(name)] = value;
}

std::optional<PosixRegistry::Value> PosixRegistry::value(const std::string& key, const std::string& name) const {
    const auto k = keys_.find(lower(key));
    if (k == keys_.end()) return std::nullopt;
    const auto v = k->second.find(lower(name));
    return v == k->second.end() ? std::nullopt : std::optional<Value>(v->second);
}

bool PosixRegistry::keyExists(const std::string& key) const { return keys_.count(lower(key)) != 0; }

IRegistry::Key PosixRegistry::openOrCreate(const std::string& subKey) {
    calls.push_back("open " + subKey);
    if (openFails) return 0;
    keys_[lower(subKey)];
    ++openKeys;
    open_[next_] = lower(subKey);
    return next_++;
}

bool PosixRegistry::valueExists(Key key, const std::string& name) {
    calls.push_back("exists " + name);
    const auto k = open_.find(key);
    return k != open_.end() && value(k->second, name).has_value();
}

std::optional<std::string> PosixRegistry::queryString(Key key, const std::string& subKey, const std::string& name) {
    calls.push_back("query " + subKey + " " + name);
    const auto k = open_.find(key);
    if (k == open_.end()) return std::nullopt;
    const auto v = value(k->second + "\\" + subKey, name);
    if (!v || v->type != REG_SZ_) return std::nullopt;
    return v->data;
}

bool PosixRegistry::setString(Key key, const std::string& name, const std::string& data) {
    calls.push_back("set " + name + " " + data);
    const auto k = open_.find(key);
    if (k == open_.end() || writeFails) return false;
    put(k->second, name, {REG_SZ_, data});
    return true;
}

bool PosixRegistry::deleteValue(Key key, const std::string& name) {
    calls.push_back("delete " + name);
    const auto k = open_.find(key);
    if (k == open_.end() || deleteFails) return false;
    return keys_[k->second].erase(lower(name)) != 0;
}

void PosixRegistry::close(Key key) {
    calls.push_back("close");
    if (open_.erase(key) != 0) --openKeys;
}

std::unique_ptr<IShellLinkObject> PosixShellLinkFactory::create(std::uint32_t& hresult) {
    calls.push_back("CoCreateInstance");
    hresult = createResult;
    if (createResult & 0x80000000u) return nullptr;
    return std::make_unique<PosixShellLink>(*this);
}

std::string PosixShellLinkFactory::messageText(std::uint32_t hresult) {
    const auto it = messages.find(hresult);
    return it == messages.end() ? std::string() : it->second;
}

std::intptr_t PosixLauncher::shellExecute(std::uintptr_t owner, const std::string& operation,
                                          const std::string& file, const std::string& parameters,
                                          const std::string& directory, int showCommand) {
    calls.push_back({owner, operation, file, parameters, directory, showCommand});
    if (onExecute) onExecute(calls.back());
    return result;
}

}  // namespace zb
