#include "CoffSymbols.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

std::string Demangled(const std::string& name)
{
    int status = 0;
    char* plain = abi::__cxa_demangle(name.c_str(), nullptr, nullptr, &status);
    if (status != 0 || !plain) return name;
    std::string result(plain);
    std::free(plain);
    return result;
}

template <class T>
bool ReadAt(const std::vector<char>& file, size_t offset, T& out)
{
    if (offset > file.size() || sizeof(T) > file.size() - offset) return false;
    std::memcpy(&out, file.data() + offset, sizeof(T));
    return true;
}

}  // namespace

TCoffSymbols::TCoffSymbols(const std::wstring& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in) return;
    const std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    IMAGE_DOS_HEADER dos{};
    IMAGE_NT_HEADERS64 nt{};
    if (!ReadAt(file, 0, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE || !ReadAt(file, dos.e_lfanew, nt)) return;
    const IMAGE_FILE_HEADER& header = nt.FileHeader;
    if (header.PointerToSymbolTable == 0 || header.NumberOfSymbols == 0) return;

    const size_t sectionsAt = dos.e_lfanew + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) + header.SizeOfOptionalHeader;
    std::vector<IMAGE_SECTION_HEADER> sections(header.NumberOfSections);
    for (size_t i = 0; i < sections.size(); ++i)
        if (!ReadAt(file, sectionsAt + i * sizeof(IMAGE_SECTION_HEADER), sections[i])) return;

    const size_t table = header.PointerToSymbolTable;
    const size_t strings = table + static_cast<size_t>(header.NumberOfSymbols) * IMAGE_SIZEOF_SYMBOL;
    for (DWORD i = 0; i < header.NumberOfSymbols; ++i) {
        IMAGE_SYMBOL symbol{};
        if (!ReadAt(file, table + static_cast<size_t>(i) * IMAGE_SIZEOF_SYMBOL, symbol)) break;
        const DWORD auxiliary = symbol.NumberOfAuxSymbols;
        const SHORT section = symbol.SectionNumber;
        i += auxiliary;
        if (section <= 0 || static_cast<size_t>(section) > sections.size()) continue;
        const IMAGE_SECTION_HEADER& s = sections[static_cast<size_t>(section) - 1];
        if (!(s.Characteristics & IMAGE_SCN_CNT_CODE)) continue;
        if (symbol.StorageClass != IMAGE_SYM_CLASS_EXTERNAL && symbol.StorageClass != IMAGE_SYM_CLASS_STATIC) continue;
        std::string name;
        if (symbol.N.Name.Short == 0) {
            const size_t at = strings + symbol.N.Name.Long;
            if (at >= file.size()) continue;
            name = std::string(file.data() + at, strnlen(file.data() + at, file.size() - at));
        } else {
            name = std::string(reinterpret_cast<const char*>(symbol.N.ShortName),
                               strnlen(reinterpret_cast<const char*>(symbol.N.ShortName), 8));
        }
        if (name.empty() || name[0] == '.') continue;  // section and local labels
        symbols_.push_back({s.VirtualAddress + symbol.Value, name});
    }
    std::sort(symbols_.begin(), symbols_.end(), [](const TSymbol& a, const TSymbol& b) { return a.Rva < b.Rva; });
}

std::string TCoffSymbols::NameAt(DWORD rva) const
{
    auto above = std::upper_bound(symbols_.begin(), symbols_.end(), rva,
                                  [](DWORD value, const TSymbol& s) { return value < s.Rva; });
    if (above == symbols_.begin()) return {};
    return Demangled(std::prev(above)->Name);
}
