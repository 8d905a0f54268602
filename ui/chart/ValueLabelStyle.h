// How the left axis labels its values, by the axis' maximum: grouped whole
// numbers from 10000 up, the exponent form up to 0.01, three decimals between;
// each with the width of its label area.
#pragma once

struct TValueLabelStyle {
    const wchar_t* Format;
    int Width;  // pixels
};

inline TValueLabelStyle ValueLabelStyleFor(double maximum)
{
    if (maximum >= 10000) return {L"#,##0###", 68};
    if (maximum <= 0.01) return {L"0.0E-", 52};
    return {L"0.000", 58};
}
