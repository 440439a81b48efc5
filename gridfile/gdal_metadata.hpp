// The GDAL_METADATA TIFF tag (42112): an XML document, root <GDALMetadata>, holding only
// <Item name="..." [sample="n"] [role="..."]>value</Item> elements. Read with a small strict
// parser: no DTD, no comments inside items, the five predefined entities and numeric character
// references of ASCII characters, a bounded size and number of items.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

inline constexpr std::size_t kMaxGdalMetadataBytes = 1 << 20;  // far above any grid's few items
inline constexpr std::size_t kMaxGdalMetadataItems = 4096;

struct GdalMetadataItem {
  std::string name;
  int sample = -1;  // -1: the item is about the whole dataset
  std::string role;
  std::string value;
};

// The items in document order; nullopt for text that is not such a document (or is too large).
std::optional<std::vector<GdalMetadataItem>> parseGdalMetadata(std::string_view xml);

// The document holding items, values and attributes escaped.
std::string encodeGdalMetadata(const std::vector<GdalMetadataItem>& items);

}  // namespace velmora
