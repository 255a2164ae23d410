#include "FileDialogFilter.h"

#include <vector>

namespace Sondrel {

namespace {

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) {
            return parts;
        }
        start = end + 1;
    }
}

std::string QtPatterns(std::string_view patterns) {
    std::string mapped;
    for (const auto pattern : Split(patterns, ';')) {
        if (pattern.empty()) {
            continue;
        }
        if (!mapped.empty()) {
            mapped += ' ';
        }
        mapped += pattern == "*.*" ? std::string_view("*") : pattern;
    }
    return mapped;
}

} // namespace

std::string QtFileFilter(std::string_view windowsFilter) {
    const auto parts = Split(windowsFilter, '|');
    std::string filter;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        const std::string patterns = QtPatterns(parts[i + 1]);
        if (parts[i].empty() || patterns.empty()) {
            continue;
        }
        std::string entry(parts[i]);
        const auto trimEnd = [&entry] {
            while (!entry.empty() && entry.back() == ' ') {
                entry.pop_back();
            }
        };
        trimEnd();
        const std::string shown = "(" + std::string(parts[i + 1]) + ")";
        if (entry.ends_with(shown)) {
            entry.erase(entry.size() - shown.size());
            trimEnd();
        }
        if (!entry.empty()) {
            entry += ' ';
        }
        if (!filter.empty()) {
            filter += ";;";
        }
        filter += entry + "(" + patterns + ")";
    }
    return filter;
}

} // namespace Sondrel
