#include "file_version.h"

#include "support/intr.h"
#include "version_file.h"

namespace tavrin {

FileVersionRecord ReadFileVersion(const std::wstring& fileName) {
    std::optional<FileVersionRecord> record;
    if (std::optional<std::vector<uint8_t>> info = version::LoadVersionInfo(fileName))
        record = version::ReadFixedPart(*info);
    if (!record) {
        ShowMessage(L"此文件没有版本信息!");
        return {};
    }
    return *record;
}

}  // namespace tavrin
