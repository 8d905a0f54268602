#include "PointStore.h"

#include <algorithm>

namespace {

TPointExtent ExtentOfPoints(const double* x, const double* y, size_t n) noexcept
{
    TPointExtent e{x[0], x[0], y[0], y[0]};
    for (size_t i = 1; i < n; ++i) {
        e.MinX = std::min(e.MinX, x[i]);
        e.MaxX = std::max(e.MaxX, x[i]);
        e.MinY = std::min(e.MinY, y[i]);
        e.MaxY = std::max(e.MaxY, y[i]);
    }
    return e;
}

TPointExtent ExtentOfBlocks(const TPointExtent* blocks, size_t n) noexcept
{
    TPointExtent e = blocks[0];
    for (size_t i = 1; i < n; ++i) {
        e.MinX = std::min(e.MinX, blocks[i].MinX);
        e.MaxX = std::max(e.MaxX, blocks[i].MaxX);
        e.MinY = std::min(e.MinY, blocks[i].MinY);
        e.MaxY = std::max(e.MaxY, blocks[i].MaxY);
    }
    return e;
}

}  // namespace

void TPointStore::Add(double x, double y)
{
    const size_t absolute = head_ + count_;
    if (absolute / kChunk == chunks_.size()) chunks_.push_back(spare_ ? std::move(spare_) : std::make_unique<TChunk>());
    TChunk& chunk = *chunks_.back();
    const size_t offset = absolute % kChunk;
    chunk.X[offset] = x;
    chunk.Y[offset] = y;
    ++count_;
    CloseBlocks(chunk, offset);
}

void TPointStore::CloseBlocks(TChunk& chunk, size_t offset) noexcept
{
    // The extent of a block is made once, when its last point arrives: 16
    // points every 16th add, 16 extents every 256th, 16 every 4096th.
    const size_t done = offset + 1;
    if (done % kLeaf != 0) return;
    const size_t leaf = offset / kLeaf;
    chunk.Leaf[leaf] = ExtentOfPoints(chunk.X + leaf * kLeaf, chunk.Y + leaf * kLeaf, kLeaf);
    if (done % kMid != 0) return;
    const size_t mid = offset / kMid;
    chunk.Mid[mid] = ExtentOfBlocks(chunk.Leaf + mid * (kMid / kLeaf), kMid / kLeaf);
    if (done != kChunk) return;
    chunk.All = ExtentOfBlocks(chunk.Mid, kChunk / kMid);
}

void TPointStore::DeleteFirst() noexcept
{
    if (count_ == 0) return;
    ++head_;
    --count_;
    if (count_ == 0) {
        // Start the next point at the front of a chunk again.
        if (!spare_) spare_ = std::move(chunks_.front());
        chunks_.clear();
        head_ = 0;
    } else if (head_ == kChunk) {
        spare_ = std::move(chunks_.front());
        chunks_.pop_front();
        head_ = 0;
    }
}

void TPointStore::Clear() noexcept
{
    if (!spare_ && !chunks_.empty()) spare_ = std::move(chunks_.front());
    chunks_.clear();
    head_ = 0;
    count_ = 0;
}

size_t TPointStore::MemoryBytes() const noexcept
{
    return (chunks_.size() + (spare_ ? 1 : 0)) * sizeof(TChunk) + sizeof(*this);
}
