// IEnumString over a fixed list of texts (the browse result).
#pragma once
#include "ComObject.h"
#include "server/ServerProcess.h"
#include <objidl.h>
#include <string>
#include <vector>

namespace wire {

class StringEnum final : public ComObject<IEnumString> {
public:
    explicit StringEnum(std::vector<std::wstring> texts) : texts_(std::move(texts)) {}

    HRESULT STDMETHODCALLTYPE Next(ULONG celt, LPOLESTR* rgelt, ULONG* pceltFetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG celt) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumString** ppenum) override;

private:
    std::vector<std::wstring> texts_;
    size_t position_ = 0;
    ServerLock lock_;
};

}  // namespace wire
