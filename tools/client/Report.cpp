#include "Report.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cwchar>

TField NumberField(std::wstring name, double value)
{
    wchar_t text[64];
    if (!std::isfinite(value)) return AbsentField(std::move(name));
    std::swprintf(text, 64, L"%.15g", value);
    return {std::move(name), text, true, false};
}

TField NumberField(std::wstring name, long long value)
{
    return {std::move(name), std::to_wstring(value), true, false};
}

TField AbsentField(std::wstring name) { return {std::move(name), L"", false, true}; }

TField FlagField(std::wstring name, bool value) { return {std::move(name), value ? L"true" : L"false", true, false}; }

std::string JsonString(const std::wstring& text)
{
    std::wstring escaped = L"\"";
    for (wchar_t c : text) {
        switch (c) {
        case L'"':
            escaped += L"\\\"";
            break;
        case L'\\':
            escaped += L"\\\\";
            break;
        case L'\n':
            escaped += L"\\n";
            break;
        case L'\r':
            escaped += L"\\r";
            break;
        case L'\t':
            escaped += L"\\t";
            break;
        default:
            if (c < 0x20) {
                wchar_t hex[8];
                std::swprintf(hex, 8, L"\\u%04x", static_cast<unsigned>(c));
                escaped += hex;
            } else {
                escaped += c;
            }
        }
    }
    escaped += L'"';
    return WideToUtf8(escaped);
}

std::string JsonLine(const TRecord& record)
{
    std::string line = "{";
    for (size_t i = 0; i < record.size(); ++i) {
        const TField& f = record[i];
        if (i) line += ",";
        line += JsonString(f.Name) + ":";
        line += f.Null ? std::string("null") : f.Raw ? WideToUtf8(f.Text) : JsonString(f.Text);
    }
    return line + "}";
}

namespace {

const TField* FindField(const TRecord& record, const std::wstring& name)
{
    for (const auto& f : record)
        if (f.Name == name) return &f;
    return nullptr;
}

std::wstring Padded(const std::wstring& text, size_t width)
{
    return text.size() >= width ? text : text + std::wstring(width - text.size(), L' ');
}

// The cells of a line, separated by two blanks, without trailing blanks.
std::string TableLine(const std::vector<std::wstring>& cells, const std::vector<size_t>& widths)
{
    std::wstring line;
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i) line += L"  ";
        line += i + 1 < cells.size() ? Padded(cells[i], widths[i]) : cells[i];
    }
    while (!line.empty() && line.back() == L' ') line.pop_back();
    return WideToUtf8(line) + "\n";
}

}  // namespace

std::string TableText(const std::vector<TRecord>& records)
{
    if (records.empty()) return {};
    std::vector<std::wstring> names;
    for (const auto& f : records[0]) names.push_back(f.Name);
    std::vector<size_t> widths;
    for (const auto& n : names) widths.push_back(n.size());
    std::vector<std::vector<std::wstring>> rows;
    for (const auto& record : records) {
        std::vector<std::wstring> cells;
        for (size_t c = 0; c < names.size(); ++c) {
            const TField* f = FindField(record, names[c]);
            cells.push_back(f && !f->Null ? f->Text : L"");
            widths[c] = std::max(widths[c], cells.back().size());
        }
        rows.push_back(std::move(cells));
    }
    // Columns absent from every record (no errors at all) are left out.
    std::vector<size_t> shown;
    for (size_t c = 0; c < names.size(); ++c) {
        bool any = false;
        for (const auto& record : records) {
            const TField* f = FindField(record, names[c]);
            any = any || (f && !f->Null);
        }
        if (any) shown.push_back(c);
    }
    auto pick = [&](const std::vector<std::wstring>& cells) {
        std::vector<std::wstring> out;
        for (size_t c : shown) out.push_back(cells[c]);
        return out;
    };
    std::vector<size_t> shownWidths;
    for (size_t c : shown) shownWidths.push_back(widths[c]);
    std::string text = TableLine(pick(names), shownWidths);
    for (const auto& row : rows) text += TableLine(pick(row), shownWidths);
    return text;
}

void TReport::Write(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), out_);
    std::fflush(out_);
}

void TReport::Add(TRecord record)
{
    if (json_) {
        Write(JsonLine(record) + "\n");
        return;
    }
    pending_.push_back(std::move(record));
}

void TReport::Flush()
{
    if (pending_.empty()) return;
    Write(TableText(pending_));
    pending_.clear();
}

void TReport::Stream(const TRecord& record, const std::vector<size_t>& widths)
{
    if (json_) {
        Write(JsonLine(record) + "\n");
        return;
    }
    std::vector<size_t> w(record.size(), 0);
    for (size_t i = 0; i < record.size() && i < widths.size(); ++i) w[i] = widths[i];
    if (!streamHeader_) {
        std::vector<std::wstring> names;
        for (const auto& f : record) names.push_back(f.Name);
        Write(TableLine(names, w));
        streamHeader_ = true;
    }
    std::vector<std::wstring> cells;
    for (const auto& f : record) cells.push_back(f.Null ? L"" : f.Text);
    Write(TableLine(cells, w));
}

void TReport::Note(const std::wstring& text)
{
    if (json_) return;
    Flush();
    Write(WideToUtf8(text) + "\n");
}

void TReport::Properties(const TRecord& record)
{
    if (json_) {
        Write(JsonLine(record) + "\n");
        return;
    }
    Flush();
    std::vector<TRecord> rows;
    for (const auto& f : record)
        rows.push_back({TextField(L"Field", f.Name), TextField(L"Value", f.Null ? L"" : f.Text)});
    Write(TableText(rows));
}
