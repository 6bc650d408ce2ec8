#include "core/run/target_door.h"

#include <vector>

#include "core/copycheck.h"
#include "core/names.h"
#include "core/paths.h"
#include "core/target_paths.h"

namespace zb {

namespace {

std::vector<std::string> namesOf(const std::string& path) {
    std::vector<std::string> names;
    std::string name;
    for (const char c : path) {
        if (c == '\\' || c == '/') {
            if (!name.empty()) names.push_back(name);
            name.clear();
        } else {
            name += c;
        }
    }
    if (!name.empty()) names.push_back(name);
    return names;
}

}  // namespace

std::optional<TargetDoor> TargetDoor::open(IShellFiles& files, const RunSnapshot& snapshot) {
    if (!snapshot.targetMedium || snapshot.weekday.empty() || !isAbsolutePath(snapshot.target)) return std::nullopt;
    const TargetPath root = targetFolder(files, snapshot.target);
    return TargetDoor(files, root.shown, (root / snapshot.weekday).full, *snapshot.targetMedium);
}

std::string TargetDoor::inWeekdayFolder(const std::string& name) const { return join(folder_, name); }

bool TargetDoor::inside(const std::string& path) {
    // Names as the target compares them, one by one; a "." or ".." would
    // lead elsewhere than its letters say.
    const std::vector<std::string> mine = namesOf(folder_), theirs = namesOf(files_.fullPath(path));
    if (theirs.size() < mine.size()) return false;
    for (std::size_t i = 0; i < theirs.size(); ++i) {
        if (theirs[i] == "." || theirs[i] == "..") return false;
        if (i < mine.size() && !sameName(theirs[i], mine[i])) return false;
    }
    return true;
}

bool TargetDoor::sameMedium() {
    if (swapped_) return false;
    const MediumState state = compareMedium(files_, root_, medium_);
    swapped_ = state == MediumState::Changed;
    return state == MediumState::Same;
}

std::uint32_t TargetDoor::admit(const std::string& path) {
    if (swapped_) return ERROR_MEDIA_CHANGED_;
    if (!inside(path)) return ERROR_ACCESS_DENIED_;
    // Last, right before the call: nothing of the run's may land on a medium
    // put in under the letter meanwhile.
    if (sameMedium()) return 0;
    return swapped_ ? ERROR_MEDIA_CHANGED_ : ERROR_PATH_NOT_FOUND_;
}

int TargetDoor::shFileOperation(const ShFileOp& op, bool& anyAborted) {
    anyAborted = false;
    // The sources of a copy are read, the destination written; a deletion
    // writes every path it names.
    const std::string& written = op.wFunc == FO_COPY_ ? op.pTo : op.wFunc == FO_DELETE_ ? op.pFrom : std::string();
    if (written.empty() || written[0] == '\0') return static_cast<int>(ERROR_ACCESS_DENIED_);
    std::vector<std::string> paths;
    for (std::size_t start = 0; start < written.size() && written[start] != '\0';) {
        const std::size_t end = written.find('\0', start);
        paths.push_back(written.substr(start, end - start));
        start = end == std::string::npos ? written.size() : end + 1;
    }
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (!inside(paths[i])) return static_cast<int>(ERROR_ACCESS_DENIED_);
    }
    if (const std::uint32_t refused = admit(paths.front())) return static_cast<int>(refused);
    return files_.shFileOperation(op, anyAborted);
}

std::uint32_t TargetDoor::copyFile(const std::string& from, const std::string& to, bool replace,
                                   const CopyProgress& progress) {
    if (const std::uint32_t refused = admit(to)) return refused;
    return files_.copyFile(from, to, replace, progress);
}

std::uint32_t TargetDoor::createFolder(const std::string& like, const std::string& path) {
    if (const std::uint32_t refused = admit(path)) return refused;
    return files_.createFolder(like, path);
}

std::uint32_t TargetDoor::createPrivateFolder(const std::string& path, const std::string& sid) {
    if (const std::uint32_t refused = admit(path)) return refused;
    return files_.createPrivateFolder(path, sid);
}

std::uint32_t TargetDoor::deleteFile(const std::string& path) {
    if (const std::uint32_t refused = admit(path)) return refused;
    return files_.deleteFile(path);
}

std::uint32_t TargetDoor::removeFolder(const std::string& path) {
    if (const std::uint32_t refused = admit(path)) return refused;
    return files_.removeFolder(path);
}

std::uint32_t TargetDoor::moveEntry(const std::string& from, const std::string& to) {
    if (!inside(from)) return ERROR_ACCESS_DENIED_;
    if (const std::uint32_t refused = admit(to)) return refused;
    return files_.moveEntry(from, to);
}

std::uint32_t TargetDoor::writeFile(const std::string& path, const std::string& bytes) {
    if (const std::uint32_t refused = admit(path)) return refused;
    return files_.writeFile(path, bytes);
}

bool TargetDoor::makeFolder(const std::string& parent, const std::string& child, const std::string& privateTo) {
    const std::string path = join(parent, child);
    const std::uint32_t e = privateTo.empty() ? createFolder({}, path) : createPrivateFolder(path, privateTo);
    if (e == 0) return true;
    if (e != ERROR_ALREADY_EXISTS_ && e != ERROR_FILE_EXISTS_) return false;
    // A folder (or a link, which the copy refuses by itself) already there
    // under the name as the target finds it is used as it is.
    std::uint32_t error = 0;
    const auto entries = files_.listFolder(parent, error, {});
    if (!entries) return false;
    for (const FileEntry& f : *entries)
        if ((f.folder || f.reparsePoint()) && sameName(f.name, child)) return true;
    return false;
}

bool TargetDoor::makeWeekdayFolder() { return makeFolder(parentOf(folder_), namesOf(folder_).back(), privateTo_); }

bool TargetDoor::makeSourceFolder(const std::string& name) { return makeWeekdayFolder() && makeFolder(folder_, name); }

}  // namespace zb
