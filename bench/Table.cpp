#include "Table.h"

#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cwchar>

namespace bench {
namespace {
std::wstring g_theme;
}  // namespace

Summary Summarise(Series values) {
    if (values.empty()) return {0, 0, 0};
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return {n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2, values.front(), values.back()};
}

Series Divide(const Series& a, const Series& b) {
    Series out;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) out.push_back(a[i] / b[i]);
    return out;
}

Series Scale(Series values, double factor) {
    for (double& value : values) value *= factor;
    return values;
}

bool MedianAtMost(const Series& values, double limit) { return !values.empty() && Summarise(values).median <= limit; }

void SetTheme(const wchar_t* theme) { g_theme = theme; }
const wchar_t* Theme() { return g_theme.c_str(); }

void Print(const wchar_t* format, ...) {
    wchar_t text[1024];
    va_list args;
    va_start(args, format);
    std::vswprintf(text, 1024, format, args);
    va_end(args);
    char bytes[4096];
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof(bytes), nullptr, nullptr);
    if (length > 1) std::fwrite(bytes, 1, static_cast<size_t>(length - 1), stdout);
    std::fflush(stdout);
}

std::wstring Cell(const Series& values, const wchar_t* format) {
    if (values.empty()) return L"—";
    const Summary s = Summarise(values);
    const std::wstring layout = std::wstring(format) + L" (" + format + L"–" + format + L")";
    wchar_t text[128];
    std::swprintf(text, 128, layout.c_str(), s.median, s.min, s.max);
    return text;
}

std::wstring Mb(double value) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%.1f", value);
    return text;
}

void Row(const std::wstring& figure, const Series& tool, const Series& floor, const wchar_t* format, const Series& ratio,
         const wchar_t* target, bool met) {
    Print(L"| %ls | %ls | %ls | %ls | %ls | %ls | %ls |\n", figure.c_str(), Theme(), Cell(tool, format).c_str(),
          Cell(floor, format).c_str(), Cell(ratio, L"%.2f").c_str(), target, met ? L"met" : L"**not met**");
}

}  // namespace bench
