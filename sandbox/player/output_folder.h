// The output folder of a play, readied before the first frame is computed.
//
// The folder's plix-outputs.json names what its outputs came from: the
// program, the module's SHA-256, the scene and the settings that change the
// files' content, together summed up as one identity. A run whose identity
// is the folder's adds its files beside those already there: slices of one
// scene share a folder, and a file it writes again comes out byte for byte
// as it was. A run of anything else (another scene, another module build,
// other settings) refuses to mix its files into the folder, unless asked to
// --force: then every output of the earlier run is removed first.
//
// Also found here, before any frame: a folder that cannot be made or written
// to, and a folder (or anything but a file) where an output file must go.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "files/output_place.h"
#include "files/path_clash.h"
#include "plix/platform/folder_lock.h"
#include "player/output_names.h"

namespace plix::sandbox {

struct OutputIdentity {
    std::string program;      // "plix-sandbox 1.0"
    std::string moduleSha256;
    std::string sceneName;    // the saved scene's file name
    std::string sceneText;    // the scene as read, in the sandbox's own form
    bool keepParked = false;
    // SHA-256 of all of the above: equal for slices of one scene.
    std::string digest() const;
};

struct PreparedFolder {
    std::string removed; // what --force removed, for the user ("cache/ (90 files), preview.png")
    std::string kept;    // what --force left because no manifest records it
    // Held while the run writes into the folder: a second run into it is
    // refused, naming this one's process.
    std::unique_ptr<platform::FolderLock> lock;
};

// Locks the folder, clears the temporary files of runs that died, and
// refuses (unless --force, told by the rules) to mix this run's files with
// another's; with --force it removes the files the folder's manifest records, never one of
// `inputs` and never a folder. Throws SandboxError saying what is wrong and
// what to do.
PreparedFolder prepareOutputFolder(const OutputNames &names, const OutputIdentity &identity,
                                   const std::vector<std::filesystem::path> &files,
                                   const std::vector<files::NamedPath> &inputs, const files::OutputRules &rules);

// Throws SandboxError when `file` cannot be written: its folder missing or
// not writable, or anything but a file standing at its name.
void checkWritableFile(const std::filesystem::path &file, const files::OutputRules &rules);

} // namespace plix::sandbox
