// genpak verify: every structural rule of the container, as the two writers follow it
// (docs/genpak.md lists the rules and their fault codes). The library's reader accepts more than
// this; the verifier is for checking what tunebale and listsmith write.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "genpak_reader.h"

namespace genpak {

// Told by the two writer bytes after the marker.
enum class Writer { kTunebale, kListsmith, kUnknown };
Writer WriterOf(const tvapi::genpak::Directory& dir);

// Stable short name of a reading status, as genpak prints it (e.g. "end-tag").
const char* StatusCode(tvapi::genpak::Status status);

struct Fault {
    std::string code;    // stable identifier, e.g. "data-offset"
    long long record;    // record index, or -1 for the archive as a whole
    std::string detail;  // human-readable explanation
};

struct VerifySummary {
    Writer writer = Writer::kUnknown;
    uint8_t writerBytes[2] = {0, 0};
    uint32_t records = 0;
    uint32_t folders = 0;
    uint32_t files = 0;
    uint32_t dataSize = 0;
};

// Checks every rule and expands every member. Returns the faults in record order; empty when the
// archive is sound.
std::vector<Fault> Verify(tvapi::genpak::Source& source, VerifySummary* summary = nullptr);

}  // namespace genpak
