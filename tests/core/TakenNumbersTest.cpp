// The set of taken numbers behind the names of unnamed groups: runs that
// grow, merge and split, and the lowest free number.
#include <gtest/gtest.h>

#include <limits>
#include <set>

#include "group/TakenNumbers.h"

namespace {

struct TStep {
    bool Take;  // else free
    unsigned N;
    unsigned LowestFree;
};

TEST(TakenNumbers, RunsGrowMergeAndSplitAndTheLowestFreeNumberFollows)
{
    // Runs merge from both sides, taking twice or freeing a free number
    // changes nothing, and runs split at the middle, the start and the end.
    const TStep steps[] = {
        {true, 1, 0}, {true, 0, 2},  {true, 3, 2},  {true, 2, 4},  {true, 2, 4},  {false, 7, 4},
        {true, 5, 4}, {true, 4, 6},  {false, 2, 2}, {true, 2, 6},  {false, 0, 0}, {false, 5, 0},
        {true, 0, 5}, {false, 6, 5}, {false, 1, 1}, {false, 3, 1},
    };
    TTakenNumbers numbers;
    std::set<unsigned> model;
    for (const TStep& s : steps) {
        SCOPED_TRACE(testing::Message() << (s.Take ? "take " : "free ") << s.N);
        if (s.Take) {
            numbers.Take(s.N);
            model.insert(s.N);
        } else {
            numbers.Free(s.N);
            model.erase(s.N);
        }
        EXPECT_EQ(numbers.LowestFree(), s.LowestFree);
        for (unsigned n = 0; n < 10; ++n) EXPECT_EQ(numbers.Taken(n), model.count(n) == 1) << n;
    }
}

TEST(TakenNumbers, TheLargestNumberIsARunOfItsOwn)
{
    constexpr unsigned kMax = std::numeric_limits<unsigned>::max();
    TTakenNumbers numbers;
    numbers.Take(kMax);
    numbers.Take(kMax - 1);
    EXPECT_TRUE(numbers.Taken(kMax));
    EXPECT_FALSE(numbers.Taken(kMax - 2));
    EXPECT_EQ(numbers.LowestFree(), 0u);
    numbers.Free(kMax);
    EXPECT_FALSE(numbers.Taken(kMax));
    EXPECT_TRUE(numbers.Taken(kMax - 1));
}

TEST(TakenNumbers, ManyNumbersTakenAndFreedInAnyOrder)
{
    TTakenNumbers numbers;
    for (unsigned n = 0; n < 2000; ++n) numbers.Take((n * 7919u) % 2000u);  // every number once, shuffled
    EXPECT_EQ(numbers.LowestFree(), 2000u);
    for (unsigned n = 1999; n >= 1000; --n) numbers.Free(n);
    numbers.Free(700);
    EXPECT_EQ(numbers.LowestFree(), 700u);
    numbers.Take(700);
    EXPECT_EQ(numbers.LowestFree(), 1000u);
}

}  // namespace
