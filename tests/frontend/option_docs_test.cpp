// Every option the program accepts is documented: in its manual page and in --help. The list comes
// from the command-line scanner itself, so a new option fails here until both describe it.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "frontend/command_line.hpp"
#include "frontend/help_text.hpp"
#include "tests/support/doc_text.hpp"

namespace velmora {
namespace {

TEST(OptionDocs, ManPageNamesEveryOption) {
  const std::string page = manPageWords(VELMORA_MAN_DIR "/velmora.1");
  ASSERT_FALSE(page.empty());
  for (const std::string_view name : optionNames()) EXPECT_TRUE(mentions(page, name)) << name;
  // The environment variable and every grid file the program looks for.
  for (const std::string_view name :
       {"VELMORA_GRID_DIR", "AGD66_Australia.gsb", "AGD84_Australia.gsb", "GDA2020_Australia.gsb",
        "AUSGeoid2020.gsb", "AUSGeoid09.gsb", "AUSGeoid98.gsb"}) {
    EXPECT_TRUE(mentions(page, name)) << name;
  }
}

TEST(OptionDocs, HelpNamesEveryOption) {
  for (const std::string_view name : optionNames()) EXPECT_TRUE(mentions(kHelpText, name)) << name;
}

}  // namespace
}  // namespace velmora
