#include "app/sandbox_cli.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <map>

#include "player/frame_range.h"
#include "app/module_location.h"
#include "app/panel_command.h"
#include "app/play_command.h"
#include "app/studio_command.h"
#include "app/validate_command.h"
#include "plix/platform/build_info.h"
#include "run_checks.h"

namespace plix::sandbox {
namespace {

// A value that names a file, folder or address: never empty (which would
// quietly mean the default), and never an option name taken as the value
// (`--json --no-progress` would write a file named --no-progress).
const CLI::Validator givenName(
    [](std::string &value) -> std::string {
        if (value.empty()) return "an empty value names nothing; leave the option out for its default";
        if (value.rfind("--", 0) == 0)
            return "'" + value + "' is an option, not a value; for a file of that name write ./" + value;
        return {};
    },
    "NAME");

constexpr const char *programHelp =
    "plix-sandbox: a stand-in for the animation host. It loads the spark effect module (plix6.p) through its "
    "exported descriptor, as the host does, plays scenes with it and shows the sparks.\n"
    "Exit codes: 0 done, 1 the command failed (the message says why), 2 a wrong command line.";

constexpr const char *sceneHelp = R"(
Scene files are plain text, one statement a line, '#' starts a comment:
  fps 30                     frames per second (default 30)
  frames 0 149               first and last frame (default 0 89), at most 1000000 in one run
  object Emitter             an object (letters, digits, _ - .)
    points 3000              its point count, or: mesh FILE.obj
    motion smooth            key interpolation: linear (default) or smooth
    position 0 3 0 0         key: FRAME X Y Z, held before the first and after the last key
    rotation 0 0 0 -25       key: FRAME HEADING PITCH BANK in degrees
    effect                   applies the effect; its block lines follow:
    | PLIX_START             each line after '| ' is handed to the effect as it stands
    | ...
    | PLIX_END
A word in double quotes may hold spaces and '#' (\" for a quote, \\ for a backslash):
    mesh "../my meshes/ring.obj"
Lines hold at most 65536 bytes, block lines at most 255 characters.
Rotation order: bank about z, then pitch about x, then heading about y.
examples/default.scene is the built-in scene.)";

struct PlayArguments {
    PlayOptions options;
    std::string scene;
    std::string frames;
    std::string cache = "none";
    std::string preview;
    bool noProgress = false;
    std::string json;
};

void addPlayCommand(CLI::App &app, PlayArguments &args, int &result) {
    CLI::App *play = app.add_subcommand(
        "play", "Play a scene through the module: preview, particle cache and the scene saved back, into --out DIR.");
    play->footer(sceneHelp);
    play->add_option("SCENE", args.scene, "Scene file to play (default: the built-in scene, a circling emitter)")->check(givenName);
    play->add_option("--module", args.options.module, "Module file (default: " + std::string(moduleFileName) +
                                                          " beside plix-sandbox)")->check(givenName);
    play->add_option("--frames", args.frames, "Frames to play, A-B or A (default: the scene's frames); "
                                              "any frame comes out the same however the range is split")->check(givenName);
    play->add_option("--out", args.options.out, "Folder for the outputs, made if missing")
        ->capture_default_str()->check(givenName);
    play->add_option("--cache", args.cache, "Particle cache: ply (one binary PLY per frame in DIR/cache/: x y z, "
                                            "vx vy vz, id, age of each spark in flight), csv (DIR/cache.csv, "
                                            "the same columns) or none")
        ->check(CLI::IsMember({"ply", "csv", "none"}))
        ->capture_default_str();
    play->add_option("--preview", args.preview,
                     std::string("Preview: png (DIR/preview.png contact sheet), gif (DIR/preview.gif at the scene's "
                                 "rate), both or none; a range other than the scene's adds it to the names, "
                                 "preview_AAAAAA-BBBBBB.png (default: ") +
                         (previewAvailable() ? "both" : "none: this build has no preview") + ")")
        ->check(CLI::IsMember({"png", "gif", "both", "none"}));
    play->add_flag("--keep-parked", args.options.keepParked,
                   "The cache holds the parked sparks too, with a 'parked' property (1), velocity 0 and age 0");
    play->add_flag("--force", args.options.force,
                   "Remove the outputs of another scene, module or settings from --out DIR before playing "
                   "(without it such a folder is refused; slices of the same scene always share a folder)");
    play->add_option("--json", args.json, "Also write the summary for machines into FILE: program, platform, "
                                          "module and its SHA-256, scene, frames, per frame the sparks in flight "
                                          "and the time in the module, and every note")->check(givenName);
    play->add_flag("--no-progress", args.noProgress, "No progress bar (it is shown only on a terminal anyway)");
    play->callback([&args, &result] {
        PlayOptions options = args.options;
        if (!args.scene.empty()) options.scene = args.scene;
        if (!args.frames.empty()) {
            options.frames = parseFrameRange(args.frames);
            if (!options.frames)
                throw CLI::ValidationError("--frames", "expected A-B with A not after B, or a single frame A; got '" +
                                                          args.frames + "'");
        }
        options.cache = args.cache == "ply" ? cache::CacheFormat::ply
                        : args.cache == "csv" ? cache::CacheFormat::csv
                                              : cache::CacheFormat::none;
        static const std::map<std::string, PreviewKind> previews{
            {"png", PreviewKind::png}, {"gif", PreviewKind::gif}, {"both", PreviewKind::both}, {"none", PreviewKind::none}};
        if (!args.preview.empty()) options.preview = previews.at(args.preview);
        if (args.noProgress) options.progress = false;
        if (!args.json.empty()) options.json = args.json;
        result = runPlay(options, std::cout, std::cerr);
    });
}

void addPanelCommand(CLI::App &app, PanelOptions &options, std::string &scene, int &result) {
    CLI::App *panel = app.add_subcommand(
        "panel", "Show an effect's settings panel as the module builds it, enter values, save the scene.");
    panel->footer("Controls: vmin vmax (launch speed), spmn spmx (spread, degrees from +y), agmn agmx (lifetime, "
                  "frames), grav, recy (recycle on/off), rate (births per second), sprk (first frame), "
                  "avoi (parking position x,y,z), lkag. A control may also be named by its label.\n"
                  "Example: plix-sandbox panel my.scene --set vmin=2 --set avoi=0,-50,0 --save my.scene");
    panel->add_option("SCENE", scene, "Scene file")->required()->check(givenName);
    panel->add_option("--object", options.object, "Object whose effect to show (default: the first object)");
    panel->add_option("--effect", options.effect, "Which of the object's effects, counting from 1")
        ->check(CLI::PositiveNumber)
        ->capture_default_str();
    panel->add_option("--set", options.sets, "ID=VALUE entered through the panel; repeat for more, applied in order")
        ->allow_extra_args(false);
    panel->add_option("--save", options.save, "Write the scene with the effect's new block here (may be SCENE itself)")->check(givenName);
    panel->add_option("--module", options.module, "Module file (default: " + std::string(moduleFileName) +
                                                      " beside plix-sandbox)")->check(givenName);
    panel->callback([&options, &scene, &result] {
        options.scene = scene;
        result = runPanel(options, std::cout, std::cerr);
    });
}

struct StudioArguments {
    StudioOptions options;
    std::string scene;
    std::string save;
};

void addStudioCommand(CLI::App &app, StudioArguments &args, int &result) {
    CLI::App *studio = app.add_subcommand(
        "studio", "Open a scene in the studio: a local web page with the sparks in 3D, a timeline to scrub and "
                  "each effect's settings panel, live.");
    studio->footer(
        "The first line printed is the studio's URL with its access token: open it in a browser on this machine.\n"
        "Every frame is computed on demand, exactly as play computes it; edits go through the effect's panel and\n"
        "show at once. \"Save scene\" writes SCENE (or --save FILE) whole or not at all. Ctrl-C stops the studio.\n"
        "Example: plix-sandbox studio my.scene --port 0");
    studio->add_option("SCENE", args.scene, "Scene file to open (default: the built-in scene, a circling emitter)")->check(givenName);
    studio->add_option("--module", args.options.module, "Module file (default: " + std::string(moduleFileName) +
                                                            " beside plix-sandbox)")->check(givenName);
    studio->add_option("--port", args.options.port, "Port to listen on; 0 chooses a free one")
        ->check(CLI::Range(0, 65535))
        ->capture_default_str();
    studio->add_option("--listen", args.options.listen,
                       "Address to listen on; anything but a loopback address lets other machines in (with a warning)")
        ->capture_default_str()->check(givenName);
    studio->add_option("--save", args.save, "Where \"Save scene\" writes (default: SCENE; the built-in scene has none)")->check(givenName);
    studio->callback([&args, &result] {
        StudioOptions options = args.options;
        if (!args.scene.empty()) options.scene = args.scene;
        if (!args.save.empty()) options.save = args.save;
        result = runStudio(options, std::cout, std::cerr);
    });
}

void addValidateCommand(CLI::App &app, ValidateOptions &options, int &result) {
    CLI::App *validate = app.add_subcommand(
        "validate", "Check a module file as the host uses it; every check runs in a child process of its own");
    validate->add_option("MODULE", options.module, "Module file to check (default: plix6.p beside this program)")->check(givenName);
    validate->add_option_function<std::string>(
        "--seed",
        [&options](const std::string &seed) {
            options.seed = seed;
            options.seedGiven = true;
        },
        "Seed of the randomised checks, 0 to 18446744073709551615; the same seed replays them exactly "
        "(default: a new one, printed)");
    validate->add_option("--only", options.only, "Run only these checks: NAME[,NAME...] as --list shows them")
        ->delimiter(',')
        ->allow_extra_args(false);
    validate->add_option("--exclude", options.exclude, "Leave these checks out: NAME[,NAME...]")
        ->delimiter(',')
        ->allow_extra_args(false);
    validate->add_option("--json", options.json, "Also write a machine-readable report to this file")->check(givenName);
    validate->add_option("--timeout", options.timeout,
                         "Seconds a check may run before it is stopped with every process it started, above 0 and "
                         "at most 86400")
        ->capture_default_str();
    validate->add_flag("--list", options.list, "List the checks and exit");
    validate->footer("Prints one line per check (pass, fail, crash, timeout or skipped, with the reason) and\n"
                     "closes with 'N passed, N failed'. A module file that does not load stops the run: the\n"
                     "checks after the one that found it are skipped. Exit code: 0 when every check passed,\n"
                     "1 when any did not, 2 for a usage error.");
    validate->callback([&options, &result] { result = runValidate(options, std::cout, std::cerr); });
}

// Hidden: only validate starts it, once per check, in a child process.
void addCheckChildCommand(CLI::App &app, CheckChildOptions &options, int &result) {
    CLI::App *check = app.add_subcommand(validate::childCommandName, "Runs one validator check (used by validate)");
    check->group("");
    check->add_option("CHECK", options.check)->required();
    check->add_option("MODULE", options.module)->required();
    check->add_option("--seed", options.seed)->required();
    check->add_option("--result", options.result)->required();
    check->callback([&options, &result] { result = runCheckChild(options); });
}

} // namespace

int runSandbox(int argc, char **argv) {
    CLI::App app(programHelp, "plix-sandbox");
    app.require_subcommand(1);
    app.set_version_flag("--version", platform::programVersion());
    int result = 0;
    PlayArguments play;
    PanelOptions panel;
    std::string panelScene;
    addPlayCommand(app, play, result);
    addPanelCommand(app, panel, panelScene, result);
    StudioArguments studio;
    if (studioAvailable()) addStudioCommand(app, studio, result);
    ValidateOptions validate;
    addValidateCommand(app, validate, result);
    CheckChildOptions checkChild;
    addCheckChildCommand(app, checkChild, result);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError &error) { // help and version (0), or a wrong command line (2)
        return app.exit(error) == 0 ? 0 : 2;
    }
    return result;
}

} // namespace plix::sandbox
