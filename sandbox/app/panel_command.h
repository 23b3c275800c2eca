// `plix-sandbox panel`: shows an effect's settings panel as the module builds
// it, enters values through it as a user would, and saves the scene with the
// effect's new block.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace plix::sandbox {

struct PanelOptions {
    std::filesystem::path scene;
    std::filesystem::path module;       // empty: plix6.p beside the program
    std::optional<std::string> object;  // none: the first object
    int effect = 1;                     // which of the object's effects, from 1
    std::vector<std::string> sets;      // "ID=VALUE", entered in order
    std::optional<std::filesystem::path> save;
};

// Returns the exit code: 0, or 1 after a message on `err` (nothing saved).
int runPanel(const PanelOptions &options, std::ostream &out, std::ostream &err);

} // namespace plix::sandbox
