// The studio's requests through the real plix6.p: a frame's JSON equals
// play's cache, edits made from any server thread draw what the same edits
// made one after another on one thread draw, and saving writes the new block.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include <nlohmann/json.hpp>

#include "player/default_scene.h"
#include "player/scene_effects.h"
#include "player/scene_source.h"
#include "studio/studio_session.h"
#include "play_helpers.h"
#include "scene/scene_reader.h"
#include "studio/studio_api.h"

namespace plix::testing {
namespace {

using nlohmann::json;

constexpr const char *token = "0123456789abcdef0123456789abcdef";
constexpr const char *host = "127.0.0.1:9";

// A studio on its own module thread, as the program runs it.
class Studio {
public:
    explicit Studio(std::optional<std::filesystem::path> sceneFile = std::nullopt,
                    std::optional<std::filesystem::path> saveTarget = std::nullopt) {
        session_ = thread_.call([&] {
            return std::make_unique<sandbox::StudioSession>(sandbox::readSceneSource(sceneFile), PLIX_MODULE_PATH,
                                                            saveTarget ? saveTarget : sceneFile);
        });
        api_ = std::make_unique<studio::StudioApi>(*session_, thread_, studio::AccessGuard("127.0.0.1", 9, token));
    }
    ~Studio() {
        api_.reset();
        thread_.call([this] { session_.reset(); });
    }

    studio::ApiResponse get(const std::string &path, std::map<std::string, std::string> query = {}) const {
        return api_->handle({"GET", path, std::move(query), {{"host", host}, {"x-plix-token", token}}, ""});
    }
    json frameJson(int frame) const { return json::parse(get("/api/frame/" + std::to_string(frame), {{"format", "json"}}).body); }
    json panel() const { return json::parse(get("/api/panel/0").body)["controls"]; }
    studio::ApiResponse enter(const std::string &id, const json &value) const {
        return api_->handle({"POST", "/api/panel/0", {},
                             {{"host", host}, {"x-plix-token", token}, {"content-type", "application/json"}},
                             json{{"id", id}, {"value", value}}.dump()});
    }
    studio::ApiResponse save() const {
        return api_->handle({"POST", "/api/save", {}, {{"host", host}, {"x-plix-token", token}, {"content-type", "application/json"}}, "{}"});
    }

private:
    studio::ModuleThread thread_;
    std::unique_ptr<sandbox::StudioSession> session_;
    std::unique_ptr<studio::StudioApi> api_;
};

json shownValue(const json &controls, const std::string &label) {
    for (const json &control : controls)
        if (control["label"] == label) return control["value"];
    ADD_FAILURE() << "no control " << label;
    return nullptr;
}

std::vector<std::string> csvFields(const std::string &line) {
    std::vector<std::string> fields;
    std::stringstream in(line);
    for (std::string field; std::getline(in, field, ',');) fields.push_back(field);
    return fields;
}

// The cache's columns x y z age parked of one frame, as JSON text per spark.
std::vector<std::string> cachedSparks(const std::filesystem::path &csv, int frame) {
    std::istringstream in(readWholeFile(csv));
    std::string line;
    std::getline(in, line);
    const std::vector<std::string> header = csvFields(line);
    const auto column = [&](const char *name) {
        return static_cast<std::size_t>(std::find(header.begin(), header.end(), name) - header.begin());
    };
    const std::size_t frameColumn = column("frame");
    const std::size_t wanted[] = {column("x"), column("y"), column("z"), column("age"), column("parked")};
    std::vector<std::string> sparks;
    while (std::getline(in, line)) {
        const std::vector<std::string> f = csvFields(line);
        if (f.size() != header.size() || f[frameColumn] != std::to_string(frame)) continue;
        std::string spark;
        for (std::size_t c : wanted) spark += (spark.empty() ? "[" : ",") + f.at(c);
        sparks.push_back(spark + "]");
    }
    return sparks;
}

TEST(StudioSession, FrameAsJsonHoldsThePlayCacheValues) {
    const TempFolder folder;
    sandbox::PlayOptions options;
    options.frames = sandbox::FrameRange{57, 57};
    options.out = folder.path();
    options.cache = cache::CacheFormat::csv;
    options.keepParked = true;
    options.preview = sandbox::PreviewKind::none;
    ASSERT_EQ(play(options).exitCode, 0);
    std::filesystem::path csv;
    for (const auto &entry : std::filesystem::directory_iterator(folder.path()))
        if (entry.path().extension() == ".csv") csv = entry.path();
    const std::vector<std::string> cached = cachedSparks(csv, 57);
    ASSERT_EQ(cached.size(), 3000u);

    const Studio studio;
    const json frame = studio.frameJson(57);
    ASSERT_EQ(frame["effects"].size(), 1u);
    EXPECT_EQ(frame["effects"][0]["object"], "Emitter");
    EXPECT_EQ(frame["effects"][0]["effect"], 1);
    const json &sparks = frame["effects"][0]["sparks"];
    ASSERT_EQ(sparks.size(), cached.size());
    std::size_t inFlight = 0;
    for (std::size_t i = 0; i < cached.size(); ++i) {
        EXPECT_EQ(sparks[i], json::parse(cached[i])) << "spark " << i;
        inFlight += sparks[i][4] == 0 ? 1 : 0;
    }
    EXPECT_GT(inFlight, 500u);
}

TEST(StudioSession, FramesComeOutTheSameInAnyOrder) {
    const Studio studio;
    const json first = studio.frameJson(80);
    (void)studio.frameJson(3);
    (void)studio.frameJson(140);
    // Parked sparks' ages are given as 0: what the effect publishes for them is left over from earlier frames.
    EXPECT_EQ(studio.frameJson(80)["effects"][0]["sparks"], first["effects"][0]["sparks"]);
}

TEST(StudioSession, EditsFromManyThreadsDrawWhatTheSameEditsDrawOnOneThread) {
    const std::vector<std::pair<std::string, json>> edits = {
        {"vmin", 2.0}, {"spmx", 90}, {"agmn", 15}, {"grav", 1.5}, {"vmax", 8.25}};
    const Studio studio;
    const json before = studio.frameJson(60);
    for (const auto &[id, value] : edits) {
        std::thread server([&, id = id, value = value] { EXPECT_EQ(studio.enter(id, value).status, 200); });
        server.join();
    }
    const json edited = studio.frameJson(60);
    EXPECT_NE(edited["effects"][0]["sparks"], before["effects"][0]["sparks"]);

    // The same edits, one after another on one fresh thread, straight through the stand-in host.
    geometry::FrameSparks expected;
    onFreshThread([&] {
        sandbox::SceneEffects effects(sandbox::readSceneSource(std::nullopt).scene, PLIX_MODULE_PATH);
        void *panel = effects.buildPanel(0);
        for (const auto &[id, value] : edits) {
            const unsigned int code = (unsigned(id[0]) << 24) | (unsigned(id[1]) << 16) | (unsigned(id[2]) << 8) | unsigned(id[3]);
            const standin::PanelValue entered =
                value.is_number_integer() ? standin::PanelValue(value.get<int>()) : standin::PanelValue(value.get<double>());
            ASSERT_TRUE(effects.panels().enterValue(panel, code, entered));
        }
        expected = effects.playFrame(60);
    });
    const json &sparks = edited["effects"][0]["sparks"];
    ASSERT_EQ(sparks.size(), expected[0].size());
    for (std::size_t i = 0; i < sparks.size(); ++i) {
        const geometry::SparkSample &s = expected[0][i];
        EXPECT_EQ(sparks[i][0], s.position.x) << "spark " << i;
        EXPECT_EQ(sparks[i][1], s.position.y) << "spark " << i;
        EXPECT_EQ(sparks[i][2], s.position.z) << "spark " << i;
        EXPECT_EQ(sparks[i][4], s.parked ? 1 : 0) << "spark " << i;
        // A parked spark publishes the age of its last flight, which depends on the frames asked before.
        if (!s.parked) {
            EXPECT_EQ(sparks[i][3].get<float>(), s.age) << "spark " << i;
        }
    }
}

TEST(StudioSession, AReversedPairShowsSortedAndSavesAsEntered) {
    const TempFolder folder;
    const std::filesystem::path scene = folder.write("my.scene", std::string(sandbox::defaultSceneText()));
    const Studio studio(scene);
    EXPECT_EQ(shownValue(studio.panel(), "v0 max"), 6.0);
    const studio::ApiResponse answer = studio.enter("vmin", 7.5);
    ASSERT_EQ(answer.status, 200);
    const json controls = json::parse(answer.body)["controls"];
    EXPECT_EQ(shownValue(controls, "v0 min"), 6.0);
    EXPECT_EQ(shownValue(controls, "v0 max"), 7.5);
    EXPECT_TRUE(shownValue(controls, "LinkAge").is_null());

    ASSERT_EQ(studio.enter("grav", -2.25).status, 200);
    const studio::ApiResponse saved = studio.save();
    ASSERT_EQ(saved.status, 200) << saved.body;
    EXPECT_EQ(json::parse(saved.body)["saved"], scene.string());
    const std::string text = readWholeFile(scene);
    EXPECT_NE(text.find("| V0Min 7.500000\n"), std::string::npos) << text;
    EXPECT_NE(text.find("| V0Max 6.000000\n"), std::string::npos) << text;
    EXPECT_NE(text.find("| Gravity -2.250000\n"), std::string::npos) << text;
    EXPECT_EQ(scene::readSceneFile(scene).objects.size(), 1u);
}

TEST(StudioSession, ASaveThatCannotBeWrittenLeavesNothingAndSaysWhere) {
    const TempFolder folder;
    const std::filesystem::path target = folder / "missing-folder" / "out.scene";
    const Studio studio(std::nullopt, target);
    const studio::ApiResponse saved = studio.save();
    EXPECT_EQ(saved.status, 500);
    EXPECT_NE(json::parse(saved.body)["error"].get<std::string>().find(target.string()), std::string::npos) << saved.body;
    EXPECT_FALSE(std::filesystem::exists(target.parent_path()));
}

TEST(StudioSession, SparksParkedAtANewParkingPositionAreStillToldApart) {
    const Studio studio;
    ASSERT_EQ(studio.enter("avoi", json::array({1.5, 2, -3})).status, 200);
    const json frame = studio.frameJson(60);
    std::size_t parked = 0;
    for (const json &spark : frame["effects"][0]["sparks"]) {
        if (spark[4] == 1) {
            ++parked;
            EXPECT_EQ(spark[0], 1.5);
            EXPECT_EQ(spark[1], 2.0);
            EXPECT_EQ(spark[2], -3.0);
        } else {
            EXPECT_FALSE(spark[0] == 1.5 && spark[1] == 2.0 && spark[2] == -3.0);
        }
    }
    EXPECT_GT(parked, 100u);
}

} // namespace
} // namespace plix::testing
