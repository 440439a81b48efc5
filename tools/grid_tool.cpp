#include "tools/grid_tool.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <memory>
#include <system_error>
#include <utility>
#include <vector>

#include "velmora/gridfile/grid_error.hpp"
#include "velmora/gridfile/grid_file.hpp"
#include "velmora/gridfile/grid_writer.hpp"
#include "velmora/version.hpp"

namespace velmora {

const std::string_view kGridToolUsage =
    "usage: velmora-grid info FILE\n"
    "       velmora-grid shift FILE LATITUDE LONGITUDE\n"
    "       velmora-grid convert [--content horizontal|geoid|vertical] IN OUT\n"
    "\n"
    "  info     shows the form, unit, defects and sub-grid tree of a grid file\n"
    "  shift    interpolates the file at a point in decimal degrees, north and east positive\n"
    "  convert  writes IN in the form named by OUT's extension\n"
    "\n"
    "FILE, IN and OUT end in .gsb or .gsa (NTv2 binary or text form), .gtx (GTX) or .tif (GeoTIFF).\n"
    "Exit status: 0 done, 1 usage or failure, 2 no sub-grid holds the point.\n";

const std::string_view kGridToolHelp =
    "velmora-grid shows what a grid file holds, interpolates it at a point, and converts it between\n"
    "the NTv2 binary (.gsb) and text (.gsa) forms, GTX (.gtx) and GeoTIFF (.tif). Where velmora\n"
    "quietly falls back to parameter sets because a grid is missing or refused, this tool says why.\n"
    "\n"
    "Usage:\n"
    "  velmora-grid info FILE\n"
    "  velmora-grid shift FILE LATITUDE LONGITUDE\n"
    "  velmora-grid convert [--content horizontal|geoid|vertical] IN OUT\n"
    "  velmora-grid --help | -h | --version\n"
    "\n"
    "Commands:\n"
    "  info FILE\n"
    "      Prints the file's form, what a GTX or GeoTIFF file holds (horizontal, geoid or vertical),\n"
    "      byte order and integer padding (binary form), unit, the number of sub-grids, each defect\n"
    "      found with its meaning, and the sub-grid tree: every sub-grid's name, parent, rows x\n"
    "      columns, nodes stored, latitude and longitude range and spacing in degrees, each child\n"
    "      indented two spaces under its parent.\n"
    "  shift FILE LATITUDE LONGITUDE\n"
    "      Interpolates the file at a point in decimal degrees, north and east positive, \".\" as the\n"
    "      decimal point (a leading + is allowed; no hemisphere letters). Prints the sub-grid chosen\n"
    "      and where the point lies in it, the latitude and longitude shifts in arc-seconds (north\n"
    "      and east positive), their accuracies, and the interpolated value: for a geoid or vertical\n"
    "      grid the value in metres, or \"no data\". A grid that reaches past 180 degrees also holds\n"
    "      points given the other way round (-175 as well as 185).\n"
    "  convert [--content horizontal|geoid|vertical] IN OUT\n"
    "      Writes IN in the form named by OUT's extension and prints one line: the file written, its\n"
    "      form, sub-grids and nodes. --content says what IN holds, which an NTv2 file does not say\n"
    "      (default: horizontal for NTv2 input, the file's own for GTX and GeoTIFF input; a GTX\n"
    "      file's geoid may be given as vertical, nothing else changes); a geoid or vertical grid\n"
    "      carries one value per node, the NTv2 latitude-shift field. A GTX file\n"
    "      holds one grid of one value per node: a horizontal grid, or one of several sub-grids, is\n"
    "      refused. OUT is replaced whole or left as it was; an OUT that is IN under another name or\n"
    "      through a link is refused.\n"
    "\n"
    "FILE, IN and OUT end in .gsb or .gsa (NTv2), .gtx (GTX) or .tif or .tiff (GeoTIFF, when the\n"
    "build reads it: --version lists the formats read); only regular files are read. Errors go to\n"
    "standard error and name the file, with the grid library's code where it gave one:\n"
    "  velmora-grid: AGD66_Australia.gsb: error 321: Cannot open file\n"
    "\n"
    "Exit status:\n"
    "  0  done, also after --help and --version\n"
    "  1  wrong arguments (the usage text is printed), a file that cannot be read or written, or\n"
    "     standard output that cannot be written\n"
    "  2  shift: no sub-grid holds the point\n"
    "\n"
    "Examples:\n"
    "  velmora-grid info AGD66_Australia.gsb\n"
    "  velmora-grid shift GDA2020_Australia.gsb -33.85678 151.21530\n"
    "  velmora-grid convert AUSGeoid2020.gsa AUSGeoid2020.gsb\n"
    "  velmora-grid convert --content geoid AUSGeoid2020.gsb AUSGeoid2020.tif\n";

namespace {

constexpr std::string_view kToolName = "velmora-grid";

GridToolResult usage() {
  return GridToolResult{kToolFailure, std::string(kGridToolUsage), ""};
}

GridToolResult failure(std::string_view fileName, std::string_view what) {
  GridToolResult result;
  result.status = kToolFailure;
  result.err = std::string(kToolName) + ": " + std::string(fileName) + ": " + std::string(what) + '\n';
  return result;
}

std::string counted(std::size_t count, std::string_view noun) {
  return std::to_string(count) + ' ' + std::string(noun) + (count == 1 ? "" : "s");
}

std::string unknownExtension() {
  return "unknown extension, expected .gsb, .gsa, .gtx or .tif";
}

std::string codeText(GridError error) {
  const char* message = gridErrorMessage(error);
  return "error " + std::to_string(error) + ": " + (message != nullptr ? message : "Unknown error");
}

std::optional<GridContent> contentNamed(std::string_view name) {
  for (const GridContent content : {GridContent::kHorizontal, GridContent::kGeoid, GridContent::kVertical}) {
    if (name == gridContentName(content)) return content;
  }
  return std::nullopt;
}

// Both names exist and lead to the same file (same device and inode): "x" and "./x", a hard link,
// a symbolic link.
bool sameFile(std::string_view first, std::string_view second) {
  struct stat a {};
  struct stat b {};
  return ::stat(std::string(first).c_str(), &a) == 0 && ::stat(std::string(second).c_str(), &b) == 0 &&
         a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Writes all of text to fd; 0, or the errno of the write that failed.
int writeWhole(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t wrote = ::write(fd, text.data(), text.size());
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote < 0) return errno;
    if (wrote == 0) return EIO;  // no progress: never loop for ever
    text.remove_prefix(static_cast<std::size_t>(wrote));
  }
  return 0;
}

// Opens by extension, keeping the reader's code so that it can be shown.
std::unique_ptr<GridFile> openForTool(std::string_view fileName, std::string& problem) {
  if (!gridFormFromName(fileName)) {
    problem = unknownExtension();
    return nullptr;
  }
  GridError error = kGridOk;
  std::unique_ptr<GridFile> grid = openGridFile(fileName, error);
  if (grid == nullptr) problem = codeText(error);
  return grid;
}

GridToolResult runInfo(std::string_view fileName) {
  std::string problem;
  const std::unique_ptr<GridFile> grid = openForTool(fileName, problem);
  if (grid == nullptr) return failure(fileName, problem);
  return GridToolResult{kToolSuccess, formatGridInfo(*grid, grid->form()), ""};
}

GridToolResult runShift(std::string_view fileName, double latitude, double longitude) {
  std::string problem;
  const std::unique_ptr<GridFile> grid = openForTool(fileName, problem);
  if (grid == nullptr) return failure(fileName, problem);
  GridShiftReport report = formatGridShift(*grid, grid->form(), latitude, longitude);
  if (!report.found) {
    GridToolResult result = failure(fileName, "no sub-grid holds latitude " + formatFixed(latitude, 9) +
                                                  ", longitude " + formatFixed(longitude, 9));
    result.status = kToolOutsideGrid;
    return result;
  }
  return GridToolResult{kToolSuccess, std::move(report.text), ""};
}

GridToolResult runConvert(std::string_view inName, std::string_view outName, std::optional<GridContent> content) {
  // The output form is checked first, so that a mistyped name costs no read of a large file.
  const std::optional<GridForm> outForm = gridFormFromName(outName);
  if (!outForm) return failure(outName, unknownExtension());
  if (!gridFormReadable(*outForm)) return failure(outName, codeText(kGridNoGeoTiffSupport));
  // Converting a file onto itself can only be a slip: it would replace the input, and with the
  // other form when a link gives the file a name of each form.
  if (sameFile(inName, outName)) {
    return failure(outName, "same file as the input " + std::string(inName) + ", not converted");
  }
  std::string problem;
  const std::unique_ptr<GridFile> grid = openForTool(inName, problem);
  if (grid == nullptr) return failure(inName, problem);

  GridImage image = gridImageFromFile(*grid);
  // A GeoTIFF grid says what it holds, and a GTX file holds heights of one kind or the other: only
  // what the file leaves open may be given.
  const GridForm inForm = grid->form();
  const GridContent own = grid->content();
  const bool fixed = inForm == GridForm::kGeoTiff || (inForm == GridForm::kGtx && content == GridContent::kHorizontal);
  if (content && fixed && *content != own) {
    return failure(inName, "holds a " + std::string(gridContentName(own)) + " grid, as the file says: --content " +
                               std::string(gridContentName(*content)) + " does not apply");
  }
  if (content) image.content = *content;
  std::string bytes;
  GridError error = kGridOk;
  switch (*outForm) {
    case GridForm::kBinary:
      bytes = encodeBinaryGrid(image);
      break;
    case GridForm::kText:
      bytes = encodeAsciiGrid(image);
      break;
    case GridForm::kGtx:
      if (image.content == GridContent::kHorizontal) {
        const bool ntv2 = inForm == GridForm::kBinary || inForm == GridForm::kText;
        return failure(outName, std::string("a GTX file holds one value per node: a horizontal grid cannot be "
                                            "written as GTX") +
                                    (ntv2 ? " (give --content geoid or vertical for a geoid or vertical grid)" : ""));
      }
      if (image.subGrids.size() != 1) {
        return failure(outName, "a GTX file holds one grid: " + counted(image.subGrids.size(), "sub-grid") +
                                    " cannot be written as GTX");
      }
      error = encodeGtxGrid(image, bytes);
      break;
    case GridForm::kGeoTiff:
      error = encodeGeoTiffGrid(image, bytes);
      break;
  }
  if (error != kGridOk) return failure(outName, codeText(error));
  if (const std::error_code writeError = writeFileAtomically(outName, bytes)) {
    return failure(outName, "cannot write the file: " + writeError.message());
  }

  std::size_t nodes = 0;
  for (const SubGridImage& sub : image.subGrids) nodes += sub.nodes.size();
  GridToolResult result;
  result.out = "Wrote " + std::string(outName) + ": " + std::string(gridFormName(*outForm)) + " form, " +
               counted(image.subGrids.size(), "sub-grid") + ", " + counted(nodes, "node") + '\n';
  return result;
}

}  // namespace

std::optional<double> parseDecimalNumber(std::string_view text) {
  // std::from_chars ignores the locale, which is the point: "." is the decimal point everywhere.
  // It takes no leading "+", which users write for north and east.
  if (text.size() > 1 && text.front() == '+' && text[1] != '-' && text[1] != '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  double value = 0.0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

int writeGridToolResult(const GridToolResult& result, int outFd, int errFd) {
  const int outError = writeWhole(outFd, result.out);
  writeWhole(errFd, result.err);
  if (outError == 0) return result.status;
  const std::string message = std::string(kToolName) +
                              ": cannot write standard output: " + std::generic_category().message(outError) +
                              '\n';
  writeWhole(errFd, message);
  return kToolFailure;
}

GridToolResult runGridTool(std::span<const std::string_view> arguments) {
  if (arguments.empty()) return usage();
  const std::string_view command = arguments[0];
  // Asked for, help and version are answers, not usage errors: standard output and status 0,
  // whatever follows them.
  if (command == "--help" || command == "-h") {
    return GridToolResult{kToolSuccess, std::string(kGridToolHelp), ""};
  }
  if (command == "--version") {
    return GridToolResult{kToolSuccess,
                          std::string(kToolName) + ' ' + std::string(kVersion) + "\ngrid formats read: " +
                              std::string(gridFormatsRead()) + '\n',
                          ""};
  }
  if (command == "info" && arguments.size() == 2) return runInfo(arguments[1]);
  if (command == "shift" && arguments.size() == 4) {
    const std::optional<double> latitude = parseDecimalNumber(arguments[2]);
    const std::optional<double> longitude = parseDecimalNumber(arguments[3]);
    if (!latitude || !longitude) return usage();
    return runShift(arguments[1], *latitude, *longitude);
  }
  if (command == "convert") {
    // --content VALUE anywhere among the arguments, at most once; IN and OUT in that order.
    std::optional<GridContent> content;
    std::vector<std::string_view> names;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
      if (arguments[i] == "--content") {
        if (content || i + 1 == arguments.size()) return usage();
        content = contentNamed(arguments[++i]);
        if (!content) {
          return GridToolResult{kToolFailure, "", "velmora-grid: --content '" + std::string(arguments[i]) +
                                           "': expected horizontal, geoid or vertical\n"};
        }
      } else {
        names.push_back(arguments[i]);
      }
    }
    if (names.size() == 2) return runConvert(names[0], names[1], content);
  }
  return usage();
}

}  // namespace velmora
