// GameData over memory: game paths mapped to bytes, texts as UTF-8 standing in for the system
// code page, and a code page that cannot represent the characters of refused.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "music_list.h"

namespace tavrin::testing {

class FakeGameData : public GameData {
public:
    struct Fetch {
        std::u16string path;
        bool allowNumbered;
    };

    void Put(const std::u16string& path, const std::string& text) {
        files[path] = std::vector<uint8_t>(text.begin(), text.end());
    }

    bool GetGameFile(const std::u16string& path, std::vector<uint8_t>& data, bool allowNumbered) override {
        fetches.push_back({path, allowNumbered});
        if (auto it = files.find(path); it != files.end()) {
            data = it->second;
            return true;
        }
        if (auto it = numberedOnly.find(path); allowNumbered && it != numberedOnly.end()) {
            data = it->second;
            return true;
        }
        return false;
    }

    std::u16string FromAnsi(const std::vector<uint8_t>& bytes) override {
        std::u16string text;
        for (size_t i = 0; i < bytes.size();) {
            uint32_t c = bytes[i];
            size_t extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
            c &= extra == 3 ? 0x07 : extra == 2 ? 0x0F : extra == 1 ? 0x1F : 0x7F;
            for (size_t k = 1; k <= extra && i + k < bytes.size(); ++k) c = c << 6 | (bytes[i + k] & 0x3F);
            i += 1 + extra;
            if (c >= 0x10000) {
                text.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
                text.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
            } else {
                text.push_back(static_cast<char16_t>(c));
            }
        }
        return text;
    }

    std::optional<std::string> ToAnsi(std::u16string_view text) override {
        std::string out;
        for (char16_t c : text) {
            if (refused.find(c) != std::u16string::npos) return std::nullopt;
            out.push_back(static_cast<char>(c & 0xFF));  // one byte per unit is enough for tests
        }
        return out;
    }

    std::map<std::u16string, std::vector<uint8_t>> files;
    std::map<std::u16string, std::vector<uint8_t>> numberedOnly;  // found only when numbered archives are allowed
    std::u16string refused;
    std::vector<Fetch> fetches;
};

}  // namespace tavrin::testing
