// A set of whole numbers kept as runs of consecutive numbers, so that the
// lowest number not in the set is found in logarithmic time.
#pragma once
#include <map>

class TTakenNumbers {
public:
    void Take(unsigned n);
    void Free(unsigned n);
    bool Taken(unsigned n) const;
    // The lowest number from 0 up that is not taken.
    unsigned LowestFree() const noexcept;

private:
    // first -> last of each run; runs neither overlap nor touch.
    std::map<unsigned, unsigned> runs_;
};
