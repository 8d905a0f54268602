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
    // and every single point is handed to take.
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

    // Walks block [begin, begin + size) of a chunk (absolute indices).
    template <class Choose, class Take>
    void WalkBlock(const TChunk& chunk, size_t chunkBase, size_t begin, size_t size, size_t lo, size_t hi,
                   Choose& choose, Take& take) const;

    std::deque<std::unique_ptr<TChunk>> chunks_;
    std::unique_ptr<TChunk> spare_;  // the chunk last freed at the front, for the next one at the end
    size_t head_ = 0;                // offset of the first point in the first chunk
    size_t count_ = 0;
};

template <class Choose, class Take>
void TPointStore::Walk(size_t first, size_t last, Choose&& choose, Take&& take) const
{
    if (count_ == 0 || first > last || last >= count_) return;
    const size_t lo = Absolute(first), hi = Absolute(last);
    for (size_t c = lo / kChunk; c <= hi / kChunk; ++c)
        WalkBlock(*chunks_[c], c * kChunk, c * kChunk, kChunk, lo, hi, choose, take);
}

template <class Choose, class Take>
void TPointStore::WalkBlock(const TChunk& chunk, size_t chunkBase, size_t begin, size_t size, size_t lo, size_t hi,
                            Choose& choose, Take& take) const
{
    const size_t end = begin + size - 1;
    if (end < lo || begin > hi) return;
    const size_t local = begin - chunkBase;
    // A block is whole when it lies inside the range and has all its points.
    if (begin >= lo && end <= hi) {
        const TPointExtent& extent = size == kChunk ? chunk.All
                                     : size == kMid ? chunk.Mid[local / kMid]
                                                    : chunk.Leaf[local / kLeaf];
        switch (choose(extent)) {
        case TBlockChoice::Take:
            take(TPointBlock{begin - head_, end - head_, extent});
            return;
        case TBlockChoice::Skip:
            return;
        case TBlockChoice::Descend:
            break;
        }
    }
    if (size == kLeaf) {
        for (size_t a = std::max(begin, lo); a <= std::min(end, hi); ++a) {
            const double x = chunk.X[a - chunkBase], y = chunk.Y[a - chunkBase];
            take(TPointBlock{a - head_, a - head_, TPointExtent{x, x, y, y}});
        }
        return;
    }
    const size_t part = size == kChunk ? kMid : kLeaf;
    for (size_t b = begin; b <= end; b += part) WalkBlock(chunk, chunkBase, b, part, lo, hi, choose, take);
}
