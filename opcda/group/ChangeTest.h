// Whether a value read or pushed for an item counts as a change of the value
// a group item holds.
#pragma once
#include <windows.h>
#include <oleauto.h>

class TServerItemRef;

enum class TValueChange {
    Same,            // not a change
    WithinDeadband,  // not a change, but the value did move: the time stamp advances
    Changed,
};

// The analog rule when the item has engineering units of type analog and a
// numeric canonical type: a change only beyond percentDeadband of the EU
// range (strictly; with 0 any difference counts). Otherwise ValuesEqual.
TValueChange CompareForChange(const TServerItemRef& item, float percentDeadband, const VARIANT& held,
                              const VARIANT& fresh) noexcept;
