#include "ItemValueTable.h"

#include <stdexcept>

#include "ZevCatalogue.h"

static_assert(TItemValueTable::RowCount == ZevRowCount);

TItemValueTable::TItemValueTable() : values_(RowCount), versions_(RowCount, 0), edit1_("Edit1") {}

void TItemValueTable::CheckRow(int row) const
{
    if (row < 0 || row >= RowCount) throw std::out_of_range("item list row out of range");
}

std::wstring TItemValueTable::Number(int row) const
{
    CheckRow(row);
    return std::to_wstring(row);
}

std::wstring_view TItemValueTable::Label(int row) const { return ZevRowLabel(row); }

const std::string& TItemValueTable::Value(int row) const
{
    CheckRow(row);
    return values_[static_cast<size_t>(row)];
}

uint64_t TItemValueTable::RowVersion(int row) const
{
    CheckRow(row);
    return versions_[static_cast<size_t>(row)];
}

void TItemValueTable::SetValue(int row, std::string text)
{
    CheckRow(row);
    values_[static_cast<size_t>(row)] = std::move(text);
    ++versions_[static_cast<size_t>(row)];
    if (OnRowChanged) {
        const auto notify = OnRowChanged;  // the handler may replace itself
        notify(row);
    }
}

void TItemValueTable::SetEdit1Text(std::string text)
{
    if (text == edit1_) return;
    edit1_ = std::move(text);
    ++edit1Version_;
    if (OnEdit1Change) {
        const auto notify = OnEdit1Change;
        notify();
    }
}
