#include "app/command_messages.h"

#include <filesystem>
#include <new>

#include "scene/printable_text.h"

namespace plix::sandbox {

void printNotes(std::ostream &err, const std::vector<scene::SceneNote> &notes, std::size_t shown) {
    for (std::size_t i = 0; i < notes.size() && i < shown; ++i) err << notes[i].formatted() << "\n";
    if (notes.size() > shown)
        err << "plix-sandbox: note: " << notes.size() - shown << " more notes like these are not shown\n";
}

std::string failureMessage(const std::exception &error) {
    if (dynamic_cast<const std::bad_alloc *>(&error) != nullptr)
        return "ran out of memory: the scene's effects need more than this machine gives the program (each point "
               "of an object takes about 200 bytes in the module and the sandbox together); play fewer points or "
               "allow the program more memory";
    const auto *fs = dynamic_cast<const std::filesystem::filesystem_error *>(&error);
    if (fs == nullptr) return scene::printable(error.what());
    // The library's text is "filesystem error: OPERATION: REASON [PATH] [PATH]".
    std::string operation = fs->what();
    const std::string prefix = "filesystem error: ";
    if (operation.rfind(prefix, 0) == 0) operation.erase(0, prefix.size());
    const std::string reason = fs->code().message();
    if (const std::size_t cut = operation.find(": " + reason); cut != std::string::npos) operation.resize(cut);
    else if (const std::size_t colon = operation.find(": "); colon != std::string::npos) operation.resize(colon);
    std::string message = operation;
    for (const std::filesystem::path *path : {&fs->path1(), &fs->path2()})
        if (!path->empty()) message += " '" + scene::printable(path->string()) + "'";
    return message + ": " + reason;
}

} // namespace plix::sandbox
