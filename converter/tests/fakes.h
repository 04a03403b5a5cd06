// Test doubles for the conversion: game data in memory, its texts stored as UTF-16LE so that no
// code page is involved, and a window that records what it is shown.
#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "conversion_ui.h"
#include "music_list.h"

namespace tavrin::testing {

class FakeGameData : public GameData {
public:
    bool GetGameFile(const std::u16string& path, std::vector<uint8_t>& data, bool allowNumbered) override {
        fetches.emplace_back(path, allowNumbered);
        const auto it = files.find(path);
        if (it == files.end() || (numbered.count(path) != 0 && !allowNumbered)) return false;
        data.clear();
        for (char16_t c : it->second) data.insert(data.end(), {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8)});
        return true;
    }
    std::u16string FromAnsi(const std::vector<uint8_t>& bytes) override {
        std::u16string text;
        for (size_t i = 0; i + 1 < bytes.size(); i += 2)
            text.push_back(static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8));
        return text;
    }
    std::optional<std::string> ToAnsi(std::u16string_view text) override {
        return std::string(text.begin(), text.end());
    }

    std::map<std::u16string, std::u16string> files;
    std::set<std::u16string> numbered;  // files found only when numbered archives are allowed
    std::vector<std::pair<std::u16string, bool>> fetches;
};

class FakeConversionUi : public ConversionUi {
public:
    void UpdateStatus(const std::wstring& text) override { statuses.push_back(text); }
    void UpdateStatus2(const std::wstring& text) override { progress.push_back(text); }
    void ClearLog() override { log.clear(); }
    void AppendLog(const std::wstring& text) override { log += text; }
    int32_t ShowMessage(const std::wstring& text, uint32_t style) override {
        messages.emplace_back(text, style);
        return 6;  // IDYES
    }

    std::vector<std::wstring> statuses, progress;
    std::wstring log;
    std::vector<std::pair<std::wstring, uint32_t>> messages;  // text, style
};

}  // namespace tavrin::testing
