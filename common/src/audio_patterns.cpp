#include "tavrin/audio_patterns.h"

namespace tavrin {

// Iterative wildcard match with one backtrack point: linear in practice, never recursive.
bool MatchesPattern(std::u16string_view name, std::u16string_view pattern) {
    size_t n = 0, p = 0;
    size_t starP = std::u16string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == name[n])) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (starP != std::u16string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') ++p;
    return p == pattern.size();
}

bool IsAudioName(std::u16string_view lowerCaseName) {
    for (std::u16string_view pattern : AudioPatterns)
        if (MatchesPattern(lowerCaseName, pattern)) return true;
    return false;
}

}  // namespace tavrin
