#include "velmora/app/help_text.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <sstream>
#include <string>
#include <string_view>

#include "tests/support/doc_text.hpp"
#include "velmora/app/options.hpp"

namespace velmora {
namespace {

TEST(HelpText, NamesEveryOptionDatumValueGridFileAndMethod) {
  // What a user may type or read in a result: an option, datum or method added to the program
  // without a word in the help fails here once it is added to this table.
  constexpr std::string_view kNames[] = {
      // options, as the help spells them
      "--inputFile", "--fromDatum", "--fromCoordType", "--fromHeightType", "--toDatum", "--toCoordType",
      "--toHeightType", "--zone", "--ISGSubZone", "--epoch", "--fromEpoch", "--toEpoch", "--epochColumn",
      "--useGridShift", "--hemisphere", "--useITRF2008", "--useAusGeoid98", "--gridFolder", "--grid",
      "--threads", "--strict", "--showMethod", "--summary", "--help", "-h", "--version",
      // datums, coordinate forms, height types
      "AGD66", "AGD84", "GDA94", "GDA2020", "ANG", "ISG", "NZGD49", "NZGD2000", "WGS84", "ITRF2000",
      "ITRF2008", "ITRF2014", "ITRF2020", "ATRF2014", "EN", "DMS", "DM", "DD", "NONE", "Ellipsoid", "AHD",
      // grid files
      "AGD66_Australia.gsb", "AGD84_Australia.gsb", "GDA2020_Australia.gsb", "AUSGeoid2020.gsb",
      "AUSGeoid09.gsb", "AUSGeoid98.gsb",
      // --showMethod vocabulary
      "grid:FILE:SUBGRID", "grid-margin:FILE:SUBGRID", "helmert:FROM-TO", "molodensky:ANG-GDA94", "nz-rule",
      "approximate", "unchanged", "no-transformation", "geoid:FILE:SUBGRID", "geoid-missing:FILE",
      "geoid-outside:FILE", "geoid-nodata:FILE"};
  for (const std::string_view name : kNames) EXPECT_TRUE(mentions(kHelpText, name)) << name;
}

TEST(HelpText, LinesAreShorterThan100CharactersAndAsciiButTheDegreeSign) {
  constexpr std::string_view kDegreeSign = "\xC2\xB0";  // UTF-8
  ASSERT_FALSE(kHelpText.empty());
  EXPECT_EQ(kHelpText.back(), '\n');
  std::string_view rest = kHelpText;
  for (int number = 1; !rest.empty(); ++number) {
    const std::string_view line = rest.substr(0, rest.find('\n'));
    rest.remove_prefix(std::min(rest.size(), line.size() + 1));
    std::size_t characters = 0;
    for (std::size_t at = 0; at < line.size(); ++characters) {
      if (line.substr(at, kDegreeSign.size()) == kDegreeSign) {
        at += kDegreeSign.size();
        continue;
      }
      const auto c = static_cast<unsigned char>(line[at++]);
      EXPECT_TRUE(c >= 0x20 && c < 0x7F) << "line " << number << ": byte " << int{c};
    }
    EXPECT_LT(characters, 100U) << "line " << number << ": " << line;
  }
}

// The words of text on one line, single spaces between them; a line that starts with a roff macro
// (".B", ".BR", ".TP") loses the macro, so that a manual's sentence reads as it renders.
std::string sentenceWords(std::string_view text) {
  std::istringstream lines{std::string(text)};
  std::string words;
  for (std::string line; std::getline(lines, line);) {
    std::istringstream in(line);
    std::string word;
    for (bool first = true; in >> word; first = false) {
      if (first && word.starts_with('.')) continue;
      words.append(words.empty() ? "" : " ").append(word);
    }
  }
  return words;
}

// The entry of an option in the help: its first line and the lines of its description.
std::string helpEntry(std::string_view option) {
  const std::size_t start = kHelpText.find("\n  " + std::string(option) + " ");
  if (start == std::string_view::npos) return {};
  std::size_t end = kHelpText.find("\n  -", start + 1);
  return std::string(kHelpText.substr(start, end == std::string_view::npos ? end : end - start));
}

// What a run whose lines --strict failed does to --outputFile: the manual's rule (the file is put
// in place, the failed lines as empty fields) stands, and the help says the same.
TEST(HelpText, OutputFileAfterStrictFailuresAgreesWithTheManPage) {
  const std::string page = sentenceWords(manPageWords(VELMORA_MAN_DIR "/velmora.1"));
  EXPECT_NE(page.find("A completed run is renamed into place even when --strict reported failed lines"),
            std::string::npos);
  const std::string help = sentenceWords(helpEntry("--outputFile"));
  ASSERT_FALSE(help.empty());
  EXPECT_NE(help.find("put in place when the run completes, also when --strict failed lines"),
            std::string::npos)
      << help;
  EXPECT_EQ(help.find("failed or stopped run"), std::string::npos) << help;
}

// A page shows each option's entry as its tooltip: every option has one, whole, and only its own.
TEST(HelpText, EveryOptionHasAnEntryOfItsOwn) {
  for (const std::string_view name : optionNames()) {
    if (name == "-h") continue;
    SCOPED_TRACE(name);
    const std::string entry = optionHelp(name);
    ASSERT_TRUE(entry.starts_with("  --")) << entry;
    EXPECT_NE(entry.substr(0, entry.find('\n')).find(name), std::string::npos);
    EXPECT_EQ(entry.find("\n  --"), std::string::npos);  // no second entry
    EXPECT_TRUE(entry.ends_with("\n"));
  }
  EXPECT_NE(optionHelp("--toZone").find("auto"), std::string::npos);
  EXPECT_NE(optionHelp("--zone").find("--fromZone"), std::string::npos);
  EXPECT_EQ(optionHelp("--nonsense"), "");
}

}  // namespace
}  // namespace velmora
