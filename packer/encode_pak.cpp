#include "encode_pak.h"

#include <windows.h>

#include <string>

#include "pack_request.h"
#include "tavrin/file_system.h"
#include "tavrin/pack_sources.h"
#include "tavrin/numbered_error.h"
#include "tavrin/text.h"

namespace tavrin {
namespace {

// The busy pointer for as long as a run lasts, however it ends (a No to the question included).
class BusyPointer {
public:
    explicit BusyPointer(PackUi& ui) : ui_(ui) { ui_.SetBusy(true); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
    ~BusyPointer() { ui_.SetBusy(false); }

private:
    PackUi& ui_;
};

PackResult Refuse(std::wstring message) {
    PackResult r;
    r.outcome = PackOutcome::kRefused;
    r.message = std::move(message);
    return r;
}

}  // namespace

PackResult EncodePak(const std::wstring& dirName, const std::wstring& pakExt, int32_t inputAlgo, PackUi& ui,
                     const FolderLister& lister) {
    CleanFolder folder = CleanFolderPath(ToU16(dirName));
    if (folder.problem == FolderPathProblem::kEmpty) return Refuse(L"请先输入或选择要打包的目录。");
    std::wstring baseDir = FromU16(folder.path);
    if (folder.problem == FolderPathProblem::kDriveRoot)
        return Refuse(L"不能打包驱动器或共享的根目录 " + baseDir + L" ,请选择一个歌曲目录。");
    DWORD attributes = GetFileAttributesW(baseDir.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return Refuse(L"找不到目录 " + baseDir);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return Refuse(baseDir + L" 不是目录。");

    BusyPointer busy(ui);
    PackResult result;
    result.output = baseDir + (pakExt == L"pak" ? L".pak" : L".tvn");
    if (FileExists(result.output) && !ui.ConfirmOverwrite(L"文件 " + result.output + L" 已存在,是否覆盖?")) {
        result.outcome = PackOutcome::kDeclined;
        return result;
    }
    const PackJob job{folder.path, ToU16(pakExt), inputAlgo, result.output, baseDir + L".tmp", DefaultPackJobs()};
    const std::unique_ptr<PackSource> source = WindowsPackSource(lister);
    // Called on this thread, the window's, in the container's order.
    const auto progress = [&ui](const PackStep& step) {
        if (step.name != nullptr)
            ui.ShowStatus(L"正在打包第 " + std::to_wstring(step.index + 1) + (step.folder ? L" 个目录:" : L" 个文件:") +
                          L"\n" + FromU16(*step.name));
        ui.ShowProgress(step.bytesDone, step.bytesTotal);
    };
    try {
        const FinishedContainer done = PackFolder(job, *source, progress);
        result.outcome = PackOutcome::kPacked;
        result.entryCount = done.entryCount;
        result.dirOffset = done.dirOffset;
    } catch (const FileFailure& f) {
        result.outcome = PackOutcome::kFailed;
        result.message = L"打包 " + result.output + L" 失败。\n" + f.file.wstring() + L"\n" + f.reason;
    } catch (const std::bad_alloc&) {
        result.outcome = PackOutcome::kFailed;
        result.message = L"打包 " + result.output + L" 失败。\n" + NumberedError::ErrorDescription(kErrOutOfMemory);
    }
    return result;
}

}  // namespace tavrin
