// GENPAK reader on arbitrary archive bytes: directory parsing, member lookup and expansion, and the
// verifier, with two properties checked on every input.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "genpak_reader.h"
#include "verify.h"

using namespace tvapi::genpak;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemorySource source(data, size);
    Directory dir;
    const bool readable = ReadDirectory(source, dir) == Status::kOk;
    if (readable) {
        const MemberIndex index(dir);
        std::vector<uint8_t> out;
        for (const Entry& e : dir.entries) {
            if (e.method == kFolder) continue;
            // Every member can be found by its own name (perhaps as an earlier record of that name).
            const long long found = index.Find(dir, dir.Name(e));
            if (found < 0 || dir.Name(dir.entries[static_cast<size_t>(found)]) != dir.Name(e)) __builtin_trap();
            if (!IsReadable(e)) continue;
            out.assign(e.fileSize, 0);
            ReadMember(source, e, out.data());
        }
    }
    // An archive the verifier passes is one the reader reads, member by member.
    if (genpak::Verify(source).empty()) {
        if (!readable) __builtin_trap();
        std::vector<uint8_t> out;
        for (const Entry& e : dir.entries) {
            if (e.method == kFolder) continue;
            out.assign(e.fileSize, 0);
            if (!ReadMember(source, e, out.data())) __builtin_trap();
        }
    }
    return 0;
}
