#include "gridfile/gdal_metadata.hpp"

#include <charconv>

namespace velmora {

namespace {

constexpr int kMaxSampleIndex = 65535;  // TIFF counts samples in a SHORT
constexpr unsigned kLastAscii = 0x7F;

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  void skipSpace() {
    while (pos_ < text_.size() && isSpace(text_[pos_])) ++pos_;
  }
  bool atEnd() const { return pos_ >= text_.size(); }
  bool consume(std::string_view token) {
    if (text_.substr(pos_, token.size()) != token) return false;
    pos_ += token.size();
    return true;
  }
  bool peek(std::string_view token) const { return text_.substr(pos_, token.size()) == token; }

  // Skips "<?...?>" declarations.
  bool skipDeclarations() {
    skipSpace();
    while (consume("<?")) {
      const std::size_t end = text_.find("?>", pos_);
      if (end == std::string_view::npos) return false;
      pos_ = end + 2;
      skipSpace();
    }
    return true;
  }

  bool name(std::string& out) {
    const std::size_t start = pos_;
    while (pos_ < text_.size() && !isSpace(text_[pos_]) && text_[pos_] != '=' && text_[pos_] != '>' &&
           text_[pos_] != '/' && text_[pos_] != '<') {
      ++pos_;
    }
    out.assign(text_.substr(start, pos_ - start));
    return !out.empty();
  }

  // Text up to the stop character with entities replaced; false for a bad entity or a "<" in it.
  bool text(char stop, std::string& out) {
    out.clear();
    while (pos_ < text_.size() && text_[pos_] != stop) {
      const char c = text_[pos_];
      if (c == '<') return false;
      if (c != '&') {
        out += c;
        ++pos_;
        continue;
      }
      const std::size_t semicolon = text_.find(';', pos_);
      if (semicolon == std::string_view::npos) return false;
      const std::string_view entity = text_.substr(pos_ + 1, semicolon - pos_ - 1);
      pos_ = semicolon + 1;
      if (entity == "amp") {
        out += '&';
      } else if (entity == "lt") {
        out += '<';
      } else if (entity == "gt") {
        out += '>';
      } else if (entity == "quot") {
        out += '"';
      } else if (entity == "apos") {
        out += '\'';
      } else if (entity.size() > 1 && entity[0] == '#') {
        const bool hex = entity[1] == 'x';
        const std::string_view digits = entity.substr(hex ? 2 : 1);
        unsigned code = 0;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
        if (ec != std::errc() || end != digits.data() + digits.size() || code == 0 || code > kLastAscii) return false;
        out += static_cast<char>(code);
      } else {
        return false;
      }
    }
    return pos_ < text_.size();
  }

  // An Item element after its "<Item"; false when malformed.
  bool item(GdalMetadataItem& item) {
    bool hasName = false;
    for (;;) {
      skipSpace();
      if (consume("/>")) return hasName;
      if (consume(">")) break;
      std::string attribute;
      if (!name(attribute)) return false;
      skipSpace();
      if (!consume("=")) return false;
      skipSpace();
      if (atEnd()) return false;
      const char quote = text_[pos_];
      if (quote != '"' && quote != '\'') return false;
      ++pos_;
      std::string value;
      if (!text(quote, value)) return false;
      ++pos_;
      if (attribute == "name") {
        item.name = value;
        hasName = true;
      } else if (attribute == "role") {
        item.role = value;
      } else if (attribute == "sample") {
        int sample = 0;
        const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), sample);
        if (ec != std::errc() || end != value.data() + value.size() || sample < 0 || sample > kMaxSampleIndex)
          return false;
        item.sample = sample;
      }
      // Other attributes are allowed and ignored.
    }
    if (!text('<', item.value)) return false;
    return hasName && consume("</Item>");
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

std::string escaped(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace

std::optional<std::vector<GdalMetadataItem>> parseGdalMetadata(std::string_view xml) {
  if (xml.size() > kMaxGdalMetadataBytes) return std::nullopt;
  Parser in(xml);
  if (!in.skipDeclarations() || !in.consume("<GDALMetadata")) return std::nullopt;
  in.skipSpace();
  std::vector<GdalMetadataItem> items;
  if (in.consume("/>")) {
    in.skipSpace();
    return in.atEnd() ? std::optional(items) : std::nullopt;
  }
  if (!in.consume(">")) return std::nullopt;
  for (;;) {
    in.skipSpace();
    if (in.consume("</GDALMetadata>")) break;
    if (!in.consume("<Item") || !(in.peek(" ") || in.peek("\t") || in.peek("\n") || in.peek("\r"))) {
      return std::nullopt;
    }
    if (items.size() == kMaxGdalMetadataItems) return std::nullopt;
    if (!in.item(items.emplace_back())) return std::nullopt;
  }
  in.skipSpace();
  if (!in.atEnd()) return std::nullopt;
  return items;
}

std::string encodeGdalMetadata(const std::vector<GdalMetadataItem>& items) {
  std::string xml = "<GDALMetadata>\n";
  for (const GdalMetadataItem& item : items) {
    xml += "  <Item name=\"" + escaped(item.name) + '"';
    if (item.sample >= 0) xml += " sample=\"" + std::to_string(item.sample) + '"';
    if (!item.role.empty()) xml += " role=\"" + escaped(item.role) + '"';
    xml += '>' + escaped(item.value) + "</Item>\n";
  }
  xml += "</GDALMetadata>";
  return xml;
}

}  // namespace velmora
