// Reading enumerators out in tests.
#pragma once
#include <gtest/gtest.h>
#include <objidl.h>

#include <string>
#include <vector>

// Everything an IEnumString still has, fetched batch strings at a time; the
// strings are freed as they are copied, a null string reads as "<null>".
inline std::vector<std::wstring> Drain(IEnumString* strings, ULONG batch = 1)
{
    std::vector<std::wstring> result;
    for (;;) {
        std::vector<LPOLESTR> slots(batch, nullptr);
        ULONG fetched = 0;
        const HRESULT hr = strings->Next(batch, slots.data(), &fetched);
        EXPECT_TRUE(hr == S_OK || hr == S_FALSE) << std::hex << hr;
        EXPECT_LE(fetched, batch);
        for (ULONG i = 0; i < fetched && i < batch; ++i) {
            result.push_back(slots[i] ? slots[i] : L"<null>");
            CoTaskMemFree(slots[i]);
        }
        if (hr != S_OK || fetched == 0) return result;
    }
}
