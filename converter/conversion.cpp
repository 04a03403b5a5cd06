#include "conversion.h"

#include <windows.h>

#include "save_tvn.h"
#include "sort_music_list.h"
#include "tavrin/message_box.h"

namespace tavrin {

ConversionOutcome RunConversion(ConversionUi& ui, GameData& game, MusicList& list, const std::wstring& programFolder,
                                const std::function<void()>& started, const std::function<void()>& finished) {
    if (ui.ShowMessage(kOverwriteQuestion, kMsgYesNoQuestionDefaultNo) != kAnswerYes)
        return ConversionOutcome::kDeclined;
    if (started) started();

    switch (LoadMusicList(game, ui, list)) {
        case LoadOutcome::kListMissing:
            return ConversionOutcome::kListMissing;
        case LoadOutcome::kStopped:
            ui.UpdateStatus(L"读取失败,转换中止");
            if (finished) finished();
            return ConversionOutcome::kStopped;
        case LoadOutcome::kLoaded:
            break;
    }
    ui.UpdateStatus(L"正在排序列表...");
    SortMusicList(list, 0, MusicCount(list) - 1);
    SaveTVN(game, ui, list, programFolder);  // reports its own ending
    ui.UpdateStatus(L"转换完毕,请退出!");
    if (finished) finished();
    return ConversionOutcome::kFinished;
}

}  // namespace tavrin
