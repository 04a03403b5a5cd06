#include "game_folder.h"

#include <windows.h>

#include <tvapi.h>

#include <random>
#include <stdexcept>

#include "genpak_format.h"
#include "tavrin/genpak_writer.h"
#include "support.h"

namespace tavrin::testing {

Bytes Ansi(std::wstring_view text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n, nullptr, nullptr);
    return Bytes(bytes.begin(), bytes.end());
}

std::wstring MusicListText(const std::vector<ListSong>& songs) {
    std::vector<ListSong> all = {{L"0", L"Random", L"zal_image/img_music/random.png", L"", L"0"},
                                 {L"1", L"Loop", L"zal_image/img_music/loop.png", L"", L"7"},
                                 {L"3", L"Random", L"zal_image/img_music/random.png", L"", L"0"},
                                 {L"4", L"Loop", L"zal_image/img_music/loop.png", L"", L"7"}};
    all.insert(all.end(), songs.begin(), songs.end());
    std::wstring text = L"<?xml version=\"1.0\" encoding=\"gb18030\"?>\r\n<MusicList>\r\n";
    for (const ListSong& s : all) {
        text += L"<Music\r\n\tIndex=\"" + s.index + L"\"\r\n\tName=\"" + s.name + L"\"\r\n\tImage=\"" + s.image +
                L"\"\r\n\tFile=\"" + s.file + L"\"\r\n\tLevel=\"" + s.level + L"\"\r\n\tGenre=\"" + s.genre +
                L"\"\r\n\tArtist=\"" + s.artist + L"\"\r\n\tCoin=\"0\"\r\n></Music>\r\n";
    }
    return text + L"</MusicList>\r\n";
}

std::wstring SongFileText(const std::wstring& bgmName) {
    return L"<?xml version=\"1.0\" encoding=\"gb18030\"?>\r\n<Song>\r\n\t<BGM Name=\"" + bgmName +
           L"\" Volume=\"100\"/>\r\n\t<Chart Speed=\"1.0\">\r\n\t\t<Note Time=\"0\" "
           L"Lane=\"1\"/>\r\n\t</Chart>\r\n</Song>\r\n";
}

Bytes ImageBytes(uint32_t seed, size_t size, bool noise) {
    std::mt19937 random(seed);
    Bytes bytes(size);
    uint8_t colour = 0;
    for (size_t k = 0; k < size; ++k) {
        if (k % 64 == 0) colour = static_cast<uint8_t>(random());
        bytes[k] = noise || random() % 16 == 0 ? static_cast<uint8_t>(random()) : colour;
    }
    return bytes;
}

void GameFolder::Loose(const std::wstring& gamePath, const Bytes& bytes) const {
    const std::filesystem::path path = std::filesystem::path(root_) / std::filesystem::path(gamePath).make_preferred();
    std::filesystem::create_directories(path.parent_path());
    WriteBytes(path.wstring(), bytes);
}

void GameFolder::Archive(const std::wstring& archiveName, const GameFiles& files) const {
    const std::wstring prefix = files.at(0).first.substr(0, files[0].first.find(L'/'));
    const std::wstring target = root_ + L"\\" + archiveName;
    const auto name = [](const std::wstring& path) {
        const Bytes bytes = Ansi(path);
        return std::string(bytes.begin(), bytes.end());
    };
    GenpakWriter writer(target, target + L".tmp", CommitPolicy::kWriteInPlace, {0x01, 0x02});
    writer.AddFolder(name(prefix));
    for (const auto& [gamePath, bytes] : files) {
        if (gamePath.substr(0, gamePath.find(L'/')) != prefix) throw std::invalid_argument("one prefix per archive");
        const auto n = static_cast<uint32_t>(bytes.size());
        Bytes packed(LzssCompressBound(n));
        uint32_t length = n;
        LzssCompress2(bytes.data(), n, packed.data(), &length, TVAPI_LEVEL_DEFAULT);
        if (length < n)
            writer.AddFile(name(gamePath), tvapi::genpak::kLzss, packed.data(), length, n);
        else
            writer.AddFile(name(gamePath), tvapi::genpak::kStored, bytes.data(), n, n);
    }
    writer.Finish();
}

}  // namespace tavrin::testing
