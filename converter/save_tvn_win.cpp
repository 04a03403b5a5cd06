// SaveTVN: the descriptor files themselves. Data goes straight into the descriptor while the
// directory collects in its temporary file; a descriptor that is not completed is removed with
// its temporary file, so zal_music only ever holds whole descriptors.
#include <windows.h>

#include <tvapi.h>

#include <array>
#include <new>

#include "genpak_format.h"
#include "save_tvn.h"
#include "tavrin/genpak_writer.h"
#include "tavrin/message_box.h"
#include "tavrin/numbered_error.h"

namespace tavrin {
namespace {

// The converter's bytes after the marker, which the game's reader does not look at.
constexpr std::array<uint8_t, 2> kWriterBytes = {0x00, 0x06};

// Stops SaveTVN with "未知错误"; the detail goes to the log.
struct UnexpectedError {
    std::wstring detail;
};

[[noreturn]] void Unexpected(std::wstring detail) { throw UnexpectedError{std::move(detail)}; }

std::wstring Line(const wchar_t* label, std::u16string_view value) { return label + UiText(value) + L"\r\n"; }

// One descriptor, written in place and removed unless completed, so zal_music only ever holds
// whole descriptors.
class DescriptorFile {
public:
    DescriptorFile(const std::wstring& path, const std::wstring& temporary)
        : writer_(path, temporary, CommitPolicy::kWriteInPlace, kWriterBytes) {}

    void AddFolder(const std::string& name) { writer_.AddFolder(name); }

    // Compressed with the same LZSS stream whatever the data, even when it grows.
    void AddFile(const std::string& name, const std::vector<uint8_t>& source) {
        const auto n = static_cast<uint32_t>(source.size());
        buffer_.resize(PackBufferSize(source.size()));
        // Only the length the compressor sets counts: its result means nothing by contract, and a
        // length left unset stays past the buffer.
        auto packed = static_cast<uint32_t>(buffer_.size() + 1);
        LzssCompress2(source.data(), n, buffer_.data(), &packed, TVAPI_LEVEL_DEFAULT);
        if (packed > buffer_.size()) Unexpected(L"无法压缩 " + writer_.Output().wstring() + L" 的成员");
        writer_.AddFile(name, tvapi::genpak::kLzss, buffer_.data(), packed, n);
    }

    void Complete() { writer_.Finish(); }

private:
    GenpakWriter writer_;
    std::vector<uint8_t> buffer_;
};

// Writes the descriptor of one folder group, list[first ... last].
class GroupWriter {
public:
    GroupWriter(GameData& game, ConversionUi& ui, int32_t& errors, const std::u16string& folder)
        : game_(game), ui_(ui), errors_(errors), folder_(folder) {}

    void Write(MusicList& list, int32_t first, int32_t last, const std::string& folderName,
               const std::wstring& outputFolder) {
        const std::wstring base = outputFolder + UiText(folder_);
        DescriptorFile descriptor(base + L".tvn", base + L".tmp");
        names_.Start();
        descriptor.AddFolder(EntryName(folder_, folderName));
        for (int32_t k = first; k <= last; ++k) {
            MusicEntry& entry = list[static_cast<size_t>(k)];
            StoreMember(descriptor, entry.Image, true, L"图片错误: ");
            StoreMember(descriptor, entry.File, false, L"XML文件错误: ");
            names_.AddText();
            std::u16string textName = TextEntryName(folder_, entry.Index);
            std::optional<std::string> textBytes = game_.ToAnsi(textName);
            if (!textBytes) Unexpected(L"无法转换名称 " + UiText(textName));
            descriptor.AddFile(EntryName(textName, *textBytes), DescriptorText(entry));
        }
        descriptor.Complete();
    }

private:
    static const std::string& EntryName(const std::u16string& name, const std::string& bytes) {
        if (bytes.size() > static_cast<size_t>(kMaxEntryName))
            Unexpected(L"名称超过" + std::to_wstring(kMaxEntryName) + L"字节: " + UiText(name));
        return bytes;
    }

    // An image or song file: stored once per descriptor under the folder, and the entry's path
    // rewritten to the stored name.
    void StoreMember(DescriptorFile& descriptor, std::u16string& path, bool allowNumbered, const wchar_t* failure) {
        std::u16string base = BaseName(path);
        std::u16string name = folder_ + u"/" + base;
        if (names_.Contains(base)) {
            path = std::move(name);
            return;
        }
        std::optional<std::string> nameBytes = game_.ToAnsi(name);
        if (!nameBytes) {
            ++errors_;
            ui_.AppendLog(Line(L"名称无法用系统代码页表示: ", path));
            return;
        }
        std::vector<uint8_t> data;
        if (!game_.GetGameFile(path, data, allowNumbered)) {
            ++errors_;
            ui_.AppendLog(Line(failure, path));
            return;
        }
        const std::string& checked = EntryName(name, *nameBytes);
        if (!names_.Store(base))
            Unexpected(L"文件夹 " + UiText(folder_) + L" 的文件超过" + std::to_wstring(StoredNames::kSlots - 1) +
                       L"个");
        descriptor.AddFile(checked, data);
        path = std::move(name);
    }

    GameData& game_;
    ConversionUi& ui_;
    int32_t& errors_;
    const std::u16string& folder_;
    StoredNames names_;
};

}  // namespace

SaveOutcome SaveTVN(GameData& game, ConversionUi& ui, MusicList& list, const std::wstring& programFolder) {
    ui.ClearLog();
    std::wstring outputFolder = programFolder;
    if (outputFolder.empty() || outputFolder.back() != L'\\') outputFolder += L'\\';
    outputFolder += L"zal_music\\";
    ui.UpdateStatus(L"正在保存TVN文件...");

    int32_t errors = 0;
    const int32_t count = MusicCount(list);
    for (int32_t i = 0; i < count; ++i) {
        MusicEntry& entry = list[static_cast<size_t>(i)];
        if (entry.ReadFailed & 1) {
            ++errors;
            ui.AppendLog(Line(L"XML文件错误: ", entry.File));
        } else {
            const std::u16string folder = entry.Folder;
            int32_t last = i;
            while (last + 1 < count && list[static_cast<size_t>(last + 1)].Folder == folder) ++last;
            ui.UpdateStatus2(UiText(folder));
            std::optional<std::string> folderName = game.ToAnsi(folder);
            if (!folderName) {
                // Every song of the folder would go into a descriptor that cannot be named.
                for (int32_t k = i; k <= last; ++k) {
                    ++errors;
                    ui.AppendLog(Line(L"名称无法用系统代码页表示: ", folder));
                }
            } else {
                try {
                    GroupWriter(game, ui, errors, folder).Write(list, i, last, *folderName, outputFolder);
                } catch (const UnexpectedError& e) {
                    ui.AppendLog(L"未知错误: " + e.detail + L"\r\n");
                    ui.ShowMessage(L"未知错误", kMsgOk);
                    return SaveOutcome::kUnexpected;
                } catch (const FileFailure& e) {
                    ui.AppendLog(L"未知错误: " + e.file.wstring() + L": " + e.reason + L"\r\n");
                    ui.ShowMessage(L"未知错误", kMsgOk);
                    return SaveOutcome::kUnexpected;
                } catch (const std::bad_alloc&) {
                    ui.AppendLog(L"未知错误: " + NumberedError::ErrorDescription(kErrOutOfMemory) + L"\r\n");
                    ui.ShowMessage(L"未知错误", kMsgOk);
                    return SaveOutcome::kUnexpected;
                }
            }
            i = last;
        }
        if (errors > kErrorLimit) {
            ui.ShowMessage(L"错误太多,转换中止", kMsgCritical);
            ui.UpdateStatus(L"错误太多,转换中止");
            return SaveOutcome::kTooManyErrors;
        }
    }
    ui.UpdateStatus(L"保存完毕!");
    return SaveOutcome::kSaved;
}

}  // namespace tavrin
