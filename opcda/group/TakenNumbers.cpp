#include "group/TakenNumbers.h"

#include <iterator>

void TTakenNumbers::Take(unsigned n)
{
    auto next = runs_.upper_bound(n);  // the first run that starts after n
    if (next != runs_.begin()) {
        const auto previous = std::prev(next);
        if (previous->second >= n) return;
        if (previous->second + 1 == n) {
            previous->second = n;
            if (next != runs_.end() && next->first == n + 1) {
                previous->second = next->second;
                runs_.erase(next);
            }
            return;
        }
    }
    if (next != runs_.end() && next->first == n + 1) {
        const unsigned last = next->second;
        runs_.erase(next);
        runs_.emplace(n, last);
        return;
    }
    runs_.emplace(n, n);
}

void TTakenNumbers::Free(unsigned n)
{
    auto run = runs_.upper_bound(n);
    if (run == runs_.begin()) return;
    --run;
    if (run->second < n) return;
    const unsigned first = run->first, last = run->second;
    runs_.erase(run);
    if (first < n) runs_.emplace(first, n - 1);
    if (n < last) runs_.emplace(n + 1, last);
}

bool TTakenNumbers::Taken(unsigned n) const
{
    auto run = runs_.upper_bound(n);
    return run != runs_.begin() && std::prev(run)->second >= n;
}

unsigned TTakenNumbers::LowestFree() const noexcept
{
    if (runs_.empty() || runs_.begin()->first != 0) return 0;
    return runs_.begin()->second + 1;  // all numbers taken wraps to 0, which is taken: never reached
}
