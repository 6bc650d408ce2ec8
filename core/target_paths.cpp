#include "core/target_paths.h"

#include "core/copycheck.h"
#include "core/paths.h"

namespace zb {

TargetPath TargetPath::operator/(const std::string& name) const { return {join(full, name), join(shown, name)}; }

TargetPath targetFolder(IShellFiles& files, const std::string& target) {
    const std::string shown = withTrailingDelimiter(target);
    return {files.fullPath(shown), shown};
}

}  // namespace zb
