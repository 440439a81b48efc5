#include "common/text_buffer.hpp"

#include <gtest/gtest.h>

#include <string>

namespace velmora {
namespace {

TEST(TextBuffer, NewBuffersCarrySeventeenSpareBytes) {
  const TextBuffer empty;
  EXPECT_EQ(empty.capacity(), 17);
  EXPECT_EQ(empty.length(), 0);
  EXPECT_STREQ(empty.data(), "");

  const TextBuffer made("abcdef");
  EXPECT_EQ(made.capacity(), 6 + 17);
  EXPECT_EQ(made.length(), 6);
  EXPECT_STREQ(made.data(), "abcdef");

  const TextBuffer copy(made);  // a copy is sized from its text, not from the original's room
  EXPECT_EQ(copy.capacity(), 23);
  EXPECT_NE(copy.data(), made.data());
}

TEST(TextBuffer, AssignStaysInPlaceWhileItFitsAndNeverShrinks) {
  TextBuffer buffer;                     // capacity 17: holds up to 16 characters
  buffer.assign("0123456789abcdef");  // 16 characters: in place
  EXPECT_EQ(buffer.capacity(), 17);
  buffer.assign("0123456789abcdefg");  // 17 characters: 17 + 17
  EXPECT_EQ(buffer.capacity(), 34);
  EXPECT_STREQ(buffer.data(), "0123456789abcdefg");
  buffer.assign("x");  // storage never shrinks
  EXPECT_EQ(buffer.capacity(), 34);
  EXPECT_EQ(buffer.length(), 1);
  EXPECT_STREQ(buffer.data(), "x");
}

TEST(TextBuffer, SelfAssignmentChangesNothing) {
  TextBuffer buffer("folder/");
  const char* before = buffer.data();
  buffer.assign(buffer);
  EXPECT_EQ(buffer.data(), before);
  EXPECT_STREQ(buffer.data(), "folder/");
  EXPECT_EQ(buffer.capacity(), 24);
}

TEST(TextBuffer, AssignFromOwnStorageSurvivesReallocation) {
  TextBuffer buffer("abc");
  buffer.assign(buffer.view().substr(1));  // overlapping, in place
  EXPECT_STREQ(buffer.data(), "bc");
}

TEST(TextBuffer, AppendKeepsContentsAcrossReallocation) {
  TextBuffer buffer("/opt/velmora/");  // 13 + 17 = 30
  buffer.append("AGD66_Australia.gsb");
  EXPECT_STREQ(buffer.data(), "/opt/velmora/AGD66_Australia.gsb");
  EXPECT_EQ(buffer.length(), 32);
  EXPECT_EQ(buffer.capacity(), 32 + 17);
  buffer.append(buffer.view());  // appending the buffer to itself doubles it
  EXPECT_EQ(buffer.str(), "/opt/velmora/AGD66_Australia.gsb/opt/velmora/AGD66_Australia.gsb");
}

TEST(TextBuffer, FormatNeverCutsText) {
  TextBuffer buffer;
  const std::string longText(1000, 'q');
  buffer.format("%s|%d", longText.c_str(), 42);  // far beyond the first attempt's room
  EXPECT_EQ(buffer.str(), longText + "|42");
  buffer.format("%s %d %.4f", "-33", 52, 10.5);
  EXPECT_STREQ(buffer.data(), "-33 52 10.5000");
  buffer.format("<%s>", buffer.data());  // an argument inside the buffer itself
  EXPECT_STREQ(buffer.data(), "<-33 52 10.5000>");
}

TEST(TextBuffer, ReleaseEmptiesAndTheBufferStaysUsable) {
  TextBuffer buffer("abc");
  buffer.release();
  EXPECT_EQ(buffer.capacity(), 0);
  EXPECT_EQ(buffer.length(), 0);
  EXPECT_STREQ(buffer.data(), "");
  buffer.append("de");
  EXPECT_STREQ(buffer.data(), "de");
  EXPECT_EQ(buffer.capacity(), 2 + 17);
}

}  // namespace
}  // namespace velmora
