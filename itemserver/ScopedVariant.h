// Owns a VARIANT for the length of a scope and clears it on the way out.
#pragma once
#include <windows.h>
#include <oleauto.h>

struct TScopedVariant {
    VARIANT v;
    TScopedVariant() noexcept { VariantInit(&v); }
    ~TScopedVariant() { VariantClear(&v); }
    TScopedVariant(const TScopedVariant&) = delete;
    TScopedVariant& operator=(const TScopedVariant&) = delete;
};
