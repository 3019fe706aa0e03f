#include "ResumeRule.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Plays back previous suspend counts, one per resume.
struct ScriptedResume {
    std::vector<std::uint32_t> counts;
    size_t next = 0;
    std::uint32_t operator()() { return next < counts.size() ? counts[next++] : 0; }
};

int CallsFor(std::vector<std::uint32_t> counts) {
    ScriptedResume resume{std::move(counts)};
    return torvan::ResumeWhileHeld(std::ref(resume));
}

}  // namespace

TEST(ResumeRule, ResumesUntilThePreviousCountShowsTheThreadRuns) {
    EXPECT_EQ(CallsFor({1}), 1);          // created suspended, now running
    EXPECT_EQ(CallsFor({0}), 1);          // was not suspended at all
    EXPECT_EQ(CallsFor({3, 2, 1}), 3);    // suspended twice more by someone else
}

TEST(ResumeRule, FailureOrAStuckCountEndsTheRepetition) {
    EXPECT_EQ(CallsFor({torvan::kResumeFailed}), 1);
    EXPECT_EQ(CallsFor({4, torvan::kResumeFailed}), 2);
    // A count that never goes down cannot hang the caller.
    std::vector<std::uint32_t> stuck(1000, 5);
    EXPECT_EQ(CallsFor(stuck), torvan::kMaxSuspendCount + 1);
}
