// Function names from the COFF symbol table that mingw-w64 (and Wine for its
// built-in DLLs) leaves in a PE file, for naming the addresses of a profile.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

class TCoffSymbols {
public:
    // Reads the symbols of the PE file at path; empty when it has none.
    explicit TCoffSymbols(const std::wstring& path);

    bool Empty() const noexcept { return symbols_.empty(); }
    // The (demangled) name of the function that holds the address rva, or
    // empty when no symbol lies below it.
    std::string NameAt(DWORD rva) const;

private:
    struct TSymbol {
        DWORD Rva;
        std::string Name;
    };
    std::vector<TSymbol> symbols_;  // by Rva
};
