// Every option the program accepts is documented: in its manual page and in --help. The list comes
// from the command-line scanner itself and the grid files from the converter, so a new option or
// grid fails here until both describe it.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "app/command_line.hpp"
#include "tests/support/doc_text.hpp"
#include "velmora/app/help_text.hpp"
#include "velmora/app/options.hpp"
#include "velmora/converter.hpp"

namespace velmora {
namespace {

TEST(OptionDocs, ManPageNamesEveryOption) {
  const std::string page = manPageWords(VELMORA_MAN_DIR "/velmora.1");
  ASSERT_FALSE(page.empty());
  for (const std::string_view name : optionNames()) EXPECT_TRUE(mentions(page, name)) << name;
  // The environment variable and every grid file the program looks for.
  EXPECT_TRUE(mentions(page, "VELMORA_GRID_DIR"));
  for (const GridId id : kGridIds) {
    for (const std::string_view name : gridFileNames(id)) EXPECT_TRUE(mentions(page, name)) << name;
  }
}

TEST(OptionDocs, HelpNamesEveryOptionAndGridFile) {
  for (const std::string_view name : optionNames()) EXPECT_TRUE(mentions(kHelpText, name)) << name;
  for (const GridId id : kGridIds) {
    EXPECT_TRUE(mentions(kHelpText, gridSlotName(id))) << gridSlotName(id);
    for (const std::string_view name : gridFileNames(id)) EXPECT_TRUE(mentions(kHelpText, name)) << name;
  }
}

}  // namespace
}  // namespace velmora
