#include "conversion.h"

#include <windows.h>

#include "save_tvn.h"
#include "sort_music_list.h"
#include "support/intr.h"

namespace tavrin {

ConversionOutcome RunConversion(ConversionUi& ui, GameData& game, MusicList& list,
                                const std::wstring& programFolder, const std::function<void()>& started) {
    if (ui.ShowMessage(kOverwriteQuestion, kMsgYesNoQuestionDefaultNo) != kAnswerYes)
        return ConversionOutcome::kDeclined;
    if (started) started();

    switch (LoadMusicList(game, ui, list)) {
        case LoadOutcome::kListMissing:
            return ConversionOutcome::kListMissing;
        case LoadOutcome::kStopped:
            ui.UpdateStatus(L"读取失败,转换中止");
            return ConversionOutcome::kStopped;
        case LoadOutcome::kLoaded:
            break;
    }
    ui.UpdateStatus(L"正在排序列表...");
    SortMusicList(list, 0, MusicCount(list) - 1);
    SaveTVN(game, ui, list, programFolder);  // reports its own ending
    ui.UpdateStatus(L"转换完毕,请退出!");
    return ConversionOutcome::kFinished;
}

std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);  // a long path: try a larger buffer
    }
    return path.substr(0, path.rfind(L'\\') + 1);
}

}  // namespace tavrin
