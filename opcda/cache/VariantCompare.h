// The equality of two values used by the change test of group items.
#pragma once
#include <windows.h>
#include <oleauto.h>

// Values of different VARTYPE are never equal. Scalars compare by value
// (strings ordinal and case-sensitive). Arrays are equal only when both are
// one-dimensional with the same element count and size; string arrays compare
// element by element, all other arrays byte for byte.
bool ValuesEqual(const VARIANT& a, const VARIANT& b) noexcept;
