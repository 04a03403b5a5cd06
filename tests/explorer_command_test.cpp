// Where two programs meet: the folder commands the registrar writes split, as the pack builder
// splits its command line, into the packer, its switches and the right-clicked folder.
#include <gtest/gtest.h>

#include "cmdline.h"
#include "environment.h"

namespace tavrin {
namespace {

TEST(ExplorerCommand, RegisteredCommandsSplitIntoPackerSwitchesAndTheRightClickedFolder) {
    const std::u16string packer = u"C:\\Program Files\\Tavrin 工具\\tunebale.exe";
    const std::u16string folder = u"D:\\My Songs\\歌曲 一";
    const std::vector<RegistryEntry> entries = RegistrationEntries(packer);
    for (auto [index, switches] : {std::pair{5, u"-cpr"}, std::pair{7, u"-cr"}}) {
        SCOPED_TRACE(index);
        std::u16string command = entries[static_cast<size_t>(index)].value;
        command.replace(command.find(u"%1"), 2, folder);  // as Explorer substitutes it
        const std::vector<std::u16string> tokens = SplitCommandLine(command, u"fallback");
        ASSERT_EQ(tokens.size(), 3u);
        EXPECT_TRUE(tokens[0] == packer);
        EXPECT_TRUE(tokens[1] == switches);
        EXPECT_TRUE(tokens[2] == folder);
    }
}

}  // namespace
}  // namespace tavrin
