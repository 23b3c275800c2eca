#include "player/output_folder.h"

#include <algorithm>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "player/sandbox_error.h"
#include "plix/platform/sha256.h"
#include "files/atomic_file.h"
#include "files/path_clash.h"

namespace plix::sandbox {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

// What a run records of its files: the names it writes at the folder's top
// and the cache folders of its frame files. --force removes these and
// nothing else.
struct RecordedFiles {
    std::vector<std::string> written;
    std::vector<std::string> frameFolders; // "cache/A.1"
};

std::string manifestText(const OutputIdentity &identity, const RecordedFiles &recorded) {
    const Json manifest = {{"outputs_of", "plix-sandbox play"},
                           {"identity", identity.digest()},
                           {"program", identity.program},
                           {"module_sha256", identity.moduleSha256},
                           {"scene", identity.sceneName},
                           {"scene_sha256", platform::sha256Hex(identity.sceneText)},
                           {"keep_parked", identity.keepParked},
                           {"written", recorded.written},
                           {"frame_folders", recorded.frameFolders}};
    return manifest.dump(2) + "\n";
}

std::vector<std::string> namesIn(const Json &manifest, const char *key) {
    std::vector<std::string> names;
    if (manifest.contains(key) && manifest[key].is_array())
        for (const Json &name : manifest[key])
            if (name.is_string()) names.push_back(name.get<std::string>());
    return names;
}

void addOnce(std::vector<std::string> &names, const std::string &name) {
    if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
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

// What made the other run's outputs other than this one's.
std::string differences(const Json &manifest, const OutputIdentity &identity) {
    const auto text = [&](const char *key) {
        return manifest.contains(key) && manifest[key].is_string() ? manifest[key].get<std::string>() : "?";
    };
    std::vector<std::string> differs;
    if (text("scene") != identity.sceneName) differs.push_back("another scene name");
    else if (text("scene_sha256") != platform::sha256Hex(identity.sceneText)) differs.push_back("other scene content");
    if (text("module_sha256") != identity.moduleSha256) differs.push_back("another module build");
    if (text("program") != identity.program) differs.push_back("another program version");
    if (!manifest.contains("keep_parked") || manifest["keep_parked"] != identity.keepParked)
        differs.push_back(identity.keepParked ? "no --keep-parked" : "--keep-parked");
    std::string what;
    for (std::size_t i = 0; i < differs.size(); ++i) what += (i == 0 ? "" : ", ") + differs[i];
    return what.empty() ? "" : " (it had " + what + ")";
}

std::string describe(const Json &manifest) {
    const auto text = [&](const char *key) {
        return manifest.contains(key) && manifest[key].is_string() ? manifest[key].get<std::string>() : "?";
    };
    return "scene " + text("scene") + ", module " + text("module_sha256").substr(0, 12) + "…, " + text("program");
}

bool isFrameFileName(const std::string &name) { return cache::plyCacheFrameOf(name).has_value(); }

bool isTemporaryName(const std::string &name) { return files::isTemporaryFileName(name); }

bool isFileOrLink(const fs::path &path) {
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    return fs::is_regular_file(status) || fs::is_symlink(status);
}

// Files of an earlier play found in the folder. With a manifest that records
// them: exactly the files it records (a link among them is removed, never
// what it names). Without one, or with one of an earlier version: the files
// of the names a play gives its outputs, which are then only reported.
std::vector<fs::path> earlierOutputs(const OutputNames &names, const Json &manifest, bool &recorded) {
    std::vector<fs::path> found;
    std::error_code ec;
    const auto frameFilesIn = [&](const fs::path &folder) {
        std::error_code walk;
        for (fs::directory_iterator it(folder, walk), end; !walk && it != end; it.increment(walk)) {
            const std::string name = it->path().filename().string();
            if (isFrameFileName(name) && isFileOrLink(it->path())) found.push_back(it->path());
        }
    };
    recorded = manifest.contains("written") && manifest["written"].is_array();
    if (recorded) {
        for (const std::string &name : namesIn(manifest, "written")) {
            const fs::path file = names.folder / fs::path(name).filename();
            if (isFileOrLink(file)) found.push_back(file);
        }
        for (const std::string &folder : namesIn(manifest, "frame_folders")) {
            // "cache" or "cache/NAME", nothing else.
            const fs::path relative = fs::path(folder).lexically_normal();
            const auto parts = std::distance(relative.begin(), relative.end());
            if (relative.begin()->string() != "cache" || parts > 2) continue;
            frameFilesIn(parts == 1 ? names.cacheFolder : names.cacheFolder / relative.filename());
        }
    } else {
        for (fs::directory_iterator it(names.folder, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            if (isPlayOutputName(name) && !isTemporaryName(name) && isFileOrLink(it->path())) found.push_back(it->path());
        }
        if (fs::is_directory(names.cacheFolder, ec)) {
            frameFilesIn(names.cacheFolder);
            for (fs::directory_iterator it(names.cacheFolder, ec), end; !ec && it != end; it.increment(ec))
                if (it->is_directory(ec)) frameFilesIn(it->path());
        }
    }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return found;
}

// Removes the files, never a folder: an emptied cache folder stays.
void removeOutputs(const std::vector<fs::path> &paths) {
    for (const fs::path &path : paths) {
        std::error_code ec;
        fs::remove(path, ec);
        if (ec) throw SandboxError("cannot remove the earlier output " + path.string() + ": " + ec.message());
    }
}

// Temporary files of runs that ended before putting them in place (killed,
// or out of disk): no run is writing them, since this one holds the lock.
void removeTemporaryFiles(const OutputNames &names) {
    const auto clear = [](const fs::path &folder) {
        std::error_code ec;
        std::vector<fs::path> stale;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
            if (isTemporaryName(it->path().filename().string()) && isFileOrLink(it->path())) stale.push_back(it->path());
        for (const fs::path &file : stale) fs::remove(file, ec);
    };
    std::error_code ec;
    clear(names.folder);
    if (!fs::is_directory(names.cacheFolder, ec)) return;
    clear(names.cacheFolder);
    for (fs::directory_iterator it(names.cacheFolder, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_directory(ec) && !it->is_symlink(ec)) clear(it->path());
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
void checkPlace(const fs::path &file, const files::OutputRules &rules) {
    try {
        files::outputPlace(file, rules);
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
                                   const std::vector<fs::path> &files, const std::vector<files::NamedPath> &inputs,
                                   const files::OutputRules &rules) {
    const bool force = rules.replaceReadOnly;
    makeFolder(names.folder);
    PreparedFolder prepared;
    try {
        prepared.lock = std::make_unique<platform::FolderLock>(names.folder);
    } catch (const std::runtime_error &error) {
        throw SandboxError(error.what());
    }
    removeTemporaryFiles(names);
    const Json manifest = readManifest(names.manifest);
    const bool same = manifest.contains("identity") && manifest["identity"] == identity.digest();
    RecordedFiles recorded;
    if (same) {
        recorded.written = namesIn(manifest, "written");
        recorded.frameFolders = namesIn(manifest, "frame_folders");
    } else {
        bool listed = false;
        std::vector<fs::path> earlier = earlierOutputs(names, manifest, listed);
        // Never what this run reads, whatever a manifest says.
        std::erase_if(earlier, [&](const fs::path &file) {
            return std::any_of(inputs.begin(), inputs.end(),
                               [&](const files::NamedPath &input) { return files::sameFile(file, input.path); });
        });
        if (!earlier.empty() && !force) {
            const std::string whose = manifest.empty() ? "outputs that no plix-outputs.json describes ("
                                                       : "the outputs of another run (" + describe(manifest) + ": ";
            throw SandboxError(names.folder.string() + " holds " + whose + listNames(names, earlier) + ")" +
                               (manifest.empty() ? "" : differences(manifest, identity)) +
                               ", which this run's would mix with; play into another --out folder, or add --force "
                               "to remove them first");
        }
        if (!earlier.empty() && listed) {
            removeOutputs(earlier);
            prepared.removed = listNames(names, earlier);
        } else if (!earlier.empty()) {
            prepared.kept = listNames(names, earlier);
        }
    }
    // Folders first, then every file's place, then the manifest itself.
    std::error_code ec;
    if (fs::exists(names.cacheFolder, ec) && !fs::is_directory(names.cacheFolder, ec))
        throw SandboxError("cannot write the particle cache into " + names.cacheFolder.string() +
                           ": a file stands there; remove or rename it");
    std::vector<fs::path> probed;
    for (const fs::path &file : files) {
        checkPlace(file, rules);
        if (file.parent_path() == names.folder) addOnce(recorded.written, file.filename().string());
        else addOnce(recorded.frameFolders, file.parent_path().lexically_relative(names.folder).generic_string());
        if (std::find(probed.begin(), probed.end(), file.parent_path()) != probed.end()) continue;
        if (file.parent_path() != names.folder) makeFolder(file.parent_path());
        probeFolderOf(file);
        probed.push_back(file.parent_path());
    }
    // Written before the first frame, with every file the run may write: a
    // run that is killed leaves its files recorded.
    files::writeFileAtomically(names.manifest, manifestText(identity, recorded), rules);
    return prepared;
}

} // namespace plix::sandbox
