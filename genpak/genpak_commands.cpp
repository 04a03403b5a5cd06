#include "genpak_commands.h"

#include <fstream>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <system_error>

#include "genpak_reader.h"
#include "names.h"
#include "pack_progress.h"
#include "pak_file.h"
#include "tavrin/pack_sources.h"
#include "verify.h"

namespace genpak::tool {
namespace {

namespace names = tvapi::names;

constexpr char kUsage[] =
    "usage: genpak list ARCHIVE\n"
    "       genpak verify ARCHIVE\n"
    "       genpak extract ARCHIVE DIR\n"
    "       genpak pack FOLDER... [--only pak|tvn] [--xor] [--force] [--jobs N] [--quiet]\n";

std::string Utf8(const std::filesystem::path& p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void AppendHex(std::string& out, uint8_t b) {
    static const char kHex[] = "0123456789ABCDEF";
    out += "\\x";
    out += kHex[b >> 4];
    out += kHex[b & 15];
}

// A record name for display: GB18030 decoded to UTF-8; bytes that do not decode, control
// characters and the backslash itself appear as \xHH, so every name stays on one line and the
// display tells undecodable bytes apart.
std::string DisplayName(std::string_view bytes) {
    std::string out;
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    size_t i = 0;
    while (i < bytes.size()) {
        char32_t cp = 0;
        const int n = names::DecodeCodePoint(p + i, bytes.size() - i, cp);
        if (n == 0) {
            AppendHex(out, p[i]);
            ++i;
            continue;
        }
        if (cp < 0x20 || cp == 0x7F || cp == '\\') {
            AppendHex(out, static_cast<uint8_t>(cp));
        } else {
            AppendUtf8(out, cp);
        }
        i += static_cast<size_t>(n);
    }
    return out;
}

const char* MethodName(uint8_t method) {
    switch (method) {
        case tvapi::genpak::kStored:
            return "stored";
        case tvapi::genpak::kLzss:
            return "lzss";
        case tvapi::genpak::kFolder:
            return "folder";
        case tvapi::genpak::kLzssXor:
            return "lzss-xor";
        default:
            return nullptr;
    }
}

std::string WriterText(const uint8_t bytes[2], Writer writer) {
    static const char kHex[] = "0123456789abcdef";
    std::string s;
    for (int i = 0; i < 2; ++i) {
        if (i) s += ' ';
        s += kHex[bytes[i] >> 4];
        s += kHex[bytes[i] & 15];
    }
    return s + (writer == Writer::kTunebale ? " tunebale" : writer == Writer::kListsmith ? " listsmith" : " unknown");
}

std::unique_ptr<tvapi::genpak::Source> OpenArchive(const std::filesystem::path& path, std::ostream& err) {
    std::unique_ptr<tvapi::genpak::Source> source = tvapi::pakfile::Open(path);
    if (!source) err << "genpak: " << Utf8(path) << ": cannot open\n";
    return source;
}

int List(const std::filesystem::path& path, std::ostream& out, std::ostream& err) {
    const auto source = OpenArchive(path, err);
    if (!source) return kExitFault;
    tvapi::genpak::Directory dir;
    const tvapi::genpak::Status status = tvapi::genpak::ParseDirectory(*source, dir);
    if (status != tvapi::genpak::Status::kOk) {
        err << "genpak: " << Utf8(path) << ": " << StatusCode(status) << "\n";
        return kExitFault;
    }
    uint32_t folders = 0;
    for (const auto& e : dir.entries) folders += e.method == tvapi::genpak::kFolder ? 1 : 0;
    out << "writer-bytes " << WriterText(dir.writerBytes, WriterOf(dir)) << "\n";
    out << "records " << dir.entries.size() << "\n";
    out << "folders " << folders << "\n";
    out << "files " << dir.entries.size() - folders << "\n";
    out << "data-size " << dir.DataSize() << "\n";
    out << "dir-offset " << dir.dirOffset << "\n";
    for (size_t i = 0; i < dir.entries.size(); ++i) {
        const auto& e = dir.entries[i];
        const char* method = MethodName(e.method);
        out << i << ' ' << (method ? method : "method-" + std::to_string(e.method)) << ' ' << e.dataOffset << ' '
            << e.packedSize << ' ' << e.fileSize << ' ' << DisplayName(dir.Name(e)) << "\n";
    }
    return kExitOk;
}

int Verify(const std::filesystem::path& path, std::ostream& out, std::ostream& err) {
    const auto source = OpenArchive(path, err);
    if (!source) return kExitFault;
    genpak::VerifySummary summary;
    const std::vector<genpak::Fault> faults = genpak::Verify(*source, &summary);
    for (const auto& f : faults) {
        out << "fault " << f.code;
        if (f.record >= 0) out << " record " << f.record;
        out << ": " << f.detail << "\n";
    }
    if (!faults.empty()) return kExitFault;
    out << "ok: " << summary.records << " records (" << summary.folders << " folders, " << summary.files << " files), "
        << summary.dataSize << " data bytes, writer-bytes " << WriterText(summary.writerBytes, summary.writer) << "\n";
    return kExitOk;
}

// The path below root for a record name, or an empty path when the name would leave root or
// cannot be a file name: absolute names, drive letters, "." and ".." components, backslashes,
// empty components and control characters are refused.
std::filesystem::path SafeRelativePath(std::string_view bytes, std::string& why) {
    std::u16string name;
    if (!names::FromGb18030(bytes, name)) {
        why = "not valid GB18030";
        return {};
    }
    std::filesystem::path relative;
    size_t start = 0;
    for (;;) {
        const size_t slash = name.find(u'/', start);
        const std::u16string part =
            name.substr(start, slash == std::u16string::npos ? std::u16string::npos : slash - start);
        if (part.empty()) {
            why = "an empty component (absolute name or doubled slash)";
            return {};
        }
        if (part == u"." || part == u"..") {
            why = "a \".\" or \"..\" component";
            return {};
        }
        for (const char16_t c : part) {
            if (c < 0x20 || c == u'\\' || c == u':') {
                why = "a backslash, colon or control character";
                return {};
            }
        }
        relative /= std::filesystem::path(part);
        if (slash == std::u16string::npos) break;
        start = slash + 1;
    }
    return relative;
}

int Extract(const std::filesystem::path& path, const std::filesystem::path& root, std::ostream& out,
            std::ostream& err) {
    const auto source = OpenArchive(path, err);
    if (!source) return kExitFault;
    tvapi::genpak::Directory dir;
    const tvapi::genpak::Status status = tvapi::genpak::ReadDirectory(*source, dir);
    if (status != tvapi::genpak::Status::kOk) {
        err << "genpak: " << Utf8(path) << ": " << StatusCode(status) << "\n";
        return kExitFault;
    }
    std::error_code ec;
    std::filesystem::create_directories(root, ec);
    if (ec) {
        err << "genpak: " << Utf8(root) << ": cannot create folder\n";
        return kExitFault;
    }
    int exit = kExitOk;
    uint32_t folders = 0;
    uint32_t files = 0;
    std::vector<uint8_t> content;
    for (size_t i = 0; i < dir.entries.size(); ++i) {
        const auto& e = dir.entries[i];
        const std::string shown = DisplayName(dir.Name(e));
        auto fail = [&](const std::string& what) {
            err << "genpak: record " << i << " " << shown << ": " << what << "\n";
            exit = kExitFault;
        };
        std::string why;
        const std::filesystem::path relative = SafeRelativePath(dir.Name(e), why);
        if (relative.empty()) {
            fail("refused: " + why);
            continue;
        }
        const std::filesystem::path target = root / relative;
        if (e.method == tvapi::genpak::kFolder) {
            std::filesystem::create_directories(target, ec);
            if (ec) {
                fail("cannot create folder");
            } else {
                ++folders;
            }
            continue;
        }
        bool read = tvapi::genpak::IsReadable(e);
        if (read) {
            try {
                content.assign(e.fileSize, 0);
                read = tvapi::genpak::ReadMember(*source, e, content.data());
            } catch (const std::bad_alloc&) {
                read = false;
            }
        }
        if (!read) {
            fail("does not expand to its FileSize");
            continue;
        }
        std::filesystem::create_directories(target.parent_path(), ec);
        std::ofstream file(target, std::ios::binary | std::ios::trunc);
        if (file)
            file.write(reinterpret_cast<const char*>(content.data()), static_cast<std::streamsize>(content.size()));
        file.close();
        if (!file) {
            fail("cannot write " + Utf8(target));
            continue;
        }
        ++files;
    }
    out << "extracted " << folders << " folders and " << files << " files\n";
    return exit;
}

}  // namespace

// Text of the interface's language (UTF-16 or UTF-32 in wchar_t) as UTF-8.
std::string Utf8(const std::wstring& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        auto cp = static_cast<char32_t>(text[i]);
        if (sizeof(wchar_t) == 2 && cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size()) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<char32_t>(text[++i]) - 0xDC00);
        }
        AppendUtf8(out, cp);
    }
    return out;
}

// A thread count from 1 to 64.
bool ParseJobs(const std::string& text, unsigned& jobs) {
    if (text.empty() || text.size() > 2 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    const unsigned n = static_cast<unsigned>(std::stoul(text));
    if (n < 1 || n > 64) return false;
    jobs = n;
    return true;
}

// genpak pack: each folder into FOLDER.pak (its audio) and FOLDER.tvn (the rest), as the pack
// builder's command mode does. An existing archive is kept unless --force; one folder's failure
// does not stop the others.
int Pack(const std::vector<std::filesystem::path>& args, std::ostream& out, std::ostream& err, bool terminal) {
    std::vector<std::filesystem::path> folders;
    bool pak = true, tvn = true, force = false, quiet = false;
    int32_t method = tvapi::genpak::kLzss;
    unsigned jobs = tavrin::DefaultPackJobs();
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string arg = Utf8(args[i]);
        if (arg == "--xor") {
            method = tvapi::genpak::kLzssXor;
        } else if (arg == "--force") {
            force = true;
        } else if (arg == "--quiet") {
            quiet = true;
        } else if (arg == "--jobs" && i + 1 < args.size() && ParseJobs(Utf8(args[i + 1]), jobs)) {
            ++i;
        } else if (arg == "--only" && i + 1 < args.size() &&
                   (Utf8(args[i + 1]) == "pak" || Utf8(args[i + 1]) == "tvn")) {
            pak = Utf8(args[++i]) == "pak";
            tvn = !pak;
        } else if (arg.rfind("--", 0) == 0) {
            err << kUsage;
            return kExitUsage;
        } else {
            folders.push_back(args[i]);
        }
    }
    if (folders.empty()) {
        err << kUsage;
        return kExitUsage;
    }
    int packed = 0, kept = 0, failed = 0;
    const std::unique_ptr<tavrin::PackSource> source = tavrin::PlatformPackSource();
    using Mode = PackProgressView::Mode;
    PackProgressView progress(err, quiet ? Mode::kOff : (terminal ? Mode::kBar : Mode::kLines));
    for (const std::filesystem::path& given : folders) {
        std::u16string folder = given.u16string();
        while (folder.size() > 1 && (folder.back() == u'/' || folder.back() == u'\\')) folder.pop_back();
        const std::filesystem::path path(folder);
        std::error_code error;
        std::string refusal;
        if (folder.empty()) {
            refusal = "an empty folder path";
        } else if (path == path.root_path() || path.relative_path() == path.root_name()) {
            refusal = "a drive or root folder: its archives would land inside it";
        } else if (!std::filesystem::is_directory(path, error)) {
            refusal = std::filesystem::exists(path, error) ? "not a folder" : "no such folder";
        }
        if (!refusal.empty()) {
            progress.Clear();
            err << "refused " << Utf8(given) << ": " << refusal << "\n";
            failed += pak + tvn;
            continue;
        }
        for (const char* ext : {"pak", "tvn"}) {
            if ((ext[0] == 'p' && !pak) || (ext[0] == 't' && !tvn)) continue;
            const std::filesystem::path output = folder + u"." + std::u16string(ext, ext + 3);
            if (!force && std::filesystem::exists(output, error)) {
                progress.Clear();
                if (!quiet) out << "kept " << Utf8(output) << " (it exists; --force replaces it)\n";
                ++kept;
                continue;
            }
            const tavrin::PackJob job{folder, std::u16string(ext, ext + 3), method, output, folder + u".tmp", jobs};
            progress.Begin(Utf8(output));
            try {
                const tavrin::FinishedContainer done = tavrin::PackFolder(
                    job, *source, [&progress](const tavrin::PackStep& step) { progress.Update(step); });
                progress.Clear();
                if (!quiet) out << "packed " << Utf8(output) << ": " << done.entryCount << " records\n";
                ++packed;
            } catch (const tavrin::FileFailure& f) {
                progress.Clear();
                err << "failed " << Utf8(output) << ": " << Utf8(f.file) << ": " << Utf8(f.reason) << "\n";
                ++failed;
            } catch (const std::bad_alloc&) {
                progress.Clear();
                err << "failed " << Utf8(output) << ": out of memory\n";
                ++failed;
            }
        }
    }
    if (!quiet) out << packed << " packed, " << kept << " kept, " << failed << " failed\n";
    return failed > 0 ? kExitFault : kExitOk;
}

int Run(const std::vector<std::filesystem::path>& args, std::ostream& out, std::ostream& err, bool terminal) {
    const std::string command = args.empty() ? std::string() : Utf8(args[0]);
    if (command == "list" && args.size() == 2) return List(args[1], out, err);
    if (command == "verify" && args.size() == 2) return Verify(args[1], out, err);
    if (command == "extract" && args.size() == 3) return Extract(args[1], args[2], out, err);
    if (command == "pack") return Pack(args, out, err, terminal);
    if (command == "--help" && args.size() == 1) {
        out << kUsage;
        return kExitOk;
    }
    err << kUsage;
    return kExitUsage;
}

}  // namespace genpak::tool
