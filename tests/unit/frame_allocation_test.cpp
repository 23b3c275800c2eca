// A frame allocates nothing: new-time and the evaluate calls that follow are
// run with the allocation functions of this test program counting. Also the
// instance's memory per point. The counting replaces malloc and its kin, which
// the sanitizers also replace, so under a sanitizer these tests are skipped;
// they are skipped too where the C library is not glibc (Windows), whose
// __libc_ allocation entries the counting forwards to.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>

#include "effect/evaluation.h"
#include "effect/instance.h"
#include "effect/simulation.h"
#include "effect/spark_types.h"
#include "call_logging_host.h"

#if defined(PLIX_SANITIZED) || !defined(__GLIBC__)
#define PLIX_COUNT_ALLOCATIONS 0
#else
#define PLIX_COUNT_ALLOCATIONS 1
#endif

namespace {

bool counting = false;
size_t allocations = 0;
size_t bytesRequested = 0;

[[maybe_unused]] void note(size_t bytes) {
    if (!counting) return;
    ++allocations;
    bytesRequested += bytes;
}

// Counts every allocation made while `body` runs.
template <class Body>
size_t countAllocations(Body body, size_t *bytes = nullptr) {
    allocations = 0;
    bytesRequested = 0;
    counting = true;
    body();
    counting = false;
    if (bytes) *bytes = bytesRequested;
    return allocations;
}

} // namespace

#if PLIX_COUNT_ALLOCATIONS
extern "C" {
void *__libc_malloc(size_t);
void *__libc_calloc(size_t, size_t);
void *__libc_realloc(void *, size_t);
void *__libc_memalign(size_t, size_t);

void *malloc(size_t size) {
    note(size);
    return __libc_malloc(size);
}
void *calloc(size_t count, size_t size) {
    note(count * size);
    return __libc_calloc(count, size);
}
void *realloc(void *p, size_t size) {
    note(size);
    return __libc_realloc(p, size);
}
void *aligned_alloc(size_t alignment, size_t size) {
    note(size);
    return __libc_memalign(alignment, size);
}
int posix_memalign(void **out, size_t alignment, size_t size) {
    note(size);
    *out = __libc_memalign(alignment, size);
    return *out ? 0 : 12; // ENOMEM
}
}
#endif

namespace {

using plix::test::CallLoggingHost;

TEST(FrameAllocation, FrameAllocatesNothing) {
    if (!PLIX_COUNT_ALLOCATIONS) GTEST_SKIP() << "allocation counting needs glibc and no sanitizer";
    CallLoggingHost host;
    CallLoggingHost::pointCount = 3000;
    auto *inst = static_cast<EffectInstance *>(createInstance(nullptr, &CallLoggingHost::system, nullptr));
    ASSERT_NE(inst, nullptr);
    // Most sparks in flight (period of 30 frames), then the default rate,
    // then frames before the start frame.
    for (int32_t rate : {3000, 60}) {
        inst->sparks.birthRate = rate;
        for (int frame : {0, 45, 300, 301, 3000}) {
            const size_t count = countAllocations([&] {
                newTime(inst, frame, frame / 30.0);
                DisplacementAccess access{};
                for (int i = 0; i < 3002; ++i) evaluate(inst, &access);
            });
            EXPECT_EQ(count, 0u) << "rate " << rate << ", frame " << frame;
        }
    }
    inst->sparks.startFrame = 100;
    EXPECT_EQ(countAllocations([&] { newTime(inst, 5, 5 / 30.0); }), 0u);
    destroyInstance(inst);
}

TEST(FrameAllocation, InstanceHoldsAtMostEightyBytesPerPoint) {
    static_assert(sizeof(SparkPoint) <= 80);
    if (!PLIX_COUNT_ALLOCATIONS) GTEST_SKIP() << "allocation counting needs glibc and no sanitizer";
    CallLoggingHost host;
    CallLoggingHost::pointCount = 100000;
    void *inst = nullptr;
    size_t bytes = 0;
    countAllocations([&] { inst = createInstance(nullptr, &CallLoggingHost::system, nullptr); }, &bytes);
    ASSERT_NE(inst, nullptr);
    EXPECT_GE(bytes, sizeof(SparkPoint) * 100000u); // the counting does see the array
    EXPECT_LE(bytes, 80u * 100000u + sizeof(EffectInstance));
    destroyInstance(inst);
}

} // namespace
