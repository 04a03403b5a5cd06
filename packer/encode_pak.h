// Building one GENPAK container from a song folder: the archive (.pak, its audio files) or the
// descriptor (.tvn, everything else). No window code: progress and the one question go through
// PackUi, which the window implements and tests replace.
#pragma once

#include <cstdint>
#include <string>

#include "tavrin/pack_sources.h"

namespace tavrin {

class PackUi {
public:
    virtual ~PackUi() = default;
    // Asks the overwrite question (Yes and No, No the default); true for Yes.
    virtual bool ConfirmOverwrite(const std::wstring& question) = 0;
    // Shows the progress line and repaints it at once.
    virtual void ShowStatus(const std::wstring& line) = 0;
    virtual void SetBusy(bool busy) = 0;
    // The file bytes packed so far, before each entry and once at the end (done == total).
    virtual void ShowProgress(uint64_t bytesDone, uint64_t bytesTotal) = 0;
};

enum class PackOutcome {
    kPacked,    // the output is complete and in place
    kDeclined,  // the user kept the existing output
    kRefused,   // the folder path cannot be packed; nothing was written
    kFailed,    // stopped part-way; the partial output is gone and an old one is kept
};

struct PackResult {
    PackOutcome outcome = PackOutcome::kFailed;
    std::wstring message;  // for kRefused and kFailed: what to tell the user
    std::wstring output;   // the archive or descriptor path
    int32_t entryCount = 0;
    int32_t dirOffset = 0;
};

// pakExt "pak" builds DirName.pak from the audio files, anything else DirName.tvn from the rest;
// inputAlgo is 1 (LZSS) or 3 (LZSS with XOR).
PackResult EncodePak(const std::wstring& dirName, const std::wstring& pakExt, int32_t inputAlgo, PackUi& ui,
                     const FolderLister& lister = ListFolder);

}  // namespace tavrin
