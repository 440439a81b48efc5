#include "common/text_buffer.hpp"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

namespace velmora {
namespace {

// Extra room of the first formatting attempt beyond the format text and the current contents.
constexpr int kFormatHeadRoom = 33;

int checkedLength(std::size_t size) {
  // A buffer's length is an int; anything longer cannot be held.
  if (size > static_cast<std::size_t>(INT32_MAX - TextBuffer::kSpareBytes)) throw std::bad_alloc();
  return static_cast<int>(size);
}

}  // namespace

TextBuffer::TextBuffer()
    : storage_(std::make_unique<char[]>(kSpareBytes)), capacity_(kSpareBytes), length_(0) {}

TextBuffer::TextBuffer(std::string_view text) {
  const int n = checkedLength(text.size());
  storage_ = std::make_unique<char[]>(static_cast<std::size_t>(n) + kSpareBytes);
  capacity_ = n + kSpareBytes;
  std::memcpy(storage_.get(), text.data(), text.size());
  storage_[n] = '\0';
  length_ = n;
}

TextBuffer::TextBuffer(const TextBuffer& other) : TextBuffer(other.view()) {}

TextBuffer::TextBuffer(TextBuffer&& other) noexcept
    : storage_(std::move(other.storage_)), capacity_(other.capacity_), length_(other.length_) {
  other.capacity_ = 0;
  other.length_ = 0;
}

TextBuffer& TextBuffer::operator=(const TextBuffer& other) {
  assign(other);
  return *this;
}

TextBuffer& TextBuffer::operator=(TextBuffer&& other) noexcept {
  if (this != &other) {
    storage_ = std::move(other.storage_);
    capacity_ = other.capacity_;
    length_ = other.length_;
    other.capacity_ = 0;
    other.length_ = 0;
  }
  return *this;
}

void TextBuffer::store(std::string_view text) {
  const int n = checkedLength(text.size());
  if (capacity_ >= n + 1) {
    // In place; memmove because the text may overlap the storage.
    std::memmove(storage_.get(), text.data(), text.size());
    storage_[n] = '\0';
  } else {
    // The new storage is filled before the old one goes, so text inside the old storage survives.
    auto fresh = std::make_unique<char[]>(static_cast<std::size_t>(n) + kSpareBytes);
    std::memcpy(fresh.get(), text.data(), text.size());
    fresh[n] = '\0';
    storage_ = std::move(fresh);
    capacity_ = n + kSpareBytes;
  }
  length_ = n;
}

void TextBuffer::assign(std::string_view text) { store(text); }

void TextBuffer::assign(const TextBuffer& other) {
  if (this == &other) return;
  store(other.view());
}

void TextBuffer::append(std::string_view text) {
  const int n = checkedLength(static_cast<std::size_t>(length_) + text.size());
  if (capacity_ >= n + 1) {
    std::memmove(storage_.get() + length_, text.data(), text.size());
    storage_[n] = '\0';
    length_ = n;
    return;
  }
  std::string joined;
  joined.reserve(static_cast<std::size_t>(n));
  joined.append(view()).append(text);
  store(joined);
}

void TextBuffer::format(const char* format, ...) {
  std::size_t room = std::strlen(format) + static_cast<std::size_t>(length_) + kFormatHeadRoom;
  std::vector<char> scratch;
  for (;;) {
    scratch.resize(room);
    va_list args;
    va_start(args, format);
    const int written = std::vsnprintf(scratch.data(), room, format, args);
    va_end(args);
    if (written < 0) {  // an encoding error: the contents become empty rather than garbage
      store({});
      return;
    }
    if (static_cast<std::size_t>(written) < room) {
      store(std::string_view(scratch.data(), static_cast<std::size_t>(written)));
      return;
    }
    room *= 2;
  }
}

void TextBuffer::release() {
  storage_.reset();
  capacity_ = 0;
  length_ = 0;
}

}  // namespace velmora
