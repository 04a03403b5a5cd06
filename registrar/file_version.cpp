#include "file_version.h"

#include "tavrin/message_box.h"

namespace tavrin {

FileVersionRecord ReadFileVersion(const std::wstring& fileName) {
    std::optional<FileVersionRecord> record = ReadFixedVersion(fileName);
    if (!record) {
        ShowMessage(L"此文件没有版本信息!");
        return {};
    }
    return *record;
}

}  // namespace tavrin
