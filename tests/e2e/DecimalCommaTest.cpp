// Numbers written to the real server by a user who set a decimal comma and a
// grouping point in the regional settings while the locale itself stays
// English: the setting is written into the user's registry, where the
// Control Panel keeps it, before the server starts, and put back afterwards.
#include <algorithm>
#include <string>

#include "GroupClient.h"
#include "com/RegistryKey.h"
#include "com/TextUtil.h"

namespace {

const std::wstring kRate = L"Float.Rate Measured (A/s)";
const std::wstring kPressure = L"Float.Chamber Pressure";
const std::wstring kGasControl = L"Float.Gas 1 Control (Volt)";
const std::wstring kOmSignal = L"Float.OM Signal";
const std::wstring kPlant = L"String.Coating Plant Name";

const wchar_t kInternational[] = L"Control Panel\\International";

// The user's decimal and grouping separators, set for the life of the object.
class TUserNumberFormat {
public:
    TUserNumberFormat(const wchar_t* decimal, const wchar_t* thousands)
    {
        key_ = TRegistryKey::Create(HKEY_CURRENT_USER, kInternational, KEY_QUERY_VALUE | KEY_SET_VALUE);
        ok_ = bool(key_);
        if (!ok_) return;
        decimal_ = Get(L"sDecimal");
        thousands_ = Get(L"sThousand");
        ok_ = Set(L"sDecimal", decimal) && Set(L"sThousand", thousands);
    }
    ~TUserNumberFormat()
    {
        if (!key_) return;
        Restore(L"sDecimal", decimal_);
        Restore(L"sThousand", thousands_);
    }
    TUserNumberFormat(const TUserNumberFormat&) = delete;
    TUserNumberFormat& operator=(const TUserNumberFormat&) = delete;

    bool Ok() const { return ok_; }

private:
    struct TSaved {
        bool Present = false;
        std::wstring Text;
    };
    TSaved Get(const wchar_t* name) const
    {
        wchar_t text[64] = {};
        DWORD size = sizeof(text);
        if (RegGetValueW(key_.get(), nullptr, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) return {};
        return {true, text};
    }
    bool Set(const wchar_t* name, const std::wstring& text) const
    {
        return RegSetValueExW(key_.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                              static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }
    void Restore(const wchar_t* name, const TSaved& saved) const
    {
        if (saved.Present)
            Set(name, saved.Text);
        else
            RegDeleteValueW(key_.get(), name);
    }

    TRegistryKey key_;
    bool ok_ = false;
    TSaved decimal_, thousands_;
};

// A server started after the setting was made; it ends, and the setting
// goes back, before the next suite starts its own.
class DecimalComma : public ServerWithGroups {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(WaitForNoServer(20000)) << "a server of an earlier suite still runs with the old setting";
        format_ = new TUserNumberFormat(L",", L".");
        ASSERT_TRUE(format_->Ok());
        ServerWithGroups::SetUpTestSuite();
    }
    static void TearDownTestSuite()
    {
        ServerWithGroups::TearDownTestSuite();
        delete format_;
        format_ = nullptr;
    }

    static inline TUserNumberFormat* format_ = nullptr;
};

TEST_F(DecimalComma, WrittenTextsAreReadWithTheSeparatorsTheValuesAreShownWith)
{
    TClientGroup group = Group();
    const std::vector<OPCHANDLE> handles = group.Add({kRate, kPressure, kGasControl, kOmSignal, kPlant});
    ASSERT_EQ(std::count(handles.begin(), handles.end(), 0u), 0);
    const OPCHANDLE rate = handles[0], pressure = handles[1], gas = handles[2], om = handles[3], plant = handles[4];
    ASSERT_EQ(group.Write({rate}, {L"5"}), (std::vector<HRESULT>{S_OK}));

    struct TCase {
        OPCHANDLE Item;
        const wchar_t* Written;
        HRESULT Error;
        const wchar_t* Stored;  // what the item reads afterwards
    };
    const TCase cases[] = {
        {rate, L"12,36", S_OK, L"12,4"},
        {pressure, L"2,5", S_OK, L"2,5000000"},
        {gas, L"-3", S_OK, L"-3,000"},
        {om, L"7", S_OK, L"7,00"},
        {rate, L"1.236,5", S_OK, L"1236,5"},
        {rate, L" -0,25 ", S_OK, L"-0,3"},
        {pressure, L"2,5E-06", S_OK, L"0,0000025"},
        // A point where the settings group by three is no decimal point: the
        // value is refused rather than taken a hundred or a thousand times over.
        {rate, L"12.36", OPC_E_BADTYPE, L"-0,3"},
        {rate, L"1.2365", OPC_E_BADTYPE, L"-0,3"},
        {rate, L"1,2,3", OPC_E_BADTYPE, L"-0,3"},
        {rate, L"abc", OPC_E_BADTYPE, L"-0,3"},
        {plant, L"12,36", S_OK, L"12,36"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "writing " << WideToUtf8(c.Written));
        EXPECT_EQ(group.Write({c.Item}, {c.Written}), (std::vector<HRESULT>{c.Error}));
        EXPECT_EQ(TextOf(group.Read(OPC_DS_DEVICE, {c.Item}).at(0).value.get()), c.Stored);
    }
}

// Numbers that are no text reach the item as the text the platform makes of
// them, which must come out in the same separators.
TEST_F(DecimalComma, WrittenNumbersKeepTheirValue)
{
    TClientGroup group = Group();
    const std::vector<OPCHANDLE> handles = group.Add({kRate, kPressure});
    ASSERT_EQ(std::count(handles.begin(), handles.end(), 0u), 0);
    const auto single = [](float v) {
        UniqueVariant out;
        V_VT(out.put()) = VT_R4;
        V_R4(&out.get()) = v;
        return out;
    };
    const auto currency = [](LONGLONG tenThousandths) {
        UniqueVariant out;
        V_VT(out.put()) = VT_CY;
        V_CY(&out.get()).int64 = tenThousandths;
        return out;
    };
    const auto decimal = [](ULONG digits, BYTE scale) {
        UniqueVariant out;
        DECIMAL d{};
        d.Lo32 = digits;
        d.scale = scale;
        V_DECIMAL(out.put()) = d;
        V_VT(&out.get()) = VT_DECIMAL;  // after the DECIMAL, which overlays the type field
        return out;
    };
    struct TCase {
        const char* Name;
        OPCHANDLE Item;
        UniqueVariant Written;
        const wchar_t* Stored;
    };
    TCase cases[] = {
        {"R8 12.36", handles[0], MakeR8(12.36), L"12,4"},
        {"R8 1236.5", handles[0], MakeR8(1236.5), L"1236,5"},
        {"R8 0.0000025", handles[1], MakeR8(0.0000025), L"0,0000025"},
        {"R8 -0.00000026", handles[1], MakeR8(-2.6e-7), L"-0,0000003"},
        {"R4 0.0000025", handles[1], single(2.5e-6f), L"0,0000025"},
        {"CY 12.3456", handles[0], currency(123456), L"12,3"},
        {"DECIMAL 123.45", handles[0], decimal(12345, 2), L"123,5"},
    };
    ComPtr<IOPCSyncIO> io = group.As<IOPCSyncIO>();
    for (TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        OPCHANDLE handle = c.Item;
        TaskMemArray<HRESULT> errors;
        ASSERT_EQ(io->Write(1, &handle, &c.Written.get(), errors.put(1)), S_OK);
        EXPECT_EQ(TextOf(group.Read(OPC_DS_DEVICE, {c.Item}).at(0).value.get()), c.Stored);
    }
}

}  // namespace
