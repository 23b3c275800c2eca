// The studio's request handling without a socket or a browser: who is
// refused, what each call answers, how edits are checked, and that every
// call into the model runs on the module thread, one after another.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>

#include <nlohmann/json.hpp>

#include "fake_studio_model.h"
#include "studio/studio_api.h"

namespace plix::testing {
namespace {

using nlohmann::json;
using studio::ApiRequest;
using studio::ApiResponse;

constexpr const char *token = "00112233445566778899aabbccddeeff";
constexpr const char *host = "127.0.0.1:8630";

class StudioApiTest : public ::testing::Test {
protected:
    ApiResponse get(const std::string &path, std::map<std::string, std::string> query = {}) {
        return api.handle({"GET", path, std::move(query), {{"host", host}, {"x-plix-token", token}}, ""});
    }
    ApiResponse post(const std::string &path, const std::string &body,
                     const std::string &contentType = "application/json") {
        return api.handle({"POST", path, {}, {{"host", host}, {"x-plix-token", token}, {"content-type", contentType}}, body});
    }
    static json body(const ApiResponse &response) { return json::parse(response.body); }

    FakeStudioModel model;
    studio::ModuleThread moduleThread;
    studio::StudioApi api{model, moduleThread, studio::AccessGuard("127.0.0.1", 8630, token)};
};

TEST_F(StudioApiTest, RefusesApiCallsWithoutTheRightToken) {
    const std::vector<ApiRequest> refused = {
        {"GET", "/api/scene", {}, {{"host", host}}, ""},
        {"GET", "/api/scene", {}, {{"host", host}, {"x-plix-token", "wrong"}}, ""},
        {"GET", "/api/scene", {{"token", std::string(token) + "0"}}, {{"host", host}}, ""},
        {"GET", "/api/frame/1", {}, {{"host", host}, {"x-plix-token", ""}}, ""},
        {"POST", "/api/save", {}, {{"host", host}, {"content-type", "application/json"}}, "{}"},
        {"POST", "/api/panel/0", {}, {{"host", host}, {"content-type", "application/json"}}, R"({"id":"vmin","value":2})"},
    };
    for (const ApiRequest &request : refused) {
        const ApiResponse response = api.handle(request);
        EXPECT_EQ(response.status, 403) << request.method << " " << request.path;
        EXPECT_NE(body(response)["error"].get<std::string>().find("token"), std::string::npos);
    }
    EXPECT_EQ(model.saves, 0);
    EXPECT_TRUE(model.entries.empty());
    // The token in the query, for scripts, is as good as the header.
    EXPECT_EQ(api.handle({"GET", "/api/scene", {{"token", token}}, {{"host", host}}, ""}).status, 200);
}

TEST_F(StudioApiTest, RefusesEveryRequestWhoseHostIsNotTheStudio) {
    for (const char *badHost : {"", "evil.example:8630", "127.0.0.1:80", "127.0.0.1"}) {
        for (const char *path : {"/", "/index.html", "/api/scene"}) {
            const ApiResponse response = api.handle({"GET", path, {}, {{"host", badHost}, {"x-plix-token", token}}, ""});
            EXPECT_EQ(response.status, 403) << badHost << " " << path;
        }
    }
    EXPECT_EQ(api.handle({"GET", "/", {}, {{"host", "localhost:8630"}}, ""}).status, 200);
}

TEST_F(StudioApiTest, ServesThePageAndThreeJsFromMemoryAndNothingElse) {
    const ApiResponse page = api.handle({"GET", "/", {{"token", token}}, {{"host", host}}, ""});
    EXPECT_EQ(page.status, 200);
    EXPECT_EQ(page.contentType, "text/html; charset=utf-8");
    EXPECT_NE(page.body.find("Save scene"), std::string::npos);
    const ApiResponse three = api.handle({"GET", "/vendor/three/three.module.js", {}, {{"host", host}}, ""});
    EXPECT_EQ(three.status, 200);
    EXPECT_EQ(three.contentType, "text/javascript; charset=utf-8");
    EXPECT_GT(three.body.size(), 100000u);
    for (const char *path : {"/../CMakeLists.txt", "/etc/passwd", "/src/", "/src/../index.html", "/index.html/"})
        EXPECT_EQ(api.handle({"GET", path, {}, {{"host", host}}, ""}).status, 404) << path;
    EXPECT_EQ(api.handle({"POST", "/index.html", {}, {{"host", host}}, ""}).status, 405);
    EXPECT_EQ(page.headers.at("X-Content-Type-Options"), "nosniff");
}

TEST_F(StudioApiTest, AnswersTheScene) {
    const ApiResponse response = get("/api/scene");
    ASSERT_EQ(response.status, 200);
    EXPECT_EQ(response.headers.at("Cache-Control"), "no-store");
    const json scene = body(response);
    EXPECT_EQ(scene["name"], "fake.scene");
    EXPECT_EQ(scene["fps"], 25.0);
    EXPECT_EQ(scene["firstFrame"], -2);
    EXPECT_EQ(scene["lastFrame"], 3);
    EXPECT_EQ(scene["effects"][1]["object"], "Right \"quoted\"");
    EXPECT_EQ(scene["effects"][1]["effect"], 2);
    EXPECT_EQ(scene["effects"][0]["points"], 3);
    EXPECT_EQ(scene["emitters"][0]["path"].size(), 6u);
    EXPECT_EQ(scene["emitters"][0]["path"][5], json::array({5.0, 0.0, 0.0}));
    EXPECT_EQ(scene["emitters"][0]["frames"], json::array({-2, -1, 0, 1, 2, 3}));
    EXPECT_EQ(scene["notes"], json::array({"a note"}));
    EXPECT_EQ(scene["saveTarget"], "/somewhere/fake.scene");
}

TEST_F(StudioApiTest, AnswersAFrameAsJsonWithExactNumbers) {
    const ApiResponse response = get("/api/frame/-7", {{"format", "json"}});
    ASSERT_EQ(response.status, 200);
    EXPECT_EQ(response.contentType, "application/json");
    EXPECT_EQ(response.body,
              R"({"frame":-7,"time":-0.28,"effects":[)"
              R"({"object":"Left","effect":1,"sparks":[[-7,0.5,-0.3333333333333333,0.1,0],[-100,-100,0,0,1],[1e+300,-0,2.5,0.33333334,0]]},)"
              R"({"object":"Right \"quoted\"","effect":2,"sparks":[[-14,1,2,0,0],[3,4,5,0.5,0]]}]})");
    EXPECT_TRUE(json::accept(response.body));
}

template <class T>
T at(const std::string &bytes, std::size_t offset) {
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

TEST_F(StudioApiTest, AnswersAFrameInTheBinaryLayout) {
    const ApiResponse response = get("/api/frame/2");
    ASSERT_EQ(response.status, 200);
    EXPECT_EQ(response.contentType, "application/octet-stream");
    const std::string &b = response.body;
    ASSERT_EQ(b.size(), 32u + (8 + 3 * 16 + 4) + (8 + 2 * 16 + 4));
    EXPECT_EQ(b.substr(0, 4), "PLXF");
    EXPECT_EQ(at<std::uint32_t>(b, 4), 1u);
    EXPECT_EQ(at<std::int32_t>(b, 8), 2);
    EXPECT_EQ(at<std::uint32_t>(b, 12), 2u);
    EXPECT_EQ(at<double>(b, 16), 2 / 25.0);
    EXPECT_GE(at<double>(b, 24), 0.0);
    std::size_t o = 32;
    EXPECT_EQ(at<std::uint32_t>(b, o), 3u);
    EXPECT_EQ(at<std::uint32_t>(b, o + 4), 2u); // in flight
    o += 8;
    EXPECT_EQ(at<float>(b, o), 2.0f);
    EXPECT_EQ(at<float>(b, o + 8), static_cast<float>(-1.0 / 3.0));
    EXPECT_EQ(at<float>(b, o + 24), std::numeric_limits<float>::infinity()); // 1e300 does not fit a float
    o += 36;
    EXPECT_EQ(at<float>(b, o + 4), 0.75f);
    o += 12;
    EXPECT_EQ(b.substr(o, 4), std::string("\0\1\0\0", 4));
    o += 4;
    EXPECT_EQ(at<std::uint32_t>(b, o), 2u);
    EXPECT_EQ(at<float>(b, o + 8), 4.0f);
}

TEST_F(StudioApiTest, RefusesFramesThatAreNoWholeNumbers) {
    for (const char *path : {"/api/frame/", "/api/frame/1.5", "/api/frame/x", "/api/frame/2147483648", "/api/frame/1/2",
                             "/api/frame/+3", "/api/frame/ 3"})
        EXPECT_EQ(get(path).status, 400) << path;
    EXPECT_EQ(get("/api/frame/-2147483648").status, 200);
    EXPECT_EQ(get("/api/frame/1", {{"format", "xml"}}).status, 400);
    EXPECT_EQ(get("/api/nothing").status, 404);
    EXPECT_EQ(post("/api/frame/1", "{}").status, 405);
    EXPECT_EQ(post("/api/scene", "{}").status, 405);
    EXPECT_EQ(get("/api/save").status, 405);
}

TEST_F(StudioApiTest, AnswersThePanelWithTheValuesShown) {
    const ApiResponse response = get("/api/panel/0");
    ASSERT_EQ(response.status, 200);
    const json controls = body(response)["controls"];
    ASSERT_EQ(controls.size(), 5u);
    EXPECT_EQ(controls[0], json({{"id", "vmin"}, {"label", "v0 min"}, {"controlType", "float"}, {"dataType", "float"}, {"value", 1.0}}));
    EXPECT_EQ(controls[3]["value"], json::array({-100.0, -100.0, 0.0}));
    EXPECT_TRUE(controls[4]["value"].is_null());
    EXPECT_EQ(get("/api/panel/2").status, 404);
    EXPECT_EQ(get("/api/panel/-1").status, 400);
}

TEST_F(StudioApiTest, EntersAnEditThatFitsTheControlAndAnswersThePanel) {
    ApiResponse response = post("/api/panel/1", R"({"id": "vmin", "value": 2.5})");
    ASSERT_EQ(response.status, 200) << response.body;
    EXPECT_EQ(body(response)["controls"][0]["value"], 2.5);
    EXPECT_EQ(post("/api/panel/0", R"({"id": "recy", "value": false})").status, 200);
    EXPECT_EQ(post("/api/panel/0", R"({"id": "spmn", "value": 45.0})").status, 200);
    EXPECT_EQ(post("/api/panel/0", R"({"id": "avoi", "value": [1, -2, 3.5]})").status, 200);
    ASSERT_EQ(model.entries.size(), 4u);
    EXPECT_EQ(model.entries[0].effect, 1u);
    EXPECT_EQ(model.entries[0].value, standin::PanelValue(2.5));
    EXPECT_EQ(model.entries[1].value, standin::PanelValue(0));
    EXPECT_EQ(model.entries[2].value, standin::PanelValue(45));
    EXPECT_EQ(model.entries[3].value, standin::PanelValue(geometry::Vec3{1, -2, 3.5}));
}

TEST_F(StudioApiTest, RefusesEditsThatDoNotFitWithoutEnteringThem) {
    const struct {
        const char *body;
        int status;
    } cases[] = {
        {R"({"id": "vmin", "value": "2"})", 400},       // a string for a float
        {R"({"id": "vmin", "value": null})", 400},
        {R"({"id": "vmin", "value": 1e999})", 400},     // JSON has no infinity; parsed as one, refused
        {R"({"id": "spmn", "value": 2.5})", 400},       // not whole
        {R"({"id": "spmn", "value": 4294967296})", 400},
        {R"({"id": "spmn", "value": true})", 400},      // true only for a switch
        {R"({"id": "avoi", "value": [1, 2]})", 400},
        {R"({"id": "avoi", "value": [1, 2, "3"]})", 400},
        {R"({"id": "zzzz", "value": 1})", 400},         // no such control
        {R"({"id": "vmi", "value": 1})", 400},
        {R"({"value": 1})", 400},
        {R"({"id": 7, "value": 1})", 400},
        {R"([1, 2])", 400},
        {R"({"id": "vmin", "value": 2)", 400},          // not JSON
        {"", 400},
    };
    for (const auto &c : cases) {
        const ApiResponse response = post("/api/panel/0", c.body);
        EXPECT_EQ(response.status, c.status) << c.body;
        EXPECT_TRUE(body(response).contains("error")) << c.body;
    }
    EXPECT_EQ(post("/api/panel/0", R"({"id": "vmin", "value": 2})", "text/plain").status, 415);
    EXPECT_EQ(post("/api/panel/0", R"({"id": "vmin", "value": 2})", "").status, 415);
    EXPECT_EQ(post("/api/panel/0", R"({"id": "vmin", "value": 2})", "application/json; charset=utf-8").status, 200);
    EXPECT_EQ(post("/api/panel/0", std::string(studio::StudioApi::maxBodyBytes + 1, ' ')).status, 413);
    EXPECT_EQ(post("/api/panel/5", R"({"id": "vmin", "value": 2})").status, 404);
    EXPECT_EQ(model.entries.size(), 1u);
}

TEST_F(StudioApiTest, SavesToTheSceneFileAndSaysWhyWhenItCannot) {
    ApiResponse response = post("/api/save", "{}");
    ASSERT_EQ(response.status, 200);
    EXPECT_EQ(body(response)["saved"], "/somewhere/fake.scene");
    model.saveFails = true;
    response = post("/api/save", "{}");
    EXPECT_EQ(response.status, 500);
    EXPECT_EQ(body(response)["error"], "cannot write /somewhere/fake.scene: disk full");
    EXPECT_EQ(post("/api/save", "not json").status, 400);
    EXPECT_EQ(model.saves, 2);
}

TEST(StudioApiWithoutSceneFile, RefusesToSave) {
    FakeStudioModel model;
    model.saveTarget.clear();
    studio::ModuleThread moduleThread;
    const studio::StudioApi api(model, moduleThread, studio::AccessGuard("127.0.0.1", 1, token));
    const ApiResponse response =
        api.handle({"POST", "/api/save", {}, {{"host", "127.0.0.1:1"}, {"x-plix-token", token}, {"content-type", "application/json"}}, "{}"});
    EXPECT_EQ(response.status, 409);
    EXPECT_EQ(model.saves, 0);
}

TEST_F(StudioApiTest, CallsTheModelOnlyOnTheModuleThreadWhateverThreadAsks) {
    std::vector<std::thread> askers;
    for (int t = 0; t < 4; ++t)
        askers.emplace_back([this, t] {
            for (int i = 0; i < 20; ++i) {
                EXPECT_EQ(get("/api/frame/" + std::to_string(i)).status, 200);
                EXPECT_EQ(post("/api/panel/0", R"({"id": "vmin", "value": )" + std::to_string(t) + "}").status, 200);
            }
        });
    for (std::thread &asker : askers) asker.join();
    const auto threads = model.threads();
    ASSERT_GT(threads.size(), 160u);
    for (const std::thread::id id : threads) EXPECT_EQ(id, moduleThread.id());
    EXPECT_EQ(model.entries.size(), 80u);
}

} // namespace
} // namespace plix::testing
