#include "pack_request.h"

#include <algorithm>

namespace tavrin {

PackSwitches ParseSwitches(std::u16string_view token) {
    auto has = [&](char16_t letter) { return token.find(letter) != std::u16string_view::npos; };
    PackSwitches s;
    s.archive = has(u'c') && has(u'p');
    s.descriptor = has(u'c') && has(u'r');
    s.method = has(u'x') ? kMethodLzssXor : kMethodLzss;
    return s;
}

namespace {

bool IsDriveLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }
bool IsDrive(std::u16string_view s) { return s.size() == 2 && IsDriveLetter(s[0]) && s[1] == u':'; }

size_t ComponentCount(std::u16string_view s) {
    size_t count = 0;
    bool inComponent = false;
    for (char16_t c : s) {
        if (c == u'\\') {
            inComponent = false;
        } else if (!inComponent) {
            inComponent = true;
            ++count;
        }
    }
    return count;
}

// A drive ("C:", "\"), a share ("\\server\share") or their device forms ("\\?\C:",
// "\\?\UNC\server\share"): packing one would put its archive inside the folder itself.
bool IsRoot(std::u16string_view path) {
    if (!path.starts_with(u"\\\\")) return path == u"\\" || IsDrive(path);
    std::u16string_view rest = path.substr(2);
    if (rest.starts_with(u"?\\") || rest.starts_with(u".\\")) {
        rest = rest.substr(2);
        if (rest.starts_with(u"UNC\\")) return ComponentCount(rest.substr(4)) <= 2;
        return IsDrive(rest) || rest.empty();
    }
    return ComponentCount(rest) <= 2;
}

}  // namespace

CleanFolder CleanFolderPath(std::u16string_view typed) {
    CleanFolder result;
    std::u16string path(typed);
    std::replace(path.begin(), path.end(), u'/', u'\\');
    // Surrounding spaces come from typing or pasting; no folder a user means ends in one.
    size_t first = path.find_first_not_of(u' ');
    size_t last = path.find_last_not_of(u' ');
    path = first == std::u16string::npos ? std::u16string() : path.substr(first, last - first + 1);
    size_t keep = path.starts_with(u"\\\\") ? 2 : 1;
    while (path.size() > keep && path.back() == u'\\') path.pop_back();

    if (path.empty()) {
        result.problem = FolderPathProblem::kEmpty;
    } else {
        result.path = path;
        if (IsRoot(path)) result.problem = FolderPathProblem::kDriveRoot;
    }
    return result;
}

}  // namespace tavrin
