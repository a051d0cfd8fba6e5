#pragma once
// Name tables: an array of {name, value} pairs beside each enumeration, in the order help lists
// them; the one place where a value's word is written.
#include <iterator>
#include <string>

namespace cli {

// The name of a value; "?" for one the table lacks.
template <typename Names, typename T>
const char* NameOf(const Names& names, T value) {
    for (const auto& [name, each] : names) {
        if (each == value) return name;
    }
    return "?";
}

// "frame, window or client"
template <typename Names>
std::string NameList(const Names& names) {
    std::string text;
    const size_t count = std::size(names);
    for (size_t i = 0; i < count; ++i) text += (i == 0 ? "" : i + 1 == count ? " or " : ", ") + std::string(names[i].first);
    return text;
}

}  // namespace cli
