// LZSS codec benchmark on the song-folder corpus (bench/make-corpus.sh in the shared tools):
// compress and expand speed and ratio per level, beside memcpy, zlib level 1 and the classic 1989
// greedy binary-tree encoder of the same stream, plus what the skip-ahead costs in packed size.
//
//   TV_BENCH_CORPUS=/tmp/corpus bench_lzss
//
// Sets: text (the corpus's text/ subset: charts, documents, BMP images), xml (its XML and HTML
// files), audio (coded audio under song/: ogg, oga, mp3, flac) and song (the whole song folder).
// Counters: ratio = packed bytes / input bytes, each file compressed on its own, a file that does
// not shrink counted raw; vs_classic = ratio / the classic encoder's ratio on the same set.
// compress/ stops early once a file's output reaches its size (it is stored raw then);
// compress-whole/ always produces the whole stream, as the exported functions do.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "lzss.h"
#include "lzss_internal.h"

namespace {

namespace fs = std::filesystem;
namespace lzss = tvapi::lzss;
using Bytes = std::vector<uint8_t>;

struct FileSet {
    std::vector<Bytes> files;
    size_t totalBytes = 0;
};

std::map<std::string, FileSet> g_sets;

// ---------------------------------------------------------------------------------------------
// The classic encoder: greedy, longest match from a binary tree per first byte (Okumura, 1989).

class ClassicEncoder {
public:
    Bytes Encode(const Bytes& in) {
        constexpr int kThreshold = 2;
        std::fill(std::begin(rson_) + N + 1, std::end(rson_), kNil);
        std::fill(std::begin(dad_), std::begin(dad_) + N, kNil);
        Bytes out;
        uint8_t code[17];
        int codePtr = 1;
        uint8_t mask = 1;
        code[0] = 0;
        int s = 0, r = N - F;
        std::fill(text_, text_ + r, ' ');
        size_t inPos = 0;
        int len = 0;
        for (; len < F && inPos < in.size(); ++len) text_[r + len] = in[inPos++];
        if (len == 0) return out;
        for (int i = 1; i <= F; ++i) InsertNode(r - i);
        InsertNode(r);
        do {
            if (matchLength_ > len) matchLength_ = len;
            if (matchLength_ <= kThreshold) {
                matchLength_ = 1;
                code[0] |= mask;
                code[codePtr++] = text_[r];
            } else {
                code[codePtr++] = static_cast<uint8_t>(matchPosition_);
                code[codePtr++] =
                    static_cast<uint8_t>(((matchPosition_ >> 4) & 0xF0) | (matchLength_ - (kThreshold + 1)));
            }
            mask = static_cast<uint8_t>(mask << 1);
            if (mask == 0) {
                out.insert(out.end(), code, code + codePtr);
                code[0] = 0;
                codePtr = 1;
                mask = 1;
            }
            const int lastMatchLength = matchLength_;
            int i = 0;
            for (; i < lastMatchLength && inPos < in.size(); ++i) {
                const uint8_t c = in[inPos++];
                DeleteNode(s);
                text_[s] = c;
                if (s < F - 1) text_[s + N] = c;
                s = (s + 1) & (N - 1);
                r = (r + 1) & (N - 1);
                InsertNode(r);
            }
            while (i++ < lastMatchLength) {
                DeleteNode(s);
                s = (s + 1) & (N - 1);
                r = (r + 1) & (N - 1);
                if (--len) InsertNode(r);
            }
        } while (len > 0);
        if (codePtr > 1) out.insert(out.end(), code, code + codePtr);
        return out;
    }

private:
    static constexpr int N = 4096, F = 18, kNil = N;

    void InsertNode(int r) {
        int cmp = 1;
        const uint8_t* key = &text_[r];
        int p = N + 1 + key[0];
        rson_[r] = lson_[r] = kNil;
        matchLength_ = 0;
        for (;;) {
            if (cmp >= 0) {
                if (rson_[p] != kNil) {
                    p = rson_[p];
                } else {
                    rson_[p] = r;
                    dad_[r] = p;
                    return;
                }
            } else {
                if (lson_[p] != kNil) {
                    p = lson_[p];
                } else {
                    lson_[p] = r;
                    dad_[r] = p;
                    return;
                }
            }
            int i = 1;
            for (; i < F; ++i) {
                if ((cmp = key[i] - text_[p + i]) != 0) break;
            }
            if (i > matchLength_) {
                matchPosition_ = p;
                if ((matchLength_ = i) >= F) break;
            }
        }
        dad_[r] = dad_[p];
        lson_[r] = lson_[p];
        rson_[r] = rson_[p];
        dad_[lson_[p]] = r;
        dad_[rson_[p]] = r;
        if (rson_[dad_[p]] == p) {
            rson_[dad_[p]] = r;
        } else {
            lson_[dad_[p]] = r;
        }
        dad_[p] = kNil;
    }

    void DeleteNode(int p) {
        if (dad_[p] == kNil) return;
        int q;
        if (rson_[p] == kNil) {
            q = lson_[p];
        } else if (lson_[p] == kNil) {
            q = rson_[p];
        } else {
            q = lson_[p];
            if (rson_[q] != kNil) {
                do {
                    q = rson_[q];
                } while (rson_[q] != kNil);
                rson_[dad_[q]] = lson_[q];
                dad_[lson_[q]] = dad_[q];
                lson_[q] = lson_[p];
                dad_[lson_[p]] = q;
            }
            rson_[q] = rson_[p];
            dad_[rson_[p]] = q;
        }
        dad_[q] = dad_[p];
        if (rson_[dad_[p]] == p) {
            rson_[dad_[p]] = q;
        } else {
            lson_[dad_[p]] = q;
        }
        dad_[p] = kNil;
    }

    uint8_t text_[N + F - 1] = {};
    int lson_[N + 1] = {};
    int rson_[N + 257] = {};
    int dad_[N + 1] = {};
    int matchPosition_ = 0;
    int matchLength_ = 0;
};

// ---------------------------------------------------------------------------------------------
// Corpus

Bytes ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void AddFiles(FileSet& set, const fs::path& root, bool (*accept)(const fs::path&)) {
    std::vector<fs::path> paths;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file() && accept(entry.path())) paths.push_back(entry.path());
    }
    std::sort(paths.begin(), paths.end());
    for (const fs::path& p : paths) {
        set.files.push_back(ReadFile(p));
        set.totalBytes += set.files.back().size();
    }
}

bool HasExtension(const fs::path& p, std::initializer_list<const char*> extensions) {
    const std::string ext = p.extension().string();
    return std::any_of(extensions.begin(), extensions.end(), [&](const char* e) { return ext == e; });
}

bool LoadCorpus(const fs::path& root) {
    if (!fs::is_directory(root / "text") || !fs::is_directory(root / "song")) return false;
    AddFiles(g_sets["text"], root / "text", [](const fs::path&) { return true; });
    AddFiles(g_sets["xml"], root / "text", [](const fs::path& p) { return HasExtension(p, {".xml", ".html"}); });
    AddFiles(g_sets["audio"], root / "song", [](const fs::path& p) {
        return HasExtension(p, {".ogg", ".oga", ".mp3", ".flac"});
    });
    AddFiles(g_sets["song"], root / "song", [](const fs::path&) { return true; });
    for (const auto& [name, set] : g_sets) {
        if (set.totalBytes == 0) return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Measurements

// Packed bytes of the set as a container stores it: a file that does not shrink is stored raw.
size_t StoredSize(const FileSet& set, const lzss::detail::EncodeOptions& options) {
    size_t total = 0;
    Bytes out;
    for (const Bytes& f : set.files) {
        const auto n = static_cast<uint32_t>(f.size());
        out.resize(lzss::CompressBound(n));
        const uint32_t packed = lzss::detail::CompressWith(f.data(), n, out.data(), options);
        total += std::min<size_t>(packed, n);
    }
    return total;
}

std::map<std::string, double> g_classicRatio;

double ClassicRatio(const std::string& setName) {
    auto it = g_classicRatio.find(setName);
    if (it != g_classicRatio.end()) return it->second;
    const FileSet& set = g_sets.at(setName);
    auto encoder = std::make_unique<ClassicEncoder>();
    size_t total = 0;
    for (const Bytes& f : set.files) {
        const Bytes packed = encoder->Encode(f);
        // The classic stream must read back through our decoder: same format.
        Bytes check(f.size());
        if (!lzss::Expand(packed.data(), packed.size(), check.data(), check.size(), false) || check != f) {
            std::fprintf(stderr, "classic stream does not expand through the decoder\n");
            std::exit(1);
        }
        total += std::min(packed.size(), f.size());
    }
    return g_classicRatio[setName] = static_cast<double>(total) / static_cast<double>(set.totalBytes);
}

void SetRatio(benchmark::State& state, const std::string& setName, size_t stored) {
    const double ratio = static_cast<double>(stored) / static_cast<double>(g_sets.at(setName).totalBytes);
    state.counters["ratio"] = ratio;
    state.counters["vs_classic"] = ratio / ClassicRatio(setName);
}

void BM_Compress(benchmark::State& state, const std::string& setName, int32_t level, bool stopEarly) {
    const FileSet& set = g_sets.at(setName);
    Bytes out;
    size_t stored = 0;
    for (auto _ : state) {
        stored = 0;
        for (const Bytes& f : set.files) {
            const auto n = static_cast<uint32_t>(f.size());
            out.resize(lzss::CompressBound(n));
            const uint32_t packed = lzss::Compress(f.data(), n, out.data(), level, false, stopEarly);
            benchmark::DoNotOptimize(out.data());
            stored += std::min<size_t>(packed, n);
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * set.totalBytes));
    SetRatio(state, setName, stored);
}

void BM_Expand(benchmark::State& state, const std::string& setName, int32_t level) {
    const FileSet& set = g_sets.at(setName);
    std::vector<Bytes> streams;
    for (const Bytes& f : set.files) {
        Bytes out(lzss::CompressBound(static_cast<uint32_t>(f.size())));
        out.resize(lzss::Compress(f.data(), static_cast<uint32_t>(f.size()), out.data(), level, false, false));
        streams.push_back(std::move(out));
    }
    Bytes out;
    for (auto _ : state) {
        for (size_t i = 0; i < streams.size(); ++i) {
            out.resize(set.files[i].size());
            if (!lzss::Expand(streams[i].data(), streams[i].size(), out.data(), out.size(), false)) {
                state.SkipWithError("stream does not expand");
                return;
            }
            benchmark::DoNotOptimize(out.data());
        }
    }
    for (size_t i = 0; i < streams.size(); ++i) {
        Bytes check(set.files[i].size());
        lzss::Expand(streams[i].data(), streams[i].size(), check.data(), check.size(), false);
        if (check != set.files[i]) state.SkipWithError("round trip differs");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * set.totalBytes));
}

void BM_Memcpy(benchmark::State& state, const std::string& setName) {
    const FileSet& set = g_sets.at(setName);
    Bytes out;
    for (auto _ : state) {
        for (const Bytes& f : set.files) {
            out.resize(f.size());
            std::memcpy(out.data(), f.data(), f.size());
            benchmark::DoNotOptimize(out.data());
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * set.totalBytes));
}

void BM_Zlib1(benchmark::State& state, const std::string& setName) {
    const FileSet& set = g_sets.at(setName);
    Bytes out;
    size_t stored = 0;
    for (auto _ : state) {
        stored = 0;
        for (const Bytes& f : set.files) {
            uLongf size = compressBound(static_cast<uLong>(f.size()));
            out.resize(size);
            compress2(out.data(), &size, f.data(), static_cast<uLong>(f.size()), 1);
            stored += std::min<size_t>(size, f.size());
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * set.totalBytes));
    SetRatio(state, setName, stored);
}

void BM_Classic(benchmark::State& state, const std::string& setName) {
    const FileSet& set = g_sets.at(setName);
    auto encoder = std::make_unique<ClassicEncoder>();
    for (auto _ : state) {
        for (const Bytes& f : set.files) benchmark::DoNotOptimize(encoder->Encode(f));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * set.totalBytes));
    SetRatio(state, setName, static_cast<size_t>(ClassicRatio(setName) * static_cast<double>(set.totalBytes)));
}

// Whole song folder as stored, with and without the skip-ahead: what skipping costs in size.
void BM_SkipCost(benchmark::State& state, int32_t level) {
    const FileSet& set = g_sets.at("song");
    lzss::detail::EncodeOptions options;
    options.level = level;
    size_t withSkip = 0;
    size_t without = 0;
    for (auto _ : state) {
        options.skipAhead = true;
        withSkip = StoredSize(set, options);
        options.skipAhead = false;
        without = StoredSize(set, options);
    }
    state.counters["stored_skip"] = static_cast<double>(withSkip);
    state.counters["stored_noskip"] = static_cast<double>(without);
    state.counters["cost_pct"] =
        100.0 * (static_cast<double>(withSkip) - static_cast<double>(without)) / static_cast<double>(without);
}

}  // namespace

int main(int argc, char** argv) {
    const char* env = std::getenv("TV_BENCH_CORPUS");
    const fs::path root = env != nullptr && *env != 0 ? env : "/tmp/corpus";
    if (!LoadCorpus(root)) {
        std::fprintf(stderr,
                     "bench_lzss: no corpus at %s (needs text/ and song/ with files). Build it with\n"
                     "  bash make-corpus.sh %s   (the shared bench tools)\n"
                     "or point TV_BENCH_CORPUS at one.\n",
                     root.string().c_str(), root.string().c_str());
        return 1;
    }
    for (const auto& [name, set] : g_sets) {
        std::fprintf(stderr, "corpus set %-5s %4zu files %10zu bytes\n", name.c_str(), set.files.size(),
                     set.totalBytes);
    }

    using benchmark::RegisterBenchmark;
    for (const char* set : {"text", "xml", "audio"}) {
        const std::string s = set;
        RegisterBenchmark(("memcpy/" + s).c_str(), BM_Memcpy, s)->Unit(benchmark::kMillisecond);
        RegisterBenchmark(("zlib1/" + s).c_str(), BM_Zlib1, s)->Unit(benchmark::kMillisecond);
        RegisterBenchmark(("classic/" + s).c_str(), BM_Classic, s)->Unit(benchmark::kMillisecond)->Iterations(1);
        for (int32_t level : {1, 5, 9}) {
            const std::string l = std::to_string(level);
            RegisterBenchmark(("compress/level" + l + "/" + s).c_str(), BM_Compress, s, level, true)
                ->Unit(benchmark::kMillisecond);
        }
        // The exported functions always produce the whole stream (no early abort).
        RegisterBenchmark(("compress-whole/level1/" + s).c_str(), BM_Compress, s, 1, false)
            ->Unit(benchmark::kMillisecond);
        RegisterBenchmark(("expand/level1/" + s).c_str(), BM_Expand, s, 1)->Unit(benchmark::kMillisecond);
        RegisterBenchmark(("expand/level9/" + s).c_str(), BM_Expand, s, 9)->Unit(benchmark::kMillisecond);
    }
    for (int32_t level : {1, 9}) {
        RegisterBenchmark(("skipcost/level" + std::to_string(level) + "/song").c_str(), BM_SkipCost, level)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
