// An owned, growable, zero-terminated character buffer for file names and formatted text.
//
// Growth rule: a new empty buffer holds 17 bytes, one made from a text of length L holds L + 17.
// New contents of length N stay in place while capacity >= N + 1; otherwise N + 17 bytes are
// allocated and the old storage is released. Storage never shrinks (release() aside).
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace velmora {

class TextBuffer {
 public:
  static constexpr int kSpareBytes = 17;  // head-room allocated beyond every new length

  TextBuffer();
  explicit TextBuffer(std::string_view text);
  TextBuffer(const TextBuffer& other);  // a fresh copy, sized as if made from other's text
  TextBuffer(TextBuffer&& other) noexcept;
  TextBuffer& operator=(const TextBuffer& other);
  TextBuffer& operator=(TextBuffer&& other) noexcept;
  ~TextBuffer() = default;

  // Replaces the contents. The text may point into this buffer's own storage.
  void assign(std::string_view text);
  // Assigning a buffer to itself changes nothing.
  void assign(const TextBuffer& other);
  // Adds text at the end; the previous contents survive a reallocation.
  void append(std::string_view text);
  // printf-style contents, never cut: the room starts at strlen(format) + length() + 33 and doubles
  // until the formatted text fits. Arguments may point into this buffer's own storage.
  void format(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Frees the storage; capacity and length become 0. The buffer stays usable.
  void release();

  // Zero-terminated contents; "" after release().
  const char* data() const { return storage_ ? storage_.get() : ""; }
  int capacity() const { return capacity_; }
  int length() const { return length_; }
  std::string_view view() const { return {data(), static_cast<std::size_t>(length_)}; }
  std::string str() const { return std::string(view()); }

 private:
  void store(std::string_view text);

  std::unique_ptr<char[]> storage_;
  int capacity_ = 0;
  int length_ = 0;
};

}  // namespace velmora
