// XML reader: walking a music list with the carried position. The rate per element must stay flat
// from 1k to 65k entries; a drop with size means a hidden pass over the whole text per element.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "xml_parser.h"

namespace {

using tavrin::xml::GetAttribute;
using tavrin::xml::GetElement;
using tavrin::xml::kErrorText;

std::u16string Number(int64_t value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

// A list shaped like the game's: declaration, special entries as multi-line start tags with empty
// end tags, then ordinary entries, half of them self-closing.
std::u16string MusicList(int64_t entries) {
    std::u16string text = u"<?xml version=\"1.0\" encoding=\"gb18030\"?>\r\n<MusicList>\r\n";
    int64_t written = 0;
    for (const int index : {0, 1, 3, 4}) {
        if (written++ == entries) break;
        text += u"\t<Music\r\n\t\tIndex=\"" + Number(index) +
                u"\"\r\n\t\tName=\"Random\"\r\n\t\tImage=\"zal_image/img_music/random.png\"\r\n"
                u"\t\tFile=\"\"\r\n\t\tLevel=\"0\"\r\n\t\tCoin=\"0\"\r\n\t></Music>\r\n";
    }
    for (int64_t i = 0; written < entries; ++i, ++written) {
        const std::u16string n = Number(100 + i);
        text += u"\t<Music Index=\"" + n + u"\" Name=\"\u6B4C\u66F2 " + n + u"\" Image=\"zal_image/img_music/" + n +
                u".png\" File=\"zal_music/s" + n + u"/s" + n + u".xml\" Level=\"" + Number(i % 12) +
                u"\" Genre=\"Pop\" Artist=\"Artist " + n + (i % 2 == 0 ? u"\"/>\r\n" : u"\"></Music>\r\n");
    }
    text += u"</MusicList>\r\n";
    return text;
}

void WalkList(benchmark::State& state, bool readAttributes) {
    const int64_t entries = state.range(0);
    const std::u16string text = MusicList(entries);
    int64_t elements = 0;
    for (auto _ : state) {
        int32_t position = 0;
        int64_t count = 0;
        for (;;) {
            const std::u16string element = GetElement(text, u"Music", position, 1);
            if (element == kErrorText) break;
            if (readAttributes) {
                for (const char16_t* name : {u"Index", u"Name", u"Image", u"File", u"Level", u"Genre", u"Artist"}) {
                    benchmark::DoNotOptimize(GetAttribute(element, u"Music", 1, name));
                }
            }
            benchmark::DoNotOptimize(element.data());
            ++count;
        }
        if (count != entries) state.SkipWithError("wrong number of elements");
        elements += count;
    }
    state.SetItemsProcessed(elements);
    state.counters["text_units"] = static_cast<double>(text.size());
}

void BM_GetElementWalk(benchmark::State& state) { WalkList(state, false); }
void BM_GetElementWalkWithAttributes(benchmark::State& state) { WalkList(state, true); }

BENCHMARK(BM_GetElementWalk)->Arg(1024)->Arg(16384)->Arg(65536)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetElementWalkWithAttributes)->Arg(1024)->Arg(16384)->Arg(65536)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
