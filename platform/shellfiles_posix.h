#pragma once
// The stand-in for the shell's file operations: copies and deletes real
// folders with the shell's semantics (names relative to the current
// directory, silent overwrite, whole trees, hidden entries included).
#include <set>
#include <string>
#include <vector>

#include "platform/ports.h"

namespace zb {

class PosixShellFiles final : public IShellFiles {
public:
    int shFileOperation(const ShFileOp& op, bool& anyAborted) override;
    bool setCurrentDirectory(const std::string& path) override;
    std::optional<std::vector<std::string>> findFiles(const std::string& mask, std::uint32_t attributes) override;

    // Scripting: host paths that cannot be deleted, as a file that another
    // program holds open; and a copy that the user cancels.
    std::set<std::string> undeletable;
    bool abortCopies = false;
    // Record.
    std::vector<ShFileOp> operations;
};

// Splits a double-NUL-terminated list.
std::vector<std::string> splitNulList(const std::string& list);

}  // namespace zb
