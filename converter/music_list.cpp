#include "music_list.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

#include "tavrin/message_box.h"
#include "xml_parser.h"

namespace tavrin {
namespace {

constexpr int32_t kFirstSongIndex = 100;  // below: the list's special entries (random, loop ...)
constexpr int32_t kLastSongIndex = 65535;

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

struct Number {
    size_t length = 0;  // code units the number takes; 0 when the text does not start with one
    double value = 0;
    bool tooLarge = false;
};

// The decimal number at the start of text: sign, digits, fraction, exponent, as game texts write
// them ("7", "-1", "100.5", "1e3").
Number LeadingNumber(std::u16string_view text) {
    std::string ascii;
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    size_t digits = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i, ++digits) ascii.push_back(static_cast<char>(text[i]));
    if (i < text.size() && text[i] == u'.') {
        size_t fraction = 0;
        std::string part = ".";
        for (size_t k = i + 1; k < text.size() && IsDigit(text[k]); ++k, ++fraction)
            part.push_back(static_cast<char>(text[k]));
        if (digits + fraction > 0) {
            ascii += part;
            i += 1 + fraction;
            digits += fraction;
        }
    }
    if (digits == 0) return {};
    bool negativeExponent = false;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        size_t k = i + 1;
        bool sign = k < text.size() && (text[k] == u'+' || text[k] == u'-');
        if (sign) negativeExponent = text[k++] == u'-';
        size_t start = k;
        while (k < text.size() && IsDigit(text[k])) ++k;
        if (k > start) {
            ascii.push_back('e');
            if (negativeExponent) ascii.push_back('-');
            for (size_t d = start; d < k; ++d) ascii.push_back(static_cast<char>(text[d]));
            i = k;
        }
    }
    Number n;
    n.length = i;
    auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), n.value);
    (void)end;
    if (ec == std::errc::result_out_of_range) {
        // Beyond a double: a tiny magnitude is 0, a huge one fits no integer.
        n.value = 0;
        n.tooLarge = !negativeExponent;
    }
    if (negative) n.value = -n.value;
    return n;
}

// The nearest integer, a half to the even neighbour, if it lies in [low, high].
std::optional<int64_t> RoundInto(double value, int64_t low, int64_t high) {
    double rounded = std::nearbyint(value);  // the default rounding mode: halves to even
    if (!(rounded >= static_cast<double>(low) && rounded <= static_cast<double>(high))) return std::nullopt;
    return static_cast<int64_t>(rounded);
}

// Windows opens a device for these names whatever the folder and the extension ("con.tvn",
// "COM1 .tvn"): the part before the first dot, trailing spaces dropped, in any case.
bool IsReservedDeviceName(std::u16string_view name) {
    std::u16string_view stem = name.substr(0, name.find(u'.'));
    while (!stem.empty() && stem.back() == u' ') stem.remove_suffix(1);
    std::u16string upper;
    for (char16_t c : stem) upper.push_back(c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c);
    for (std::u16string_view device : {u"CON", u"PRN", u"AUX", u"NUL"})
        if (upper == device) return true;
    if (upper.size() == 4 && (upper.starts_with(u"COM") || upper.starts_with(u"LPT")))
        return (upper[3] >= u'1' && upper[3] <= u'9') || upper[3] == u'\u00B9' || upper[3] == u'\u00B2' ||
               upper[3] == u'\u00B3';  // the superscript digits count too
    return false;
}

std::wstring Quoted(std::u16string_view value) { return L"\"" + UiText(value) + L"\""; }

// What identifies an element in a message: its place in the list and its Index text.
std::wstring Which(int32_t ordinal, std::u16string_view indexText) {
    return L"音乐列表 " + UiText(kMusicListPath) + L" 中的第 " + std::to_wstring(ordinal) + L" 个 Music 元素 (Index=" +
           Quoted(indexText) + L")";
}

LoadOutcome Stop(ConversionUi& ui, const std::wstring& message) {
    ui.ShowMessage(message + L"\r\n转换中止。", kMsgCritical);
    return LoadOutcome::kStopped;
}

}  // namespace

std::optional<int32_t> ReadIndex(std::u16string_view value) {
    Number n = LeadingNumber(value);
    if (n.tooLarge) return std::nullopt;
    auto index = RoundInto(n.value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
    if (!index) return std::nullopt;
    return static_cast<int32_t>(*index);
}

std::optional<uint8_t> ReadLevel(std::u16string_view value) {
    Number n = LeadingNumber(value);
    if (n.length == 0 || n.length != value.size() || n.tooLarge) return std::nullopt;
    auto level = RoundInto(n.value, 0, 255);
    if (!level) return std::nullopt;
    return static_cast<uint8_t>(*level);
}

std::optional<std::u16string> SongFolder(std::u16string_view bgmName) {
    size_t slash = bgmName.find(u'/');
    if (slash == std::u16string_view::npos) return std::nullopt;
    std::u16string_view folder = bgmName.substr(0, slash);
    // No folder is the table's mark of a failed song, and the writer groups songs by folder: an
    // empty one would take failed songs into its descriptor.
    if (folder.empty()) return std::nullopt;
    // The descriptor is zal_music\<folder>.tvn: the extension keeps "." or "abc." an ordinary name
    // there. Only a separator or a drive or stream colon could lead out of zal_music, and a device
    // name to a device. Whatever else the file system refuses fails the descriptor's creation, as
    // any file the conversion cannot create does.
    if (folder.find_first_of(u"\\:") != std::u16string_view::npos || IsReservedDeviceName(folder)) return std::nullopt;
    return std::u16string(folder);
}

std::wstring UiText(std::u16string_view text) {
    std::wstring wide;
    wide.reserve(text.size());
    if constexpr (sizeof(wchar_t) == sizeof(char16_t)) {
        for (char16_t c : text) wide.push_back(static_cast<wchar_t>(c));
    } else {
        for (size_t i = 0; i < text.size(); ++i) {
            char32_t c = text[i];
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
                c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00u);
            else if (c >= 0xD800 && c <= 0xDFFF)
                c = 0xFFFD;
            wide.push_back(static_cast<wchar_t>(c));
        }
    }
    return wide;
}

LoadOutcome LoadMusicList(GameData& game, ConversionUi& ui, MusicList& list) {
    list.clear();
    const std::u16string listPath(kMusicListPath);
    std::u16string text;
    {
        std::vector<uint8_t> bytes;
        if (!game.GetGameFile(listPath, bytes, false)) {
            ui.ShowMessage(L"没有找到文件 " + UiText(listPath) + L"!", kMsgCritical);
            return LoadOutcome::kListMissing;
        }
        text = game.FromAnsi(bytes);
    }
    ui.UpdateStatus(L"正在读取 " + UiText(listPath) + L" ...");

    int32_t position = 0;
    int32_t ordinal = 0;  // Music elements seen, skipped ones included
    for (;;) {
        std::u16string element = xml::GetElement(text, u"Music", position, 1);
        if (element == xml::kErrorText) break;
        ++ordinal;
        auto attribute = [&](std::u16string_view name) { return xml::GetAttribute(element, u"Music", 1, name); };

        std::u16string indexText = attribute(u"Index");
        std::optional<int32_t> index = ReadIndex(indexText);
        if (!index) return Stop(ui, Which(ordinal, indexText) + L": Index 超出32位整数的范围。");
        if (*index < kFirstSongIndex || *index > kLastSongIndex) continue;
        if (MusicCount(list) == kMusicListCapacity)
            return Stop(ui, Which(ordinal, indexText) + L": 音乐列表中的歌曲超过 " +
                                std::to_wstring(kMusicListCapacity) + L" 首。");
        ui.UpdateStatus2(std::to_wstring(*index));

        MusicEntry entry;
        entry.Index = *index;
        entry.Name = attribute(u"Name");
        entry.Image = attribute(u"Image");
        entry.File = attribute(u"File");
        std::u16string levelText = attribute(u"Level");
        std::optional<uint8_t> level = ReadLevel(levelText);
        if (!level) {
            return Stop(ui, Which(ordinal, indexText) +
                                (levelText == xml::kErrorText
                                     ? std::wstring(L": 缺少 Level 属性。")
                                     : L": Level " + Quoted(levelText) + L" 不是 0 到 255 之间的数字。"));
        }
        entry.Level = *level;
        entry.Genre = attribute(u"Genre");
        entry.Artist = attribute(u"Artist");

        std::vector<uint8_t> song;
        if (!game.GetGameFile(entry.File, song, false)) {
            entry.ReadFailed = 1;
        } else {
            std::optional<std::u16string> folder =
                SongFolder(xml::GetAttribute(game.FromAnsi(song), u"BGM", 1, u"Name"));
            if (folder)
                entry.Folder = std::move(*folder);
            else
                entry.ReadFailed = 1;
        }
        list.push_back(std::move(entry));
    }
    ui.UpdateStatus(L"读取完毕!");
    return LoadOutcome::kLoaded;
}

}  // namespace tavrin
