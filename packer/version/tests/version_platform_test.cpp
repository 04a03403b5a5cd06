// The parser against the platform's own reader: for every fixture, each sub-block the programs
// ask for is found or missed alike, at the same place, with the same length.
#include <windows.h>

#include <gtest/gtest.h>

#include "version_fixtures.h"
#include "version_resource.h"

namespace tavrin::version {
namespace {

using testing::Fixture;
using testing::FixtureNames;
using testing::Utf8;

std::vector<std::u16string> PathsToAsk(std::span<const uint8_t> info) {
    std::vector<std::u16string> paths = {u"\\", u"", u"\\VarFileInfo", u"\\VarFileInfo\\Translation",
                                         u"\\varfileinfo\\TRANSLATION", u"\\StringFileInfo",
                                         u"\\NoSuchBlock", u"\\VarFileInfo\\Translation\\More"};
    std::vector<std::u16string> keys = {u"080404B0", u"080404b0", u"040904B0", u"04090000", u"00000409"};
    if (auto t = FirstTranslation(info)) keys.push_back(LanguageKey(*t));
    for (const std::u16string& key : keys) {
        paths.push_back(u"\\StringFileInfo\\" + key);
        for (std::u16string name : {u"Comments", u"CompanyName", u"FileDescription", u"FileVersion",
                                    u"InternalName", u"LegalCopyright", u"LegalTrademarks",
                                    u"OriginalFilename", u"PrivateBuild", u"ProductName",
                                    u"ProductVersion", u"SpecialBuild", u"internalname", u"Missing"})
            paths.push_back(u"\\StringFileInfo\\" + key + u"\\" + name);
    }
    return paths;
}

TEST(PlatformReader, AgreesOnEveryFixture) {
    for (const std::string& name : FixtureNames()) {
        // A buffer shaped like GetFileVersionInfoW's: the resource, then slack.
        std::vector<uint8_t> buffer = Fixture(name);
        buffer.resize(buffer.size() * 2, 0);
        int bothFound = 0;
        for (const std::u16string& path : PathsToAsk(buffer)) {
            SCOPED_TRACE(name + " " + Utf8(path));
            void* pointer = nullptr;
            UINT length = 0;
            std::wstring wide(path.begin(), path.end());
            const BOOL found = VerQueryValueW(buffer.data(), wide.c_str(), &pointer, &length);
            std::optional<Value> ours = QueryValue(buffer, path);
            ASSERT_EQ(ours.has_value(), found != FALSE);
            if (!ours) continue;
            ++bothFound;
            EXPECT_EQ(ours->offset, static_cast<size_t>(static_cast<uint8_t*>(pointer) - buffer.data()));
            EXPECT_EQ(ours->length, length);
        }
        EXPECT_GE(bothFound, 7) << name << ": the root, both tables and some entries";
    }
}

}  // namespace
}  // namespace tavrin::version
