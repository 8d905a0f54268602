#include "ZevValueAccess.h"

#include <oleauto.h>

#include <iterator>
#include <string>
#include <string_view>

#include "ConvertError.h"
#include "NumberText.h"
#include "ZevCatalogue.h"
#include "com/ComOwners.h"
#include "com/TextUtil.h"
#include "contract/OpcError.h"

namespace {

struct TPictureItem {
    int Handle;
    TNumberPicture Picture;
    constexpr TPictureItem(int handle, std::string_view picture) : Handle(handle), Picture(TNumberPicture::Parse(picture)) {}
};

constexpr TPictureItem PictureItems[] = {
    {12, "0.0"},        // Float.Rate Measured (A/s)
    {13, "0.000"},      // Float.Thickness Measured (kA)
    {15, "0.0000000"},  // Float.Chamber Pressure
    {16, "0.0"},        // Float.Gas 1 Flow Measured
    {17, "0.0"},        // Float.Gas 2 Flow Measured
    {18, "0.0"},        // Float.Source X Rate Measured (A/s)
    {19, "0.0"},        // Float.Source Y Rate Measured (A/s)
    {20, "0.0"},        // Float.Source Z Rate Measured (A/s)
    {21, "0.0"},        // Float.Source X Power (%)
    {22, "0.0"},        // Float.Source Y Power (%)
    {23, "0.0"},        // Float.Source Z Power (%)
    {24, "0.00"},       // Float.OM Signal
    {36, "0.000"},      // Float.MRLD Thickness Target (kA)
    {37, "0.000"},      // Float.MRLD Thickness Measured (kA)
    {38, "0.0"},        // Float.MRLD Rate Measured (A/s)
    {39, "0.0"},        // Float.MRLD Source Power (%)
    {53, "0.000"},      // Float.Gas 1 Control (Volt)
    {54, "0.000"},      // Float.Gas 2 Control (Volt)
};
static_assert(std::size(PictureItems) == 18);

std::wstring_view BstrView(BSTR text) noexcept { return {text, SysStringLen(text)}; }

// A string is taken as it is; anything else through the platform's
// variant-to-text conversion.
std::wstring VariantToText(const VARIANT& value)
{
    if (V_VT(&value) == VT_BSTR) return std::wstring(BstrView(V_BSTR(&value)));
    UniqueVariant text;
    // The platform declares its source non-const but never writes it.
    if (FAILED(VariantChangeType(text.put(), const_cast<VARIANT*>(&value), 0, VT_BSTR)))
        throw EVariantError("value has no text");
    return std::wstring(BstrView(V_BSTR(&text.get())));
}

}  // namespace

double VariantToNumber(const VARIANT& value, const TNumberSeparators& separators)
{
    UniqueVariant direct;
    // The platform declares its sources non-const but never writes them.
    if (FAILED(VariantCopyInd(direct.put(), const_cast<VARIANT*>(&value)))) throw EVariantError("value is no number");
    VARIANT& v = direct.get();
    if (V_VT(&v) == VT_BSTR) {
        try {
            return TextToNumber(BstrView(V_BSTR(&v)), separators);
        } catch (const EConvertError& e) {
            throw EVariantError(e.what());
        }
    }
    if (FAILED(VariantChangeType(&v, &v, 0, VT_R8))) throw EVariantError("value is no number");
    return V_R8(&v);
}

std::optional<TNumberPicture> ZevNumberPicture(int handle) noexcept
{
    for (const auto& item : PictureItems)
        if (item.Handle == handle) return item.Picture;
    return std::nullopt;
}

void ReadZevItemValue(const TItemValueTable& table, int handle, VARIANT* out)
{
    if (!IsZevHandle(handle)) RaiseOpcError(OPC_E_INVALIDHANDLE);
    if (!out) RaiseOpcError(E_INVALIDARG);
    const int row = ZevCatalogueEntry(handle).Row;
    const std::wstring text = AnsiToWide(row == ZevNoRow ? table.Edit1Text() : table.Value(row));
    UniqueBstr copy(text);
    VariantClear(out);
    V_VT(out) = VT_BSTR;
    V_BSTR(out) = copy.release();
}

std::optional<uint64_t> ZevItemVersion(const TItemValueTable& table, int handle) noexcept
{
    if (!IsZevHandle(handle)) return std::nullopt;
    const int row = ZevCatalogueEntry(handle).Row;
    return row == ZevNoRow ? table.Edit1Version() : table.RowVersion(row);
}

void WriteZevItemValue(TItemValueTable& table, int handle, const VARIANT& value)
{
    if (!IsZevHandle(handle)) RaiseOpcError(OPC_E_INVALIDHANDLE);
    const auto picture = ZevNumberPicture(handle);
    std::string text;
    try {
        if (picture) {
            // Read in the separators the number is then shown with, read once:
            // another reading could take a decimal comma for grouping.
            const TNumberSeparators separators = TNumberSeparators::User();
            text = WideToAnsi(FormatNumberPicture(VariantToNumber(value, separators), *picture, separators));
        } else {
            text = WideToAnsi(VariantToText(value));
        }
    } catch (const EConvertError& e) {
        throw EVariantError(e.what());  // infinity and NaN have no picture
    }
    const int row = ZevCatalogueEntry(handle).Row;
    if (row == ZevNoRow)
        table.SetEdit1Text(std::move(text));
    else
        table.SetValue(row, std::move(text));
}
