// libtiff handles on an open grid file or on bytes in memory, with libtiff's errors and warnings
// caught per handle: nothing is printed, no process-wide handler or tag extender is set.
#pragma once

#include <tiffio.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

// The most libtiff may allocate in one piece for a handle (a strip or tile buffer, a tag array).
inline constexpr std::int64_t kMaxTiffSingleAllocationBytes = 256LL * 1024 * 1024;

class TiffHandle {
 public:
  // Reads the TIFF in file (size bytes long, read from its start); the file stays the caller's.
  // get() is nullptr when libtiff refuses the file.
  static TiffHandle forReading(std::FILE* file, std::int64_t size);
  // Writes a TIFF into memory; bytes() holds it after close().
  static TiffHandle forWriting();

  TiffHandle(TiffHandle&&) noexcept;
  TiffHandle& operator=(TiffHandle&&) noexcept;
  ~TiffHandle();

  TIFF* get() const;
  // Closes the handle (writing the last directory); false when libtiff reported an error at any time.
  bool close();
  const std::string& bytes() const;
  // Whether libtiff reported an error on this handle.
  bool failed() const;

  struct Stream;  // defined in the source, used by the libtiff callbacks there

 private:
  TiffHandle();
  std::unique_ptr<Stream> stream_;
  TIFF* tiff_ = nullptr;
};

// A tag's values as numbers whatever its stored type (BYTE to DOUBLE, signed or not), read through
// the handle's own field information (libtiff registers a tag it does not know when it reads it);
// nullopt when the directory lacks the tag or holds it as text.
std::optional<std::vector<double>> tiffNumbers(TIFF* tiff, std::uint32_t tag);

// A tag's ASCII value; nullopt when the directory lacks it or it is not text.
std::optional<std::string> tiffText(TIFF* tiff, std::uint32_t tag);

// Registers on the handle the GeoTIFF tags libtiff does not know, so they can be written: model
// pixel scale, tie point and transformation (DOUBLE), the GeoKey directory (SHORT) and GDAL's
// metadata and nodata texts (ASCII). libtiff forgets them when it starts a new directory: call it
// for each directory written.
bool registerGeoTiffTags(TIFF* tiff);

}  // namespace velmora
