// A studio model without a module: two effects of a few sparks each, a panel
// of one control of each kind, and a record of every call with the thread
// it came on.
#pragma once

#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "studio/studio_model.h"

namespace plix::testing {

constexpr unsigned int id4(const char (&t)[5]) {
    return (unsigned(t[0]) << 24) | (unsigned(t[1]) << 16) | (unsigned(t[2]) << 8) | unsigned(t[3]);
}

class FakeStudioModel : public studio::StudioModel {
public:
    struct Entry {
        std::size_t effect;
        unsigned int id;
        standin::PanelValue value;
    };

    studio::StudioScene scene() override {
        note();
        studio::StudioScene scene;
        scene.name = "fake.scene";
        scene.fps = 25.0;
        scene.firstFrame = -2;
        scene.lastFrame = 3;
        scene.effects = {{"Left", 1, 3}, {"Right \"quoted\"", 2, 2}};
        scene.emitters = {{"Left", {-2, -1, 0, 1, 2, 3}, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}, {5, 0, 0}}}};
        scene.notes = {"a note"};
        scene.saveTarget = saveTarget;
        return scene;
    }

    geometry::FrameSparks frame(int frame) override {
        note();
        const double f = frame;
        return {{{{f, 0.5, -1.0 / 3.0}, {}, 0.1f, false}, {{-100, -100, 0}, {}, 0.75f, true},
                 {{1e300, -0.0, 2.5}, {}, 1.0f / 3.0f, false}},
                {{{f * 2, 1, 2}, {}, 0.0f, false}, {{3, 4, 5}, {}, 0.5f, false}}};
    }

    std::vector<standin::PanelControl> panel(std::size_t effect) override {
        note();
        if (effect >= 2) throw std::out_of_range("no such effect");
        return {{id4("vmin"), "v0 min", "float", "float", vmin},
                {id4("spmn"), "Spread min", "iSlider", "integer", 0},
                {id4("recy"), "Recycle?", "iBoolean", "integer", 1},
                {id4("avoi"), "Avoid_Pos", "float3", "float3", geometry::Vec3{-100, -100, 0}},
                {id4("lkag"), "LinkAge", "iBoolean", "integer", standin::PanelValue{}}};
    }

    bool enter(std::size_t effect, unsigned int id, const standin::PanelValue &value) override {
        note();
        entries.push_back({effect, id, value});
        if (id == id4("vmin")) vmin = std::get<double>(value);
        return true;
    }

    std::string save() override {
        note();
        ++saves;
        if (saveFails) throw std::runtime_error("cannot write " + saveTarget + ": disk full");
        return saveTarget;
    }

    std::vector<std::thread::id> threads() {
        std::lock_guard<std::mutex> lock(mutex_);
        return threads_;
    }

    std::vector<Entry> entries;
    double vmin = 1.0;
    int saves = 0;
    bool saveFails = false;
    std::string saveTarget = "/somewhere/fake.scene";

private:
    void note() {
        std::lock_guard<std::mutex> lock(mutex_);
        threads_.push_back(std::this_thread::get_id());
    }
    std::mutex mutex_;
    std::vector<std::thread::id> threads_;
};

} // namespace plix::testing
