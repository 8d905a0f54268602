// The value model behind the main window's item list: 131 rows of number, label
// and value text, plus the text of the hidden window-command field Edit1.
// Values are 8-bit texts in the system's ANSI code page, stored exactly as
// written. The window owns one instance and shows it; it runs on the main
// thread like every read and write, so there is no lock.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TItemValueTable {
public:
    static constexpr int RowCount = 131;

    // Builds the rows in order 0 to 130, each with its label and an empty value;
    // Edit1 starts with the text "Edit1".
    TItemValueTable();
    TItemValueTable(const TItemValueTable&) = delete;
    TItemValueTable& operator=(const TItemValueTable&) = delete;

    // Row access; std::out_of_range for a row outside 0 to 130.
    std::wstring Number(int row) const;  // the "No." column: the row in decimal
    std::wstring_view Label(int row) const;
    const std::string& Value(int row) const;
    // Replaces the row's text and tells OnRowChanged, so the list repaints it.
    void SetValue(int row, std::string text);
    // A number that grows with every SetValue of the row (for cheap polling).
    uint64_t RowVersion(int row) const;

    const std::string& Edit1Text() const noexcept { return edit1_; }
    // A text that differs from the current one runs OnEdit1Change at once,
    // before this returns. The handler may set the text again; that nested
    // change runs the handler once more, exactly as a change from outside.
    void SetEdit1Text(std::string text);
    // A number that grows with every change of the Edit1 text.
    uint64_t Edit1Version() const noexcept { return edit1Version_; }

    std::function<void(int row)> OnRowChanged;
    std::function<void()> OnEdit1Change;

private:
    void CheckRow(int row) const;

    std::vector<std::string> values_;
    std::vector<uint64_t> versions_;
    std::string edit1_;
    uint64_t edit1Version_ = 0;
};
