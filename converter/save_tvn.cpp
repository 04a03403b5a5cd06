#include "save_tvn.h"

#include <algorithm>

namespace tavrin {
namespace {

void AppendUtf16Le(std::vector<uint8_t>& out, std::u16string_view text) {
    for (char16_t c : text) {
        out.push_back(static_cast<uint8_t>(c & 0xFF));
        out.push_back(static_cast<uint8_t>(c >> 8));
    }
}

std::u16string Decimal(int32_t value) {
    std::string ascii = std::to_string(value);
    return std::u16string(ascii.begin(), ascii.end());
}

}  // namespace

std::u16string BaseName(std::u16string_view path) {
    size_t slash = path.rfind(u'/');
    return std::u16string(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
}

void StoredNames::Start() {
    for (std::u16string& slot : slots_) slot.clear();
    count_ = 1;
}

bool StoredNames::Contains(std::u16string_view base) const {
    // Entry numbers past the table belong to descriptor texts, whose slots are empty like slot 0.
    const int32_t used = std::min(count_, kSlots);
    for (int32_t k = 0; k < used; ++k)
        if (slots_[static_cast<size_t>(k)] == base) return true;
    return false;
}

bool StoredNames::Store(std::u16string_view base) {
    if (count_ < 0 || count_ >= kSlots) return false;
    slots_[static_cast<size_t>(count_)] = base;
    ++count_;
    return true;
}

std::u16string TextEntryName(std::u16string_view folder, int32_t index) {
    return std::u16string(folder) + u"/" + Decimal(index) + u".txt";
}

std::vector<uint8_t> DescriptorText(const MusicEntry& entry) {
    std::u16string line = u"<Music Index=\"" + Decimal(entry.Index) + u"\"";
    line += u" Name=\"" + entry.Name + u"\"";
    line += u" Image=\"" + entry.Image + u"\"";
    line += u" File=\"" + entry.File + u"\"";
    line += u" Level=\"" + Decimal(entry.Level) + u"\"";
    line += u" Genre=\"" + entry.Genre + u"\"";
    line += u" Artist=\"" + entry.Artist + u"\"";
    line += u"/>\r\n";
    std::vector<uint8_t> bytes;
    bytes.reserve(2 + 2 * line.size());
    AppendUtf16Le(bytes, u"\uFEFF");
    AppendUtf16Le(bytes, line);
    return bytes;
}

size_t PackBufferSize(size_t n) {
    // 9n/8 rounded half to even, in integers.
    size_t q = n / 8 * 9 + (n % 8) * 9 / 8;
    size_t r = (n % 8) * 9 % 8;
    if (r > 4 || (r == 4 && q % 2 == 1)) ++q;
    return q + 1;
}

}  // namespace tavrin
