// The engine of the web page: the program's own run and checks, called from JavaScript in a Web
// Worker. Arguments come as a JSON array of strings, answers go back as JSON text; standard output
// and standard error of a run are handed to the page in chunks as they are written, so that a file
// of any size streams through without being held.
#include <emscripten/bind.h>
#include <emscripten/emscripten.h>

#include <stdio.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/command_line.hpp"
#include "app/run_driver.hpp"
#include "velmora/app/grid_problems.hpp"
#include "velmora/app/help_text.hpp"
#include "velmora/app/options.hpp"
#include "velmora/app/program_folder.hpp"
#include "velmora/app/record_fields.hpp"
#include "velmora/codes.hpp"
#include "velmora/converter.hpp"
#include "velmora/geodesy/nz_circuits.hpp"
#include "velmora/gridfile/grid_file.hpp"
#include "velmora/version.hpp"

// Hands bytes of the engine's memory to the page's handler of that name: 0 when it took them, -1 when
// there is no handler, it threw, or it answered false (a page that cannot keep the output, say). An
// exception never crosses into the C++ frames, which would then be left without their clean-up.
EM_JS(int, handToPage, (const char* handler, const char* bytes, std::size_t size), {
  try {
    const take = Module[UTF8ToString(handler)];
    if (typeof take !== "function") return -1;
    return take(HEAPU8.subarray(bytes, bytes + size)) === false ? -1 : 0;
  } catch (error) {
    return -1;
  }
});

// Tells the page's "onProgress" how far a file's conversion is; what it does is no concern of the run.
EM_JS(void, tellProgress, (double lines, double bytesRead), {
  try {
    if (typeof Module.onProgress === "function") Module.onProgress(lines, bytesRead);
  } catch (error) {
  }
});

namespace velmora {
namespace {

using nlohmann::json;

// The program's path inside the engine: its folder, the root of the engine's file system, is the
// program folder where grids would be looked for last.
constexpr std::string_view kProgramPath = "/velmora";

// Bytes a standard stream of a run gathers before the page is handed them.
constexpr std::size_t kStreamBufferBytes = std::size_t{1} << 20;

// The arguments of a call, program path first. Text that is no JSON array gives no arguments, which
// the program answers with its usage text; an item that is no string counts as its JSON text, so
// that indices stay those of the page's array.
std::vector<std::string> argumentsOf(const std::string& argvJson) {
  std::vector<std::string> args{std::string(kProgramPath)};
  const json parsed = json::parse(argvJson, nullptr, false);
  if (!parsed.is_array()) return args;
  for (const json& item : parsed) args.push_back(item.is_string() ? item.get<std::string>() : item.dump());
  return args;
}

std::vector<std::string_view> viewsOf(const std::vector<std::string>& args) {
  return {args.begin(), args.end()};
}

// A standard stream of a run whose bytes go to a function the page set on the module ("onStdout",
// "onStderr"), as a view of the engine's memory valid during the call. A write the page does not
// take fails with EIO, which the run reports as for any output that cannot be written.
class PageStream {
 public:
  explicit PageStream(const char* handler) : handler_(handler), buffer_(kStreamBufferBytes) {
    const cookie_io_functions_t calls{nullptr, &PageStream::write, nullptr, nullptr};
    file_ = fopencookie(this, "w", calls);
    if (file_ != nullptr) std::setvbuf(file_, buffer_.data(), _IOFBF, buffer_.size());
  }
  PageStream(const PageStream&) = delete;
  PageStream& operator=(const PageStream&) = delete;
  ~PageStream() {
    if (file_ != nullptr) std::fclose(file_);
  }

  std::FILE* file() const { return file_; }

 private:
  static ssize_t write(void* cookie, const char* bytes, size_t size) {
    const auto* stream = static_cast<const PageStream*>(cookie);
    if (handToPage(stream->handler_, bytes, size) != 0) {
      errno = EIO;
      return -1;
    }
    return static_cast<ssize_t>(size);
  }

  const char* handler_;
  std::vector<char> buffer_;
  std::FILE* file_ = nullptr;
};

// The progress of a file's conversion, handed to the page after every block.
class PageProgress final : public StreamProgress {
 public:
  void advance(std::uint64_t lines, std::uint64_t bytesRead) override {
    lines_ += lines;
    tellProgress(static_cast<double>(lines_), static_cast<double>(bytesRead));
  }

 private:
  std::uint64_t lines_ = 0;
};

// JSON text of an answer. Bytes that are no UTF-8 (a file name, a field of the user's) are replaced,
// never thrown about: an exception would end the engine.
std::string textOf(const json& answer) {
  return answer.dump(-1, ' ', false, json::error_handler_t::replace);
}

json findingsJson(const std::vector<OptionFinding>& findings) {
  json list = json::array();
  for (const OptionFinding& finding : findings) {
    // Indices count the page's arguments, which have no program path.
    const long index = finding.index ? static_cast<long>(*finding.index) - 1 : -1;
    list.push_back({{"index", index}, {"message", finding.message}});
  }
  return list;
}

}  // namespace

// What the page builds its form from: every option with its help, the names of datums, forms,
// height types, New Zealand circuits and grid slots.
std::string describe() {
  json options = json::array();
  for (const std::string_view name : optionNames()) {
    if (name.size() < 3) continue;  // "-h", the short form of --help
    options.push_back({{"name", std::string(name)},
                       {"takesValue", optionTakesValue(name).value_or(false)},
                       {"help", optionHelp(name)}});
  }
  json slots = json::array();
  for (const GridId id : kGridIds) {
    json files = json::array();
    for (const std::string_view file : gridFileNames(id)) files.push_back(std::string(file));
    slots.push_back({{"name", std::string(gridSlotName(id))}, {"files", files}});
  }
  json datums = json::array();
  for (int code = codeOf(Datum::kAgd66); code <= codeOf(Datum::kAtrf2014); ++code)
    datums.push_back(std::string(datumName(static_cast<Datum>(code))));
  json coordTypes = json::array();
  for (const CoordType type : {CoordType::kEn, CoordType::kDms, CoordType::kDm, CoordType::kDd})
    coordTypes.push_back(std::string(coordTypeName(type)));
  json heightTypes = json::array();
  for (int code = codeOf(HeightType::kNone); code <= codeOf(HeightType::kWellington1953); ++code)
    heightTypes.push_back(std::string(heightTypeName(static_cast<HeightType>(code))));
  json circuits = json::array();
  for (const NzCircuit& circuit : nzCircuits()) circuits.push_back(std::string(circuit.name));
  return textOf(json{{"version", std::string(kVersion)},
              {"gridFormats", gridFormatsRead()},
              {"options", options},
              {"slots", slots},
              {"datums", datums},
              {"coordTypes", coordTypes},
              {"heightTypes", heightTypes},
              {"circuits", circuits}});
}

// The problems of the options as --strict reports them (errors) and a run without it warns of, each
// with the index of the option it concerns (-1: none).
std::string checkOptions(const std::string& argvJson) {
  const std::vector<std::string> args = argumentsOf(argvJson);
  const std::vector<std::string_view> views = viewsOf(args);
  const OptionFindings findings = findOptionProblems(views);
  return textOf(json{{"errors", findingsJson(findings.errors)}, {"warnings", findingsJson(findings.warnings)}});
}

// The grid slots the options call for, whether their files opened, and the program's warnings about
// those that did not.
std::string gridReport(const std::string& argvJson) {
  const std::vector<std::string> args = argumentsOf(argvJson);
  const std::vector<std::string_view> views = viewsOf(args);
  CommandLine line = scanCommandLine(views);
  applyGridFolders(gridSearchFolders(line.gridFolder, line.programPath), line.settings);
  const Converter converter(line.settings);
  json slots = json::array();
  for (const GridId id : kGridIds) {
    for (const GridState& state : converter.gridStates(id)) {
      if (!state.needed && !state.optional) continue;
      slots.push_back({{"slot", std::string(gridSlotName(id))},
                       {"needed", state.needed},
                       {"optional", state.optional},
                       {"open", isOpen(state)},
                       {"path", state.path}});
    }
  }
  json problems = json::array();
  for (const std::string& problem : gridProblems(converter)) problems.push_back(problem);
  return textOf(json{{"problems", problems}, {"slots", slots}});
}

// The fields of each line as the program reads them with --columns, for each --delimiter value
// ("," ";" "tab" "space"): an object of arrays of rows of field values (quotes taken off).
std::string splitLines(const std::string& linesJson) {
  const json parsed = json::parse(linesJson, nullptr, false);
  json answer = json::object();
  const std::pair<const char*, Delimiter> delimiters[] = {
      {",", Delimiter::kComma}, {";", Delimiter::kSemicolon}, {"tab", Delimiter::kTab}, {"space", Delimiter::kSpace}};
  for (const auto& [name, delimiter] : delimiters) {
    json rows = json::array();
    if (parsed.is_array()) {
      std::vector<FieldRange> ranges;
      std::string scratch;
      for (const json& item : parsed) {
        const std::string line = item.is_string() ? item.get<std::string>() : std::string();
        splitRecord(line, delimiter, ranges);
        json row = json::array();
        for (const FieldRange& range : ranges) {
          const std::string_view field = std::string_view(line).substr(range.begin, range.end - range.begin);
          row.push_back(std::string(fieldValue(field, scratch)));
        }
        rows.push_back(std::move(row));
      }
    }
    answer[name] = std::move(rows);
  }
  return textOf(answer);
}

// The program run with these arguments: its output and messages go to the page's handlers as they
// are written, and the answer is its exit status.
std::string run(const std::string& argvJson) {
  const std::vector<std::string> args = argumentsOf(argvJson);
  const std::vector<std::string_view> views = viewsOf(args);
  PageProgress progress;
  int status = kExitFailure;
  {
    const PageStream out("onStdout");
    const PageStream err("onStderr");
    if (out.file() != nullptr && err.file() != nullptr) status = runVelmora(views, out.file(), err.file(), &progress);
  }  // the streams hand over their last bytes here
  return textOf(json{{"status", status}});
}

}  // namespace velmora

EMSCRIPTEN_BINDINGS(velmora_engine) {
  emscripten::function("describe", &velmora::describe);
  emscripten::function("checkOptions", &velmora::checkOptions);
  emscripten::function("gridReport", &velmora::gridReport);
  emscripten::function("run", &velmora::run);
  emscripten::function("splitLines", &velmora::splitLines);
}
