#include "tavrin/genpak_records.h"

namespace tavrin {
namespace {
void AppendLe32(std::vector<uint8_t>& out, int32_t value) {
    auto v = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(v >> shift));
}
}  // namespace

void AppendPakEntry(std::vector<uint8_t>& out, std::string_view name, uint8_t method, int32_t dataOffset,
                    int32_t packedSize, int32_t fileSize) {
    out.push_back(static_cast<uint8_t>(name.size()));
    out.push_back(method);
    AppendLe32(out, dataOffset);
    AppendLe32(out, packedSize);
    AppendLe32(out, fileSize);
    out.insert(out.end(), name.begin(), name.end());
    out.push_back(0);
}

void AppendPakTrailer(std::vector<uint8_t>& out, int32_t dirOffset, int32_t entryCount) {
    AppendLe32(out, dirOffset);
    AppendLe32(out, entryCount);
    out.push_back(tvapi::genpak::kEndTagByte);
}

}  // namespace tavrin
