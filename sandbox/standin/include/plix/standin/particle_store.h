// The particle systems that "Particle Services" hands out, with the data
// that set-particle stores in their position, age and enable buffers.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace plix::standin {

// One system. Its handle is the address of this record.
struct ParticleSystemState {
    int bufferFlags = 0;   // flags given at creation
    int type = 0;          // type given at creation
    void *attachedItem = nullptr; // last item attached to (null: never attached)
    int count = 0;         // particles since the last init; 0 after clean-up
    int initCalls = 0;
    int cleanupCalls = 0;
    // One entry per particle, sized by init (zero-filled), emptied by clean-up.
    std::vector<std::array<float, 3>> positions; // buffer flag 0x1
    std::vector<float> ages;                      // buffer flag 0x20
    std::vector<std::uint8_t> enabled;            // buffer flag 0x1000
    // Whether each particle has been set in each buffer since init.
    std::vector<std::uint8_t> positionSet, ageSet, enableSet;
};

class ParticleStore {
public:
    // ---- what the service entries do ------------------------------------
    void *createSystem(int bufferFlags, int type);
    // Each returns false (and changes nothing) when the input is refused.
    bool init(void *system, int count);
    bool cleanup(void *system);
    bool attach(void *system, void *item);
    // The buffer of `flag` (0x1, 0x20 or 0x1000) if the system was created
    // with that flag; null otherwise.
    void *buffer(void *system, int flag);
    // Copies the particle's value (12, 4 or 1 bytes, by the buffer's kind)
    // from `data`. Refused for an unknown buffer, a null address or an index
    // outside 0 .. count-1. `flag` receives the buffer's flag when known.
    bool set(void *buffer, int index, const void *data, int &flag);

    // ---- what a test or the sandbox reads --------------------------------
    const ParticleSystemState *find(const void *system) const;
    // The newest system whose last attach named `item`, or null.
    const ParticleSystemState *attachedTo(const void *item) const;
    std::size_t systemCount() const { return systems_.size(); }
    // The system created last, or null.
    const ParticleSystemState *latest() const { return systems_.empty() ? nullptr : systems_.back().get(); }
    // Systems in order of creation.
    std::vector<const ParticleSystemState *> systems() const;
    // Forgets every system (handles handed out earlier become unknown).
    void clear();

private:
    struct BufferTag {
        ParticleSystemState *system;
        int flag;
    };
    ParticleSystemState *lookup(const void *system) const;
    std::vector<std::unique_ptr<ParticleSystemState>> systems_;
    std::vector<std::unique_ptr<BufferTag>> buffers_;
    std::unordered_map<const void *, ParticleSystemState *> systemByHandle_;
    std::unordered_map<const void *, BufferTag *> bufferByHandle_;
    // The buffer of the last set: the module sets one buffer's particles in a row.
    const void *lastBuffer_ = nullptr;
    BufferTag *lastTag_ = nullptr;
    // Each system's buffers (at most one per flag), so that handing out a
    // buffer takes the same time however many systems there are.
    std::unordered_map<const ParticleSystemState *, std::vector<BufferTag *>> buffersOfSystem_;
};

} // namespace plix::standin
