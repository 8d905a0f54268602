// What the OPC structures of task-allocated arrays own beyond their own
// bytes, for the TaskMemArray owners of the server and of the client.
#pragma once
#include "com/ComOwners.h"
#include "opcda.h"

template <>
struct TaskElementCleanup<OPCITEMRESULT> {
    static void Clear(OPCITEMRESULT& result) noexcept { TaskFree(result.pBlob); }
};

template <>
struct TaskElementCleanup<OPCITEMSTATE> {
    static void Clear(OPCITEMSTATE& state) noexcept { VariantClear(&state.vDataValue); }
};

template <>
struct TaskElementCleanup<OPCITEMATTRIBUTES> {
    static void Clear(OPCITEMATTRIBUTES& attributes) noexcept
    {
        TaskFree(attributes.szAccessPath);
        TaskFree(attributes.szItemID);
        TaskFree(attributes.pBlob);
        VariantClear(&attributes.vEUInfo);
    }
};
