#include "player/output_folder.h"

#include <algorithm>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "player/sandbox_error.h"
#include "plix/platform/sha256.h"
#include "files/atomic_file.h"

namespace plix::sandbox {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

std::string manifestText(const OutputIdentity &identity) {
    const Json manifest = {{"outputs_of", "plix-sandbox play"},
                           {"identity", identity.digest()},
                           {"program", identity.program},
                           {"module_sha256", identity.moduleSha256},
                           {"scene", identity.sceneName},
                           {"scene_sha256", platform::sha256Hex(identity.sceneText)},
                           {"keep_parked", identity.keepParked}};
    return manifest.dump(2) + "\n";
}

// What the folder's manifest says, or an empty object when there is none.
Json readManifest(const fs::path &file) {
    std::error_code ec;
    if (!fs::exists(file, ec)) return Json::object();
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    Json manifest = Json::parse(text.str(), nullptr, false);
    if (!manifest.is_object() || !manifest.contains("identity") || !manifest["identity"].is_string())
        throw SandboxError(file.string() + " is not a plix-sandbox outputs manifest; remove it, or play into "
                                           "another --out folder");
    return manifest;
}

std::string describe(const Json &manifest) {
    const auto text = [&](const char *key) {
        return manifest.contains(key) && manifest[key].is_string() ? manifest[key].get<std::string>() : "?";
    };
    return "scene " + text("scene") + ", module " + text("module_sha256").substr(0, 12) + "…, " + text("program");
}

bool isFrameFileName(const std::string &name) { return cache::plyCacheFrameOf(name).has_value(); }

bool isTemporaryName(const std::string &name) { return files::isTemporaryFileName(name); }

// Outputs of an earlier play found in the folder, by their names: only files
// (a folder named preview.png is nobody's output and is never removed), and
// the frame files in cache/ and its effect folders.
std::vector<fs::path> earlierOutputs(const OutputNames &names, const Json &manifest) {
    std::vector<fs::path> found;
    std::error_code ec;
    for (fs::directory_iterator it(names.folder, ec), end; !ec && it != end; it.increment(ec))
        if (isPlayOutputName(it->path().filename().string()) && it->is_regular_file(ec)) found.push_back(it->path());
    if (manifest.contains("scene") && manifest["scene"].is_string()) {
        const fs::path scene = names.folder / fs::path(manifest["scene"].get<std::string>()).filename();
        if (fs::is_regular_file(scene, ec)) found.push_back(scene);
    }
    const auto frameFilesIn = [&](const fs::path &folder) {
        std::error_code walk;
        for (fs::directory_iterator it(folder, walk), end; !walk && it != end; it.increment(walk)) {
            const std::string name = it->path().filename().string();
            if ((isFrameFileName(name) || isTemporaryName(name)) && it->is_regular_file(walk))
                found.push_back(it->path());
        }
    };
    if (fs::is_directory(names.cacheFolder, ec)) {
        frameFilesIn(names.cacheFolder);
        for (fs::directory_iterator it(names.cacheFolder, ec), end; !ec && it != end; it.increment(ec))
            if (it->is_directory(ec)) frameFilesIn(it->path());
    }
    std::sort(found.begin(), found.end());
    return found;
}

// Removes the files, then the effect folders of cache/ and cache/ itself
// where they are left empty.
void removeOutputs(const OutputNames &names, const std::vector<fs::path> &paths) {
    for (const fs::path &path : paths) {
        std::error_code ec;
        fs::remove(path, ec);
        if (ec) throw SandboxError("cannot remove the earlier output " + path.string() + ": " + ec.message());
    }
    std::error_code ec;
    std::vector<fs::path> folders;
    for (fs::directory_iterator it(names.cacheFolder, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_directory(ec)) folders.push_back(it->path());
    for (const fs::path &folder : folders)
        if (fs::is_empty(folder, ec)) fs::remove(folder, ec);
    if (fs::is_directory(names.cacheFolder, ec) && fs::is_empty(names.cacheFolder, ec)) fs::remove(names.cacheFolder, ec);
}

// "cache/ (150 files), preview.png, default.scene"
std::string listNames(const OutputNames &names, const std::vector<fs::path> &paths) {
    std::string text;
    long long cached = 0;
    for (const fs::path &path : paths) {
        if (path.parent_path() != names.folder) {
            ++cached;
            continue;
        }
        text += (text.empty() ? "" : ", ") + path.filename().string();
    }
    if (cached > 0)
        text = "cache/ (" + std::to_string(cached) + (cached == 1 ? " file)" : " files)") + (text.empty() ? "" : ", ") +
               text;
    return text;
}

void makeFolder(const fs::path &folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) throw SandboxError("cannot make the output folder " + folder.string() + ": " + ec.message());
    if (!fs::is_directory(folder, ec))
        throw SandboxError("the output folder " + folder.string() + " is not a folder");
}

} // namespace

std::string OutputIdentity::digest() const {
    std::string all = program + "\n" + moduleSha256 + "\n" + sceneName + "\n" + (keepParked ? "keep-parked\n" : "\n");
    return platform::sha256Hex(all + sceneText);
}

namespace {

// Nothing but a file (or nothing) may stand where an output file goes.
void checkPlace(const fs::path &file) {
    try {
        files::outputPlace(file, {.replaceReadOnly = true});
    } catch (const std::exception &error) { // "cannot write FILE: reason"
        throw SandboxError(error.what());
    }
}

// A temporary file beside `file`, removed at once, shows that its folder
// takes new files.
void probeFolderOf(const fs::path &file) {
    try {
        files::AtomicOutputFile probe(file, {.replaceReadOnly = true});
    } catch (const std::exception &error) { // "cannot write FILE: reason"
        throw SandboxError(error.what());
    }
}

} // namespace

void checkWritableFile(const fs::path &file, const files::OutputRules &rules) {
    try {
        files::checkCanWrite(file, rules);
    } catch (const std::exception &error) { // "cannot write FILE: reason"
        throw SandboxError(error.what());
    }
}

PreparedFolder prepareOutputFolder(const OutputNames &names, const OutputIdentity &identity,
                                   const std::vector<fs::path> &files, bool force) {
    makeFolder(names.folder);
    PreparedFolder prepared;
    const Json manifest = readManifest(names.manifest);
    const bool same = manifest.contains("identity") && manifest["identity"] == identity.digest();
    if (!same) {
        const std::vector<fs::path> earlier = earlierOutputs(names, manifest);
        if (!earlier.empty() && !force) {
            const std::string whose = manifest.empty() ? "outputs that no plix-outputs.json describes ("
                                                       : "the outputs of another run (" + describe(manifest) + ": ";
            throw SandboxError(names.folder.string() + " holds " + whose + listNames(names, earlier) +
                               "), which this run's would mix with; play into another --out folder, or add --force "
                               "to remove them first");
        }
        if (!earlier.empty()) {
            removeOutputs(names, earlier);
            prepared.removed = listNames(names, earlier);
        }
    }
    // Folders first, then every file's place, then the manifest itself.
    std::error_code ec;
    if (fs::exists(names.cacheFolder, ec) && !fs::is_directory(names.cacheFolder, ec))
        throw SandboxError("cannot write the particle cache into " + names.cacheFolder.string() +
                           ": a file stands there; remove or rename it");
    std::vector<fs::path> probed;
    for (const fs::path &file : files) {
        checkPlace(file);
        if (std::find(probed.begin(), probed.end(), file.parent_path()) != probed.end()) continue;
        if (file.parent_path() != names.folder) makeFolder(file.parent_path());
        probeFolderOf(file);
        probed.push_back(file.parent_path());
    }
    files::writeFileAtomically(names.manifest, manifestText(identity));
    return prepared;
}

} // namespace plix::sandbox
