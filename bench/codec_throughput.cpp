// Compression throughput of TVAPI's LzssCompress2 at the level the programs pass, through tvapi.h
// only, so the same source measures the native library (bench preset, x86-64) and the shipped
// TVAPI.dll (windows preset, 32-bit x86, run under Wine):
//   codec_throughput [CORPUS_DIR]
// Sets: 64 MiB of incompressible bytes (coded audio: the skip-ahead path), 16 MiB of chart-like
// XML, and with a corpus (the shared make-corpus.sh) its text/ and song/ folders. Prints the
// median of seven passes per set in MB/s and the stored ratio, and first a plain memcpy of the
// incompressible set in the same build: the memory speed the skip-ahead path is held to.
#include <tvapi.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

struct Set {
    std::string name;
    std::vector<Bytes> files;
    size_t total = 0;
    void Add(Bytes b) {
        total += b.size();
        files.push_back(std::move(b));
    }
};

Set Incompressible() {
    Set s{"random 64 MiB", {}, 0};
    std::mt19937 random(150);
    Bytes b(64u << 20);
    for (size_t i = 0; i + 4 <= b.size(); i += 4) {
        const auto v = static_cast<uint32_t>(random());
        std::copy_n(reinterpret_cast<const uint8_t*>(&v), 4, b.data() + i);
    }
    s.Add(std::move(b));
    return s;
}

Set ChartXml() {
    Set s{"chart xml 16 MiB", {}, 0};
    std::mt19937 random(7);
    std::string text;
    while (text.size() < (16u << 20)) {
        // One draw per statement: the same text whatever order a compiler evaluates operands in.
        const uint32_t time = random() % 500000;
        const uint32_t lane = random() % 7;
        const bool tap = random() % 4 != 0;
        text += "\t\t<Note Time=\"" + std::to_string(time) + "\" Lane=\"" + std::to_string(lane) + "\" Type=\"" +
                (tap ? "Tap" : "Hold") + "\"/>\r\n";
    }
    s.Add(Bytes(text.begin(), text.end()));
    return s;
}

Set Folder(const std::string& name, const fs::path& root) {
    Set s{name, {}, 0};
    std::vector<fs::path> paths;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file()) paths.push_back(e.path());
    std::sort(paths.begin(), paths.end());
    for (const fs::path& p : paths) {
        std::ifstream in(p, std::ios::binary);
        s.Add(Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    }
    return s;
}

// Median of seven passes of work(file, out) over the set; work returns the bytes it stores.
template <typename Work>
void Measure(const std::string& name, const Set& set, Work work) {
    Bytes out;
    std::vector<double> seconds;
    size_t stored = 0;
    for (int pass = 0; pass < 7; ++pass) {
        stored = 0;
        const auto start = std::chrono::steady_clock::now();
        for (const Bytes& f : set.files) stored += work(f, out);
        seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    std::printf("%-18s %5zu files %11zu bytes  %8.1f MB/s  stored %.3f  (%zu-bit)\n", name.c_str(),
                set.files.size(), set.total, static_cast<double>(set.total) / seconds[3] / 1e6,
                static_cast<double>(stored) / static_cast<double>(set.total), sizeof(void*) * 8);
}

size_t Compress(const Bytes& f, Bytes& out) {
    const auto n = static_cast<uint32_t>(f.size());
    out.resize(LzssCompressBound(n));
    uint32_t packed = n;
    LzssCompress2(f.data(), n, out.data(), &packed, TVAPI_LEVEL_DEFAULT);
    return std::min(packed, n);
}

// The same bytes copied into the same kind of buffer: what the memory allows.
size_t Copy(const Bytes& f, Bytes& out) {
    out.resize(LzssCompressBound(static_cast<uint32_t>(f.size())));
    std::memcpy(out.data(), f.data(), f.size());
    return f.size();
}

void Measure(const Set& set) { Measure(set.name, set, Compress); }

}  // namespace

int main(int argc, char** argv) {
    const Set incompressible = Incompressible();
    Measure("memcpy 64 MiB", incompressible, Copy);
    Measure(incompressible);
    Measure(ChartXml());
    if (argc > 1) {
        const fs::path corpus = argv[1];
        Measure(Folder("corpus text/", corpus / "text"));
        Measure(Folder("corpus song/", corpus / "song"));
    }
    return 0;
}
