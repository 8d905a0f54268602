// TRunList: one value per point of a series, stored once per change: a run
// starts where the value differs from the point before. Points are counted
// from the first ever added, so deleting at the front only drops runs that
// no point uses any more.
#pragma once
#include <algorithm>
#include <cstddef>
#include <deque>

template <class T>
class TRunList {
public:
    // The value of the point added next.
    void Add(const T& value)
    {
        if (runs_.empty() || !(runs_.back().Value == value)) runs_.push_back(TRun{next_, value});
        ++next_;
    }

    // Forgets the oldest point.
    void DeleteFirst()
    {
        if (first_ == next_) return;
        ++first_;
        while (runs_.size() > 1 && runs_[1].Start <= first_) runs_.pop_front();
        if (first_ == next_) runs_.clear();
    }

    void Clear()
    {
        runs_.clear();
        first_ = next_;
    }

    // The value of point `index` (0 the oldest kept); index < the point count.
    const T& At(size_t index) const
    {
        const size_t point = first_ + index;
        const auto after = std::upper_bound(runs_.begin(), runs_.end(), point,
                                            [](size_t p, const TRun& run) { return p < run.Start; });
        return std::prev(after)->Value;
    }

    size_t RunCount() const noexcept { return runs_.size(); }

private:
    struct TRun {
        size_t Start;
        T Value;
    };
    std::deque<TRun> runs_;
    size_t first_ = 0;  // the oldest point kept, counted from the first ever added
    size_t next_ = 0;
};
