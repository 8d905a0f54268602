// read and write: one group of the command's items, one synchronous call.
#include "Commands.h"
#include "HResultText.h"
#include "OpcConnection.h"
#include "ValueText.h"
#include "com/ComOwners.h"
#include "com/OpcElementCleanup.h"

namespace {

void AddFailure(TReport& report, const TOpcConnection& connection, TRecord record, HRESULT error)
{
    record.push_back(TextField(L"error", connection.Describe(error)));
    record.push_back(TextField(L"code", HexCode(error)));
    report.Add(std::move(record));
}

}  // namespace

int RunRead(const TCommandLine& line, TReport& report)
{
    TOpcConnection connection(line.ProgId);
    TOpcGroup group(connection, L"", true, 1000);
    const std::vector<TAddedItem> added = group.AddItems(line.Operands);

    std::vector<OPCHANDLE> handles;
    for (const auto& item : added)
        if (SUCCEEDED(item.Error)) handles.push_back(item.Server);
    TaskMemArray<OPCITEMSTATE> states;
    TaskMemArray<HRESULT> errors;
    HRESULT hr = S_OK;
    if (!handles.empty()) {
        auto io = group.As<IOPCSyncIO>(L"IOPCSyncIO");
        hr = io->Read(line.Device ? OPC_DS_DEVICE : OPC_DS_CACHE, static_cast<DWORD>(handles.size()), handles.data(),
                      states.put(handles.size()), errors.put(handles.size()));
        connection.Require(hr, L"SyncIO Read");
    }

    int exit = kExitOk;
    size_t next = 0;
    for (const auto& item : added) {
        TRecord record{TextField(L"item", item.ItemId)};
        HRESULT error = item.Error;
        const OPCITEMSTATE* state = nullptr;
        if (SUCCEEDED(error)) {
            error = errors.get() ? errors[next] : hr;
            state = states.get() ? &states[next] : nullptr;
            ++next;
        }
        if (FAILED(error) || !state) {
            exit = kExitItemFailed;
            record.insert(record.end(), {AbsentField(L"value"), AbsentField(L"quality"), AbsentField(L"timestamp")});
            AddFailure(report, connection, std::move(record), FAILED(error) ? error : E_FAIL);
            continue;
        }
        record.push_back(TextField(L"value", VariantText(state->vDataValue)));
        record.push_back(TextField(L"quality", QualityText(state->wQuality)));
        record.push_back(TextField(L"timestamp", TimeStampText(state->ftTimeStamp)));
        record.push_back(AbsentField(L"error"));
        record.push_back(AbsentField(L"code"));
        report.Add(std::move(record));
    }
    return exit;
}

int RunWrite(const TCommandLine& line, TReport& report)
{
    std::vector<TItemAssignment> assignments;
    std::vector<std::wstring> ids;
    for (const auto& operand : line.Operands) {
        assignments.push_back(SplitAssignment(operand));
        ids.push_back(assignments.back().ItemId);
    }
    TOpcConnection connection(line.ProgId);
    TOpcGroup group(connection, L"", false, 1000);
    const std::vector<TAddedItem> added = group.AddItems(ids);

    std::vector<OPCHANDLE> handles;
    std::vector<UniqueVariant> owned;
    for (size_t i = 0; i < added.size(); ++i) {
        if (FAILED(added[i].Error)) continue;
        handles.push_back(added[i].Server);
        UniqueVariant value;
        V_VT(value.put()) = VT_BSTR;
        V_BSTR(&value.get()) = UniqueBstr(assignments[i].Value).release();
        owned.push_back(std::move(value));
    }
    std::vector<VARIANT> values;
    for (auto& v : owned) values.push_back(v.get());  // shallow: owned keeps the strings
    TaskMemArray<HRESULT> errors;
    HRESULT hr = S_OK;
    if (!handles.empty()) {
        auto io = group.As<IOPCSyncIO>(L"IOPCSyncIO");
        hr = io->Write(static_cast<DWORD>(handles.size()), handles.data(), values.data(), errors.put(handles.size()));
        connection.Require(hr, L"SyncIO Write");
    }

    int exit = kExitOk;
    size_t next = 0;
    for (size_t i = 0; i < added.size(); ++i) {
        TRecord record{TextField(L"item", added[i].ItemId), TextField(L"value", assignments[i].Value)};
        HRESULT error = added[i].Error;
        if (SUCCEEDED(error)) error = errors.get() ? errors[next++] : hr;
        if (FAILED(error)) {
            exit = kExitItemFailed;
            record.push_back(TextField(L"result", L"failed"));
            AddFailure(report, connection, std::move(record), error);
            continue;
        }
        record.insert(record.end(), {TextField(L"result", L"written"), AbsentField(L"error"), AbsentField(L"code")});
        report.Add(std::move(record));
    }
    return exit;
}
