// Version-resource parser on arbitrary bytes: lookups stay inside the input, and the record is
// consistent with the fixed info it came from.
#include <cstddef>
#include <cstdint>
#include <span>

#include "version_resource.h"

using namespace tavrin;
using namespace tavrin::version;

namespace {

uint32_t Halves(int32_t upper, int32_t lower) {
    return static_cast<uint32_t>(upper) << 16 | static_cast<uint32_t>(lower);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> info(data, size);
    for (std::u16string_view path : {u"\\", u"\\VarFileInfo\\Translation", u"\\StringFileInfo",
                                     u"\\StringFileInfo\\080404B0\\FileVersion", u"\\\\x\\\\"}) {
        if (auto v = QueryValue(info, path)) {
            // The value lies within the input and starts on a 4-byte boundary.
            if (v->offset % 4 != 0 || v->offset > size) __builtin_trap();
            if (!v->data.empty() && (v->data.data() < data || v->data.data() + v->data.size() > data + size))
                __builtin_trap();
        }
    }
    const VersionInfoRecord r = ParseVersionInfo(info);
    const FileVersionRecord& fixed = r;
    if (fixed.FileVersionText.empty()) {
        if (!(fixed == FileVersionRecord{})) __builtin_trap();
    } else {
        const FileVersionRecord again =
            FixedPartFromHalves(Halves(r.FileMajor, r.FileMinor), Halves(r.FileBuild, r.FileRevision),
                                Halves(r.ProductMajor, r.ProductMinor), Halves(r.ProductBuild, r.ProductRevision));
        if (!(again == fixed)) __builtin_trap();
    }
    for (const std::u16string* text : {&r.Comments, &r.FileDescription, &r.FileVersion, &r.SpecialBuild})
        if (text->find(u'\0') != std::u16string::npos) __builtin_trap();
    // Each text is shorter than the input that held it.
    if (r.FileDescription.size() * 2 > size) __builtin_trap();
    return 0;
}
