// What a command prints: records of named fields, as an aligned table or as
// one JSON object per line.
#pragma once
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "com/TextUtil.h"  // WideToUtf8, for what the tools print

// One field: a text, or a JSON literal (a number, true, false) written
// unquoted, or absent (null in JSON, empty in a table).
struct TField {
    std::wstring Name;
    std::wstring Text;
    bool Raw = false;
    bool Null = false;
};

using TRecord = std::vector<TField>;

inline TField TextField(std::wstring name, std::wstring text)
{
    return {std::move(name), std::move(text), false, false};
}
TField NumberField(std::wstring name, double value);
TField NumberField(std::wstring name, long long value);
TField AbsentField(std::wstring name);
TField FlagField(std::wstring name, bool value);

// A JSON string literal of text, quotes included.
std::string JsonString(const std::wstring& text);
// One record as a JSON object on one line (no line end).
std::string JsonLine(const TRecord& record);
// The records as a table: a header of field names, then one line per record,
// each column as wide as its widest cell. Fields are matched by name; the
// columns are those of the first record, less those absent from every record.
std::string TableText(const std::vector<TRecord>& records);

class TReport {
public:
    explicit TReport(bool json, std::FILE* out = stdout) : json_(json), out_(out) {}
    ~TReport() { Flush(); }
    TReport(const TReport&) = delete;
    TReport& operator=(const TReport&) = delete;

    bool Json() const noexcept { return json_; }
    // Collected; printed by Flush as one table (or line by line in JSON).
    void Add(TRecord record);
    void Flush();
    // Printed at once, for records that arrive over time: in table mode each
    // cell padded to the width the caller gives (0: as it comes).
    void Stream(const TRecord& record, const std::vector<size_t>& widths);
    // One record shown as two columns, field and value, in table mode.
    void Properties(const TRecord& record);
    // A free line of text (table mode only; JSON output stays parseable).
    void Note(const std::wstring& text);

private:
    void Write(const std::string& text);

    bool json_;
    std::FILE* out_;
    std::vector<TRecord> pending_;
    bool streamHeader_ = false;
};
