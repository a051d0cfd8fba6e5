#pragma once
// The table the drivers print: each figure one markdown row, median (min–max) over the rounds for
// the tool, for the floor and for their ratio taken round by round.
#include <string>
#include <vector>

namespace bench {

using Series = std::vector<double>;

struct Summary {
    double median, min, max;
};

Summary Summarise(Series values);
Series Divide(const Series& a, const Series& b);
Series Scale(Series values, double factor);
bool MedianAtMost(const Series& values, double limit);

// The theme column of every row: the run's one setting.
void SetTheme(const wchar_t* theme);
const wchar_t* Theme();

// Out as UTF-8 whatever the console's code page.
void Print(const wchar_t* format, ...);
std::wstring Cell(const Series& values, const wchar_t* format);
std::wstring Mb(double value);
// | figure | theme | tool | floor | ratio | target | verdict |, the verdict on the median.
void Row(const std::wstring& figure, const Series& tool, const Series& floor, const wchar_t* format, const Series& ratio,
         const wchar_t* target, bool met);

}  // namespace bench
