// Requested types and written values at the edges of what the real server
// can represent: a type a client may not ask for is refused by SetDatatypes
// as by AddItems, and a written value that the conversion to text cannot
// show is refused rather than stored as some other text.
#include <cmath>
#include <functional>
#include <limits>

#include "GroupClient.h"

namespace {

using Unusual = ServerWithGroups;

const std::wstring kLayer = L"Number.Layer Number";
const std::wstring kPlant = L"String.Coating Plant Name";
const std::wstring kRate = L"Float.Rate Measured (A/s)";

TEST_F(Unusual, SetDatatypesRefusesTheTypesAddItemsRefuses)
{
    WriteItem(kLayer, L"12");
    TClientGroup group = Group();
    const VARTYPE refused[] = {VT_NULL,    VT_I8,      VT_UI8,           VT_CY,           VT_DECIMAL, VT_ERROR,
                               VT_VARIANT, VT_UNKNOWN, VT_ARRAY | VT_CY, VT_ARRAY | VT_I8};
    OPCHANDLE handle = group.Add({kLayer}, true, VT_I4).at(0);
    ASSERT_NE(handle, 0u);
    for (VARTYPE type : refused) {
        SCOPED_TRACE(testing::Message() << "type 0x" << std::hex << type);
        std::vector<HRESULT> added;
        group.Add({kLayer}, true, type, 50, &added);
        EXPECT_EQ(added, (std::vector<HRESULT>{OPC_E_BADTYPE}));
        VARTYPE requested = type;
        EXPECT_EQ(group.Errors(1, [&](HRESULT** e) { return group.Items()->SetDatatypes(1, &handle, &requested, e); }),
                  (std::vector<HRESULT>{OPC_E_BADTYPE}));
        for (OPCDATASOURCE source : {OPC_DS_CACHE, OPC_DS_DEVICE}) {
            const std::vector<TReadItem> read = group.Read(source, {handle});
            ASSERT_EQ(V_VT(&read.at(0).value.get()), VT_I4) << "the item keeps the type it had";
            EXPECT_EQ(V_I4(&read.at(0).value.get()), 12);
        }
    }
    for (VARTYPE type : {VT_EMPTY, VT_BSTR, VT_R8}) {
        VARTYPE requested = type;
        EXPECT_EQ(group.Errors(1, [&](HRESULT** e) { return group.Items()->SetDatatypes(1, &handle, &requested, e); }),
                  (std::vector<HRESULT>{S_OK}))
            << type;
    }
}

UniqueVariant MakeDate(DATE date)
{
    UniqueVariant out;
    V_VT(out.put()) = VT_DATE;
    V_DATE(&out.get()) = date;
    return out;
}

UniqueVariant MakeDecimal(BYTE scale, BYTE sign, ULONG low)
{
    UniqueVariant out;
    DECIMAL d{};
    d.scale = scale;
    d.sign = sign;
    d.Lo32 = low;
    V_DECIMAL(out.put()) = d;
    V_VT(&out.get()) = VT_DECIMAL;  // after the DECIMAL, which overlays the type field
    return out;
}

UniqueVariant MakeBytes(std::vector<BYTE> bytes)
{
    return MakeVector(VT_UI1, bytes,
                      [](SAFEARRAY* array, LONG i, BYTE b) { return SafeArrayPutElement(array, &i, &b); });
}

// The text this process's own conversion makes of a value that has one.
std::wstring LocalText(const VARIANT& value)
{
    UniqueVariant text;
    if (FAILED(VariantChangeType(text.put(), const_cast<VARIANT*>(&value), 0, VT_BSTR))) return L"<no text>";
    return TextOf(text.get());
}

TEST_F(Unusual, ValuesTheConversionCannotShowAreRefusedAndTheItemKeepsItsText)
{
    constexpr double kLastSecond = 2958465.0 + 86399.0 / 86400.0;  // 31 December 9999, 23:59:59
    constexpr double kSecond = 1.0 / 86400.0;
    struct TCase {
        const char* Name;
        std::function<UniqueVariant()> Make;
        HRESULT Error;  // S_OK: stored as the local conversion's text
    };
    const TCase cases[] = {
        {"date NaN", [] { return MakeDate(std::numeric_limits<double>::quiet_NaN()); }, E_INVALIDARG},
        {"date infinite", [] { return MakeDate(std::numeric_limits<double>::infinity()); }, E_INVALIDARG},
        {"date rounding past the last second", [&] { return MakeDate(kLastSecond + 0.6 * kSecond); }, E_INVALIDARG},
        {"date after the last day", [] { return MakeDate(2958466.0); }, E_INVALIDARG},
        {"date before the first day", [] { return MakeDate(-657435.0); }, E_INVALIDARG},
        {"the last second", [&] { return MakeDate(kLastSecond + 0.4 * kSecond); }, S_OK},
        {"the first day", [] { return MakeDate(-657434.5); }, S_OK},
        {"decimal of scale 29", [] { return MakeDecimal(29, 0, 12345); }, E_INVALIDARG},
        {"decimal of an unknown sign", [] { return MakeDecimal(2, 0x7F, 12345); }, E_INVALIDARG},
        {"decimal of scale 28", [] { return MakeDecimal(28, DECIMAL_NEG, 12345); }, S_OK},
        {"one byte", [] { return MakeBytes({'A'}); }, DISP_E_TYPEMISMATCH},
        {"three bytes",
         [] {
             return MakeBytes({'A', 0, 'B'});
         },
         DISP_E_TYPEMISMATCH},
        {"two characters in bytes",
         [] {
             return MakeBytes({'h', 0, 'i', 0});
         },
         S_OK},
        {"no bytes", [] { return MakeBytes({}); }, S_OK},
    };
    TClientGroup group = Group();
    const std::vector<OPCHANDLE> handles = group.Add({kPlant, kRate});
    ASSERT_EQ(group.Write(handles, {L"kept", L"5"}), (std::vector<HRESULT>{S_OK, S_OK}));
    ComPtr<IOPCSyncIO> io = group.As<IOPCSyncIO>();
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        UniqueVariant value = c.Make();
        OPCHANDLE handle = handles[0];
        TaskMemArray<HRESULT> errors;
        io->Write(1, &handle, &value.get(), errors.put(1));
        ASSERT_TRUE(errors.get());
        EXPECT_EQ(errors[0], c.Error);
        const std::wstring stored = TextOf(group.Read(OPC_DS_DEVICE, {handle}).at(0).value.get());
        if (FAILED(c.Error)) {
            EXPECT_EQ(stored, L"kept");
        } else {
            EXPECT_EQ(stored, LocalText(value.get()));
            ASSERT_EQ(group.Write({handle}, {L"kept"}), (std::vector<HRESULT>{S_OK}));
        }
    }
    // A number item refuses them with the same codes, and keeps its number.
    for (const TCase& c : cases) {
        if (SUCCEEDED(c.Error) || c.Error == DISP_E_TYPEMISMATCH) continue;
        SCOPED_TRACE(c.Name);
        UniqueVariant value = c.Make();
        OPCHANDLE handle = handles[1];
        TaskMemArray<HRESULT> errors;
        io->Write(1, &handle, &value.get(), errors.put(1));
        ASSERT_TRUE(errors.get());
        EXPECT_EQ(errors[0], c.Error);
        EXPECT_EQ(TextOf(group.Read(OPC_DS_DEVICE, {handle}).at(0).value.get()), L"5.0");
    }
}

}  // namespace
