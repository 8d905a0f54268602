// A made-up deposition run: the values the companion process software would
// write to the server, as a function of the seconds since the run began.
#pragma once
#include <string>
#include <utility>
#include <vector>

struct TSimulatedValue {
    std::wstring ItemId;
    std::wstring Text;  // written as text; the server formats its number items itself
};

std::vector<TSimulatedValue> SimulatedValues(double seconds, unsigned tick);

// Every item the simulator writes, in a fixed order.
std::vector<std::wstring> SimulatedItemIds();
