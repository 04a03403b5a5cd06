#include "version_fixtures.h"

#include <map>
#include <stdexcept>

namespace tavrin::version::testing {
namespace {

const std::map<std::string, std::vector<uint8_t>, std::less<>>& All() {
    static const std::map<std::string, std::vector<uint8_t>, std::less<>> fixtures = {
#include "version_fixtures.inc"
    };
    return fixtures;
}

}  // namespace

const std::vector<uint8_t>& Fixture(std::string_view name) {
    auto it = All().find(name);
    if (it == All().end()) throw std::runtime_error("missing version fixture " + std::string(name));
    return it->second;
}

std::vector<std::string> FixtureNames() {
    std::vector<std::string> names;
    for (const auto& [name, bytes] : All()) names.push_back(name);
    return names;
}

std::string Utf8(std::u16string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

}  // namespace tavrin::version::testing
