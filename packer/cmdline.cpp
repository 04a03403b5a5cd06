#include "cmdline.h"

#include <algorithm>

namespace tavrin {

size_t SkipSpaces(size_t start, std::u16string_view text) {
    for (size_t pos = std::max<size_t>(start, 1); pos <= text.size(); ++pos)
        if (text[pos - 1] != u' ') return pos;
    return 0;
}

size_t FindUnquoted(size_t start, std::u16string_view text, char16_t delimiter) {
    bool inQuotes = false;
    for (size_t pos = std::max<size_t>(start, 1); pos <= text.size(); ++pos) {
        char16_t c = text[pos - 1];
        if (c == delimiter && !inQuotes) return pos;
        if (c == u'"') inQuotes = !inQuotes;
    }
    return 0;
}

std::vector<std::u16string> SplitCommandLine(std::u16string_view text, std::u16string_view fallback) {
    std::vector<std::u16string> tokens;
    if (!text.empty()) {
        std::u16string line(text);
        std::replace(line.begin(), line.end(), u'\t', u' ');
        for (size_t pos = SkipSpaces(1, line); pos > 0;) {
            size_t stop = FindUnquoted(pos, line, u' ');
            if (stop == 0) stop = line.size() + 1;
            std::u16string token;
            for (size_t i = pos; i < stop; ++i)
                if (line[i - 1] != u'"') token.push_back(line[i - 1]);
            tokens.push_back(std::move(token));
            pos = SkipSpaces(stop, line);
        }
    }
    if (tokens.empty()) tokens.emplace_back(fallback);
    return tokens;
}

std::u16string_view TrimSpaces(std::u16string_view text) {
    size_t first = text.find_first_not_of(u' ');
    if (first == std::u16string_view::npos) return {};
    size_t last = text.find_last_not_of(u' ');
    return text.substr(first, last - first + 1);
}

}  // namespace tavrin
