// props: the properties of one item, with their values.
#include "Commands.h"
#include "HResultText.h"
#include "OpcConnection.h"
#include "ValueText.h"
#include "com/ComOwners.h"

namespace {

// The value of a property in words where its ID gives it a meaning.
std::wstring PropertyValueText(DWORD id, const VARIANT& value)
{
    switch (id) {
    case OPC_PROPERTY_DATATYPE:
        if (V_VT(&value) == VT_I2) return VarTypeName(static_cast<VARTYPE>(V_I2(&value)));
        break;
    case OPC_PROPERTY_QUALITY:
        if (V_VT(&value) == VT_I2) return QualityText(static_cast<WORD>(V_I2(&value)));
        break;
    case OPC_PROPERTY_ACCESS_RIGHTS:
        if (V_VT(&value) == VT_I4) return AccessRightsText(static_cast<DWORD>(V_I4(&value)));
        break;
    default:
        break;
    }
    return VariantText(value);
}

}  // namespace

int RunProps(const TCommandLine& line, TReport& report)
{
    TOpcConnection connection(line.ProgId);
    auto properties = connection.As<IOPCItemProperties>(L"IOPCItemProperties");
    const std::wstring& item = line.Operands[0];

    DWORD count = 0;
    TaskMemArray<DWORD> ids;
    TaskMemArray<LPWSTR> descriptions;
    TaskMemArray<VARTYPE> types;
    HRESULT hr = properties->QueryAvailableProperties(const_cast<LPWSTR>(item.c_str()), &count, ids.put(),
                                                      descriptions.put(), types.put());
    ids.set_size(count);
    descriptions.set_size(count);
    types.set_size(count);
    if (FAILED(hr)) {
        report.Add(
            {TextField(L"item", item), TextField(L"error", connection.Describe(hr)), TextField(L"code", HexCode(hr))});
        return kExitItemFailed;
    }
    if (count == 0) {
        report.Note(L"the item has no properties");
        return kExitOk;
    }
    TaskMemArray<VARIANT> values;
    TaskMemArray<HRESULT> errors;
    hr = properties->GetItemProperties(const_cast<LPWSTR>(item.c_str()), count, ids.get(), values.put(count),
                                       errors.put(count));
    connection.Require(hr, L"GetItemProperties");
    int exit = kExitOk;
    for (DWORD i = 0; i < count; ++i) {
        const HRESULT error = errors.get() ? errors[i] : hr;
        TRecord record{NumberField(L"id", static_cast<long long>(ids[i])),
                       TextField(L"description", descriptions[i] ? descriptions[i] : L""),
                       TextField(L"type", VarTypeName(types[i]))};
        if (SUCCEEDED(error) && values.get()) {
            record.push_back(TextField(L"value", PropertyValueText(ids[i], values[i])));
            record.push_back(AbsentField(L"error"));
        } else {
            record.push_back(AbsentField(L"value"));
            record.push_back(TextField(L"error", connection.Describe(error)));
            exit = kExitItemFailed;
        }
        report.Add(std::move(record));
    }
    return exit;
}
