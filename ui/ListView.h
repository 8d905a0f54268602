// TListView: a report view that holds no texts of its own; it asks CellText
// for each visible cell, so the model stays the only store of the values.
#pragma once
#include <functional>

#include "Control.h"

class TListView : public TControl {
public:
    void AddColumn(const std::wstring& caption, int width, int format /* LVCFMT_LEFT ... */);
    int ColumnCount() const;
    std::wstring ColumnCaption(int index) const;
    int ColumnWidth(int index) const;
    void SetRowCount(int rows);  // clears the selection
    int RowCount() const;
    void RedrawRow(int row);
    int SelectedRow() const;  // -1 for none
    void SelectRow(int row);
    std::wstring CellDisplayText(int row, int column) const;  // what the control would draw

    std::function<std::wstring(int row, int column)> CellText;

    bool OnNotify(NMHDR* hdr, LRESULT& result) override;

protected:
    void OnCreated() override;
};
