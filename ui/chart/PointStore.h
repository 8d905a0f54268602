// TPointStore: the points of one series in the order they were added, in
// fixed chunks held in a ring, so adding at the end and deleting at the front
// take constant time however many points there are. Each complete block of
// 16, 256 and 4096 points keeps its X and Y extent, so a walk over the points
// can take a whole block at once where the block's details cannot matter (all
// of it in one pixel column, or outside the visible range). X values need not
// grow with the index: nothing here assumes an order.
#pragma once
#include <algorithm>
#include <cstddef>
#include <deque>
#include <memory>

struct TPointExtent {
    double MinX, MaxX, MinY, MaxY;
};

// A block of points or a single point, as a walk hands it over: indices
// First..Last (inclusive) and their extent.
struct TPointBlock {
    size_t First, Last;
    TPointExtent Extent;
};

enum class TBlockChoice {
    Take,     // hand the whole block over as one
    Skip,     // pass it by
    Descend,  // look at its parts
};

class TPointStore {
public:
    static constexpr size_t kLeaf = 16;
    static constexpr size_t kMid = 256;
    static constexpr size_t kChunk = 4096;

    TPointStore() = default;
    TPointStore(const TPointStore&) = delete;
    TPointStore& operator=(const TPointStore&) = delete;

    size_t Count() const noexcept { return count_; }
    double X(size_t index) const noexcept { return At(index).first[Offset(index)]; }
    double Y(size_t index) const noexcept { return At(index).second[Offset(index)]; }

    void Add(double x, double y);
    // Nothing when the store is empty.
    void DeleteFirst() noexcept;
    void Clear() noexcept;

    // Bytes held for points and their block extents, spare chunk included.
    size_t MemoryBytes() const noexcept;

    // Walks the points first..last (inclusive, last < Count()) in index order.
    // choose(extent) decides for each complete block; single points and blocks
    // cut by the ends of the range or of the store are always looked into,
    // and every single point is handed to take. choose may be asked about a
    // block shortly before take has seen the blocks in front of it.
    template <class Choose, class Take>
    void Walk(size_t first, size_t last, Choose&& choose, Take&& take) const;

private:
    struct TChunk {
        double X[kChunk];
        double Y[kChunk];
        TPointExtent Leaf[kChunk / kLeaf];
        TPointExtent Mid[kChunk / kMid];
        TPointExtent All;
    };

    size_t Absolute(size_t index) const noexcept { return head_ + index; }
    size_t Offset(size_t index) const noexcept { return Absolute(index) % kChunk; }
    std::pair<const double*, const double*> At(size_t index) const noexcept
    {
        const TChunk& c = *chunks_[Absolute(index) / kChunk];
        return {c.X, c.Y};
    }
    void CloseBlocks(TChunk& chunk, size_t offset) noexcept;

    std::deque<std::unique_ptr<TChunk>> chunks_;
    std::unique_ptr<TChunk> spare_;  // the chunk last freed at the front, for the next one at the end
    size_t head_ = 0;                // offset of the first point in the first chunk
    size_t count_ = 0;
};

template <class Choose, class Take>
void TPointStore::Walk(size_t first, size_t last, Choose&& choose, Take&& take) const
{
    if (count_ == 0 || first > last || last >= count_) return;
    // Loops rather than recursion, so that both decisions inline: a repaint
    // calls them for every block of every series.
    const size_t lo = Absolute(first), hi = Absolute(last);
    const auto whole = [&](size_t begin, size_t size) { return begin >= lo && begin + size - 1 <= hi; };
    constexpr size_t kLeavesPerMid = kMid / kLeaf;
    // The decisions for one mid block and its leaves. They are made one block
    // ahead, and the points of leaves to be looked into are asked for then:
    // their memory arrives while the block before is still being worked on.
    struct TPlan {
        TBlockChoice Mid;
        TBlockChoice Leaves[kLeavesPerMid];
    };
    const auto plan = [&](const TChunk& chunk, size_t base, size_t m, TPlan& out) {
        const size_t midBase = base + m * kMid;
        out.Mid = whole(midBase, kMid) ? choose(chunk.Mid[m]) : TBlockChoice::Descend;
        if (out.Mid != TBlockChoice::Descend) return;
        for (size_t l = 0; l < kLeavesPerMid; ++l) {
            const size_t leafBase = midBase + l * kLeaf;
            if (leafBase + kLeaf - 1 < lo || leafBase > hi) {
                out.Leaves[l] = TBlockChoice::Skip;
                continue;
            }
            out.Leaves[l] = whole(leafBase, kLeaf) ? choose(chunk.Leaf[m * kLeavesPerMid + l]) : TBlockChoice::Descend;
            if (out.Leaves[l] == TBlockChoice::Descend) {
                const size_t offset = leafBase - base;
                __builtin_prefetch(chunk.X + offset);
                __builtin_prefetch(chunk.X + offset + kLeaf - 1);
                __builtin_prefetch(chunk.Y + offset);
                __builtin_prefetch(chunk.Y + offset + kLeaf - 1);
            }
        }
    };
    for (size_t c = lo / kChunk; c <= hi / kChunk; ++c) {
        const TChunk& chunk = *chunks_[c];
        const size_t base = c * kChunk;
        if (whole(base, kChunk)) {
            const TBlockChoice choice = choose(chunk.All);
            if (choice == TBlockChoice::Take) take(TPointBlock{base - head_, base + kChunk - 1 - head_, chunk.All});
            if (choice != TBlockChoice::Descend) continue;
        }
        const size_t midFrom = lo > base ? (lo - base) / kMid : 0;
        const size_t midTo = std::min(kChunk / kMid - 1, (hi - base) / kMid);
        TPlan plans[2];
        plan(chunk, base, midFrom, plans[0]);
        for (size_t m = midFrom; m <= midTo; ++m) {
            const TPlan& current = plans[(m - midFrom) % 2];
            if (m < midTo) plan(chunk, base, m + 1, plans[(m + 1 - midFrom) % 2]);
            const size_t midBase = base + m * kMid;
            if (current.Mid == TBlockChoice::Take)
                take(TPointBlock{midBase - head_, midBase + kMid - 1 - head_, chunk.Mid[m]});
            if (current.Mid != TBlockChoice::Descend) continue;
            for (size_t l = 0; l < kLeavesPerMid; ++l) {
                const size_t leafBase = midBase + l * kLeaf;
                switch (current.Leaves[l]) {
                case TBlockChoice::Skip:
                    break;
                case TBlockChoice::Take:
                    take(
                        TPointBlock{leafBase - head_, leafBase + kLeaf - 1 - head_, chunk.Leaf[m * kLeavesPerMid + l]});
                    break;
                case TBlockChoice::Descend: {
                    const size_t from = std::max(leafBase, lo), to = std::min(leafBase + kLeaf - 1, hi);
                    for (size_t a = from; a <= to; ++a) {
                        const double x = chunk.X[a - base], y = chunk.Y[a - base];
                        take(TPointBlock{a - head_, a - head_, TPointExtent{x, x, y, y}});
                    }
                    break;
                }
                }
            }
        }
    }
}
