#include "velmora/app/record_fields.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmora {
namespace {

std::vector<std::string> fieldsOf(std::string_view body, Delimiter delimiter) {
  std::vector<FieldRange> ranges;
  splitRecord(body, delimiter, ranges);
  std::vector<std::string> fields;
  for (const FieldRange& range : ranges)
    fields.emplace_back(body.substr(range.begin, range.end - range.begin));
  return fields;
}

TEST(RecordFields, SplitKeepsQuotedAndEmptyFields) {
  struct Case {
    std::string body;
    Delimiter delimiter;
    std::vector<std::string> fields;
  };
  const Case cases[] = {
      {"PM1,,-33.8,151.2", Delimiter::kComma, {"PM1", "", "-33.8", "151.2"}},
      {"\"PM 2, north\",-31.9,\"a \"\"q\"\"\",",
       Delimiter::kComma,
       {"\"PM 2, north\"", "-31.9", "\"a \"\"q\"\"\"", ""}},
      {"\"unclosed, quote", Delimiter::kComma, {"\"unclosed, quote"}},
      {"a;b;c", Delimiter::kSemicolon, {"a", "b", "c"}},
      {"a\t\tb", Delimiter::kTab, {"a", "", "b"}},
      {"  PM1   -33:51:24 \t151:12:55  ", Delimiter::kSpace, {"PM1", "-33:51:24", "151:12:55"}},
      {"\"PM 1\" 1 2", Delimiter::kSpace, {"\"PM 1\"", "1", "2"}},
      {"   ", Delimiter::kSpace, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    EXPECT_EQ(fieldsOf(c.body, c.delimiter), c.fields);
  }
  std::string scratch;
  EXPECT_EQ(fieldValue("\"a \"\"q\"\"\"", scratch), "a \"q\"");
  EXPECT_EQ(fieldValue("plain", scratch), "plain");
}

TEST(RecordFields, ResultLinesTakeTheDelimiter) {
  std::string results = "keep,this\n-33 51 24.3623,151 12 55.0996,1.000\n,,\n";
  const std::size_t start = results.find('\n') + 1;
  std::string semicolons = results;
  withDelimiter(Delimiter::kSemicolon, semicolons, start);
  EXPECT_EQ(semicolons, "keep,this\n-33 51 24.3623;151 12 55.0996;1.000\n;;\n");
  withDelimiter(Delimiter::kSpace, results, start);
  EXPECT_EQ(results, "keep,this\n-33:51:24.3623 151:12:55.0996 1.000\n* * *\n");
}

}  // namespace
}  // namespace velmora
