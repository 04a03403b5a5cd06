// The version-resource parser on resources compiled by windres, and on damaged copies of them.
#include "version_resource.h"

#include <gtest/gtest.h>

#include <random>

#include "version_fixtures.h"

namespace tavrin::version {
namespace {

using testing::Fixture;
using testing::FixtureNames;
using testing::Utf8;

// Offset of the first occurrence of a UTF-16 text in the resource.
size_t FindText(const std::vector<uint8_t>& info, std::u16string_view text) {
    for (size_t at = 0; at + 2 * text.size() <= info.size(); at += 2) {
        bool match = true;
        for (size_t i = 0; i < text.size() && match; ++i)
            match = info[at + 2 * i] == (text[i] & 0xFF) && info[at + 2 * i + 1] == (text[i] >> 8);
        if (match) return at;
    }
    ADD_FAILURE() << "text not in the resource: " << Utf8(text);
    return 0;
}

void PutU16(std::vector<uint8_t>& info, size_t at, uint16_t v) {
    info[at] = static_cast<uint8_t>(v);
    info[at + 1] = static_cast<uint8_t>(v >> 8);
}

uint32_t Halves(int32_t upper, int32_t lower) {
    return static_cast<uint32_t>(upper) << 16 | static_cast<uint32_t>(lower);
}

// The block whose key starts at keyOffset begins 6 bytes earlier.
size_t BlockOf(const std::vector<uint8_t>& info, std::u16string_view key) { return FindText(info, key) - 6; }

TEST(FixedPart, NumbersComeFromTheFixedInfoNotFromTheTexts) {
    const VersionInfoRecord r = ParseVersionInfo(Fixture("zh_cn"));
    EXPECT_EQ(r.FileMajor, 1);
    EXPECT_EQ(r.FileMinor, 3);
    EXPECT_EQ(r.FileBuild, 0);
    EXPECT_EQ(r.FileRevision, 64);
    EXPECT_EQ(Utf8(r.FileVersionText), "1.3.0.64");
    EXPECT_EQ(Utf8(r.ProductVersionText), "1.3.0.64");
    EXPECT_EQ(Utf8(r.FileVersion), "1.03.0064");
}

TEST(FixedPart, ComponentsAreUnsignedSixteenBitNumbers) {
    const std::optional<FileVersionRecord> r = ReadFixedPart(Fixture("extremes"));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->FileMajor, 65535);
    EXPECT_EQ(r->FileMinor, 1);
    EXPECT_EQ(r->FileBuild, 32768);
    EXPECT_EQ(r->FileRevision, 65534);
    EXPECT_EQ(Utf8(r->FileVersionText), "65535.1.32768.65534");
}

TEST(FixedPart, ProductVersionIsReadIndependentlyOfTheFileVersion) {
    const std::optional<FileVersionRecord> r = ReadFixedPart(Fixture("extremes"));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->ProductMajor, 7);
    EXPECT_EQ(r->ProductMinor, 65535);
    EXPECT_EQ(r->ProductBuild, 0);
    EXPECT_EQ(r->ProductRevision, 32767);
    EXPECT_EQ(Utf8(r->ProductVersionText), "7.65535.0.32767");
}

TEST(FixedPart, HalvesSplitIntoUpperAndLowerWords) {
    const FileVersionRecord r = FixedPartFromHalves(0xFFFF0000u, 0x0001FFFFu, 0x80000001u, 0u);
    EXPECT_EQ(Utf8(r.FileVersionText), "65535.0.1.65535");
    EXPECT_EQ(Utf8(r.ProductVersionText), "32768.1.0.0");
}

TEST(FixedPart, ParserAndRecordAgreeOnTheSharedFields) {
    for (const std::string& name : FixtureNames()) {
        SCOPED_TRACE(name);
        const std::optional<FileVersionRecord> fixed = ReadFixedPart(Fixture(name));
        ASSERT_TRUE(fixed);
        EXPECT_EQ(static_cast<const FileVersionRecord&>(ParseVersionInfo(Fixture(name))), *fixed);
    }
}

TEST(LanguageKey, IsLanguageThenCodePageInFourUpperCaseHexDigitsEach) {
    EXPECT_EQ(Utf8(LanguageKey(0x04B00804u)), "080404B0");
    EXPECT_EQ(Utf8(LanguageKey(0x04E40409u)), "040904E4");
    EXPECT_EQ(Utf8(LanguageKey(0xABCD1234u)), "1234ABCD");
}

TEST(LanguageKey, CodePageZeroIsPaddedBeforeTheHalvesSwap) {
    EXPECT_EQ(Utf8(LanguageKey(0x00000409u)), "04090000");
    EXPECT_EQ(Utf8(LanguageKey(0x00000001u)), "00010000");
    EXPECT_EQ(Utf8(LanguageKey(0u)), "00000000");
    EXPECT_EQ(Utf8(LanguageKey(0x00010000u)), "00000001");
}

TEST(Texts, EntriesOfTheChineseTableAndEmptyFieldsForAbsentOnes) {
    const VersionInfoRecord r = ParseVersionInfo(Fixture("zh_cn"));
    EXPECT_EQ(Utf8(r.FileDescription), "Tavrin歌曲打包器");
    EXPECT_EQ(Utf8(r.ProductName), "Tavrin歌曲打包器");
    EXPECT_EQ(Utf8(r.InternalName), "tunebale");
    EXPECT_EQ(Utf8(r.OriginalFilename), "tunebale.exe");
    EXPECT_EQ(Utf8(r.CompanyName), "Tavrin");
    EXPECT_EQ(Utf8(r.LegalCopyright), "© Tavrin 歌曲工具");
    EXPECT_EQ(Utf8(r.ProductVersion), "1.03.0064");
    EXPECT_EQ(r.Comments, u"");
    EXPECT_EQ(r.LegalTrademarks, u"");
    EXPECT_EQ(r.PrivateBuild, u"");
    EXPECT_EQ(r.SpecialBuild, u"");
}

TEST(Texts, CodePageZeroFindsTheTableWithFourZerosAfterTheLanguage) {
    EXPECT_EQ(FirstTranslation(Fixture("codepage0")), std::optional<uint32_t>(0x00000409u));
    EXPECT_EQ(Utf8(ParseVersionInfo(Fixture("codepage0")).ProductName), "code page zero");
}

TEST(Texts, OnlyTheFirstTranslationCounts) {
    const VersionInfoRecord r = ParseVersionInfo(Fixture("two_translations"));
    EXPECT_EQ(Utf8(r.FileDescription), "English description");
    EXPECT_EQ(r.Comments, u"") << "the Chinese table is not a fallback";
}

TEST(Texts, KeysMatchWhateverTheirCase) {
    EXPECT_EQ(Utf8(ParseVersionInfo(Fixture("lowercase_key")).InternalName), "lower");
    EXPECT_TRUE(QueryValue(Fixture("zh_cn"), u"\\stringfileinfo\\080404b0\\FILEVERSION"));
}

TEST(Texts, WithoutATranslationTableOnlyTheNumbersAreRead) {
    const VersionInfoRecord r = ParseVersionInfo(Fixture("no_translation"));
    EXPECT_EQ(Utf8(r.FileVersionText), "4.5.6.7");
    EXPECT_EQ(r.FileDescription, u"");
    EXPECT_FALSE(FirstTranslation(Fixture("no_translation")));
}

TEST(Texts, AnEmptyEntryStaysEmptyAndItsNeighbourIsRead) {
    const VersionInfoRecord r = ParseVersionInfo(Fixture("odd_texts"));
    EXPECT_EQ(r.Comments, u"");
    EXPECT_EQ(Utf8(r.SpecialBuild), "last");
}

TEST(Texts, AnEntryEndsAtItsFirstNul) {
    std::vector<uint8_t> info = Fixture("zh_cn");
    PutU16(info, FindText(info, u"tunebale.exe") + 8, 0);  // the "b" of "tunebale.exe"
    EXPECT_EQ(Utf8(ParseVersionInfo(info).OriginalFilename), "tune");
    EXPECT_EQ(Utf8(ParseVersionInfo(info).InternalName), "tunebale");
}

TEST(QueryValue, ReportsLengthsAsThePlatformDoes) {
    const std::vector<uint8_t>& info = Fixture("zh_cn");
    std::optional<Value> root = QueryValue(info, u"\\");
    ASSERT_TRUE(root);
    EXPECT_FALSE(root->text);
    EXPECT_EQ(root->length, kFixedInfoSize);
    EXPECT_EQ(root->data.size(), kFixedInfoSize);
    EXPECT_EQ(root->offset % 4, 0u);
    EXPECT_EQ(root->data[0], 0xBD) << "VS_FIXEDFILEINFO begins with its signature 0xFEEF04BD";

    std::optional<Value> translation = QueryValue(info, u"\\VarFileInfo\\Translation");
    ASSERT_TRUE(translation);
    EXPECT_FALSE(translation->text);
    EXPECT_EQ(translation->length, 4u);

    std::optional<Value> text = QueryValue(info, u"\\StringFileInfo\\080404B0\\InternalName");
    ASSERT_TRUE(text);
    EXPECT_TRUE(text->text);
    EXPECT_EQ(text->length, 9u) << "UTF-16 units, the NUL included";
    EXPECT_EQ(text->data.size(), 18u);
}

TEST(QueryValue, MissingPathsAreNotFound) {
    const std::vector<uint8_t>& info = Fixture("zh_cn");
    EXPECT_FALSE(QueryValue(info, u"\\StringFileInfo\\040904B0\\InternalName"));
    EXPECT_FALSE(QueryValue(info, u"\\StringFileInfo\\080404B0\\Comments"));
    EXPECT_FALSE(QueryValue(info, u"\\StringFileInfo\\080404B0\\InternalNam"));
    EXPECT_FALSE(QueryValue(info, u"\\StringFileInfo\\080404B0\\InternalNameX"));
    EXPECT_FALSE(QueryValue(info, u"\\Translation"));
}

TEST(Damage, EveryTruncationGivesTheEmptyRecord) {
    // The root's length covers the whole resource, so no prefix is a complete resource.
    for (const std::string& name : FixtureNames()) {
        const std::vector<uint8_t>& info = Fixture(name);
        for (size_t n = 0; n < info.size(); ++n) {
            std::vector<uint8_t> prefix(info.begin(), info.begin() + static_cast<ptrdiff_t>(n));
            ASSERT_EQ(ParseVersionInfo(prefix), VersionInfoRecord{}) << name << " cut to " << n;
        }
    }
}

TEST(Damage, SlackAfterTheResourceIsIgnored) {
    // GetFileVersionInfoW hands out more bytes than the resource holds.
    std::vector<uint8_t> info = Fixture("zh_cn");
    const VersionInfoRecord expected = ParseVersionInfo(info);
    info.resize(info.size() * 2, 0xCC);
    EXPECT_EQ(ParseVersionInfo(info), expected);
}

TEST(Damage, ABlockShorterThanItsHeaderEndsTheSearchOfItsParent) {
    std::vector<uint8_t> info = Fixture("zh_cn");
    PutU16(info, BlockOf(info, u"StringFileInfo"), 0);
    const VersionInfoRecord r = ParseVersionInfo(info);
    EXPECT_EQ(Utf8(r.FileVersionText), "1.3.0.64");
    EXPECT_EQ(r.FileDescription, u"");
    EXPECT_FALSE(FirstTranslation(info)) << "VarFileInfo follows the damaged block";
}

TEST(Damage, ABlockRunningPastItsParentIsNotRead) {
    std::vector<uint8_t> info = Fixture("zh_cn");
    PutU16(info, BlockOf(info, u"FileDescription"), 0x7FFF);
    const VersionInfoRecord r = ParseVersionInfo(info);
    EXPECT_EQ(Utf8(r.CompanyName), "Tavrin") << "entries before the damage are still found";
    EXPECT_EQ(r.FileDescription, u"");
    EXPECT_EQ(r.ProductName, u"");
}

TEST(Damage, AKeyWithoutItsNulIsNotMatched) {
    std::vector<uint8_t> info = Fixture("zh_cn");
    const size_t block = BlockOf(info, u"InternalName");
    // Shorten the block so that it ends inside its key.
    PutU16(info, block, 6 + 8);
    EXPECT_EQ(ParseVersionInfo(info).InternalName, u"");
}

TEST(Damage, ARootWithoutFixedInfoGivesZeros) {
    std::vector<uint8_t> info = Fixture("zh_cn");
    PutU16(info, 2, 40);  // wValueLength of the root, shorter than VS_FIXEDFILEINFO
    EXPECT_FALSE(ReadFixedPart(info));
    const VersionInfoRecord r = ParseVersionInfo(info);
    EXPECT_EQ(r.FileVersionText, u"");
    EXPECT_EQ(r.FileRevision, 0);
}

TEST(Damage, RandomByteChangesKeepTheRecordConsistent) {
    constexpr uint32_t kSeed = 20240607;
    std::mt19937 random(kSeed);
    for (const std::string& name : FixtureNames()) {
        for (int round = 0; round < 300; ++round) {
            std::vector<uint8_t> info = Fixture(name);
            for (int k = 0; k < 4; ++k) {
                size_t at = std::uniform_int_distribution<size_t>(0, info.size() - 1)(random);
                info[at] = static_cast<uint8_t>(random());
            }
            const VersionInfoRecord r = ParseVersionInfo(info);
            if (r.FileVersionText.empty()) {
                ASSERT_EQ(static_cast<const FileVersionRecord&>(r), FileVersionRecord{})
                    << "seed " << kSeed << ", " << name << ", round " << round;
            } else {
                FileVersionRecord again = FixedPartFromHalves(
                    Halves(r.FileMajor, r.FileMinor), Halves(r.FileBuild, r.FileRevision),
                    Halves(r.ProductMajor, r.ProductMinor), Halves(r.ProductBuild, r.ProductRevision));
                ASSERT_EQ(again, static_cast<const FileVersionRecord&>(r))
                    << "seed " << kSeed << ", " << name << ", round " << round;
            }
            for (const std::u16string* text : {&r.FileDescription, &r.CompanyName, &r.ProductName})
                ASSERT_EQ(text->find(u'\0'), std::u16string::npos) << "seed " << kSeed;
        }
    }
}

}  // namespace
}  // namespace tavrin::version
