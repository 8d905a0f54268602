// The series store: points in order across chunk boundaries, constant-time
// deletion at the front, block extents that a walk may take whole, and
// colours and labels stored once per change.
#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <vector>

#include "ChartSeries.h"
#include "PointStore.h"
#include "RunList.h"

namespace {

// Walks everything taking whole blocks wherever allowed; the union of what was
// handed over must be exactly the points, in order, with the right extents.
void ExpectWalkCovers(const TPointStore& store, size_t first, size_t last)
{
    size_t next = first;
    double lo = std::numeric_limits<double>::infinity(), hi = -lo;
    store.Walk(
        first, last, [](const TPointExtent&) { return TBlockChoice::Take; },
        [&](const TPointBlock& b) {
            ASSERT_EQ(b.First, next);
            double minY = store.Y(b.First), maxY = minY, minX = store.X(b.First), maxX = minX;
            for (size_t i = b.First; i <= b.Last; ++i) {
                minY = std::min(minY, store.Y(i));
                maxY = std::max(maxY, store.Y(i));
                minX = std::min(minX, store.X(i));
                maxX = std::max(maxX, store.X(i));
            }
            EXPECT_EQ(b.Extent.MinY, minY);
            EXPECT_EQ(b.Extent.MaxY, maxY);
            EXPECT_EQ(b.Extent.MinX, minX);
            EXPECT_EQ(b.Extent.MaxX, maxX);
            lo = std::min(lo, b.Extent.MinY);
            hi = std::max(hi, b.Extent.MaxY);
            next = b.Last + 1;
        });
    EXPECT_EQ(next, last + 1);
}

}  // namespace

TEST(PointStore, KeepsOrderAcrossChunksWhileTheFrontIsDeleted)
{
    TPointStore store;
    std::mt19937 random(7);
    std::uniform_real_distribution<double> value(-1000, 1000);
    std::vector<std::pair<double, double>> reference;
    size_t front = 0;
    for (int i = 0; i < 30000; ++i) {
        const double x = value(random), y = value(random);
        store.Add(x, y);
        reference.emplace_back(x, y);
        if (i > 9000 && i % 3 != 0) {  // a sliding window that also shrinks
            store.DeleteFirst();
            ++front;
        }
    }
    ASSERT_EQ(store.Count(), reference.size() - front);
    for (size_t i = 0; i < store.Count(); i += 97) {
        EXPECT_EQ(store.X(i), reference[front + i].first);
        EXPECT_EQ(store.Y(i), reference[front + i].second);
    }
    ExpectWalkCovers(store, 0, store.Count() - 1);
    ExpectWalkCovers(store, 5, store.Count() - 3);
    ExpectWalkCovers(store, 4095, 4097);
}

TEST(PointStore, EmptiedStoreStartsAgainAndDeletingNothingIsHarmless)
{
    TPointStore store;
    store.DeleteFirst();
    for (int i = 0; i < 5000; ++i) store.Add(i, i);
    for (int i = 0; i < 5000; ++i) store.DeleteFirst();
    EXPECT_EQ(store.Count(), 0u);
    store.DeleteFirst();
    for (int i = 0; i < 300; ++i) store.Add(-i, 2 * i);
    EXPECT_EQ(store.X(299), -299);
    ExpectWalkCovers(store, 0, 299);
}

TEST(PointStore, MemoryFollowsTheSlidingWindowNotTheHistory)
{
    TPointStore store;
    for (int i = 0; i < 20000; ++i) store.Add(i, i);
    const auto slide = [&](int samples) {
        for (int i = 0; i < samples; ++i) {
            store.Add(i, i);
            store.DeleteFirst();
        }
        return store.MemoryBytes();
    };
    const size_t after = slide(100000);
    EXPECT_EQ(slide(300000), after);
    EXPECT_LT(after, 20000u * 24u);  // 16 bytes a point, the block extents, a chunk at each end
}

TEST(RunList, StoresOneRunPerChange)
{
    TRunList<std::wstring> labels;
    const wchar_t* sequence[] = {L"A", L"A", L"A", L"B", L"B", L"A", L"A"};
    for (const wchar_t* s : sequence) labels.Add(s);
    EXPECT_EQ(labels.RunCount(), 3u);
    for (size_t i = 0; i < std::size(sequence); ++i) EXPECT_EQ(labels.At(i), sequence[i]);
    for (int i = 0; i < 4; ++i) labels.DeleteFirst();
    EXPECT_EQ(labels.At(0), L"B");
    EXPECT_EQ(labels.At(1), L"A");
    EXPECT_EQ(labels.RunCount(), 2u);
    labels.DeleteFirst();
    EXPECT_EQ(labels.RunCount(), 1u);
}

TEST(ChartSeries, FindsTheIndicesAndValuesInsideAnXRange)
{
    TChartSeries series(L"s", 0);
    for (int i = 0; i < 10000; ++i) series.AddXY(i, i % 100 == 50 ? 1000.0 : i % 7, 0, L"run");
    const auto inside = series.IndicesWithin(1234.5, 5000);
    ASSERT_TRUE(inside);
    EXPECT_EQ(inside->First, 1235u);
    EXPECT_EQ(inside->Last, 5000u);
    EXPECT_FALSE(series.IndicesWithin(10000.5, 20000));
    EXPECT_FALSE(series.IndicesWithin(3, 2));
    const auto values = series.YRangeWithin(101, 149);
    ASSERT_TRUE(values);
    EXPECT_EQ(values->Min, 0);
    EXPECT_EQ(values->Max, 6);
    EXPECT_EQ(series.YRangeWithin(0, 10000)->Max, 1000);
    EXPECT_EQ(series.PointLabel(9999), L"run");
}

TEST(ChartSeries, IndicesInsideDoNotAssumeGrowingX)
{
    // The controller's clock jumps back by an hour in the middle.
    TChartSeries series(L"s", 0);
    for (int i = 0; i < 6000; ++i) series.AddXY(i < 3000 ? 10000 + i : 10000 + i - 3600, i, 0);
    const auto inside = series.IndicesWithin(9000, 9500);  // only after the jump: 9400 ...
    ASSERT_TRUE(inside);
    EXPECT_EQ(inside->First, 3000u);
    EXPECT_EQ(inside->Last, 3100u);
    const auto both = series.IndicesWithin(10100, 10200);  // before and after the jump
    ASSERT_TRUE(both);
    EXPECT_EQ(both->First, 100u);
    EXPECT_EQ(both->Last, 3800u);
}
