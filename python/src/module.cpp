// The extension _velmora: the program's option checks, engine and number formatting behind a NumPy
// interface. The options are read by the program's own command-line scanner, so a value means and is
// refused exactly as on the command line; points are converted on worker threads without the GIL.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include "frontend/block_runner.hpp"
#include "velmora/app/angle_format.hpp"
#include "velmora/app/coordinate_parser.hpp"
#include "velmora/app/grid_problems.hpp"
#include "velmora/app/method_name.hpp"
#include "velmora/app/options.hpp"
#include "velmora/app/point_problem.hpp"
#include "velmora/app/program_folder.hpp"
#include "velmora/converter.hpp"
#include "velmora/version.hpp"

namespace py = pybind11;

namespace velmora {
namespace {

constexpr std::uint16_t kFailedCode = 0;  // method code of a point that did not convert
constexpr std::string_view kFailedName = "failed";
constexpr std::uint16_t kNoProblem = 0;  // problem code of a point that converted
constexpr unsigned kMaxThreads = 64;
// Fewer points than this on one thread run on the calling thread: done in milliseconds, they need
// no watch for Ctrl-C, and a single point pays no thread start.
constexpr std::size_t kCallingThreadPoints = 65536;

using DoubleArray = py::array_t<double, py::array::c_style | py::array::forcecast>;

// What a DMS or DM item held besides its text.
enum class TextState : char {
  kRead,
  kMissing,     // None, NaN, pandas' NA, or blank text
  kUnreadable,  // a str that has no UTF-8 form (lone surrogates)
};

// Texts numbered from 1 in order of first use (0 is the caller's "none"), as uint16 codes.
class CodeTable {
 public:
  std::uint16_t code(const std::string& text) {
    const auto found = codes_.find(text);
    if (found != codes_.end()) return found->second;
    if (texts_.size() >= 0xFFFE) throw std::length_error("more distinct method names or problems than codes");
    texts_.push_back(text);
    return codes_.emplace(text, static_cast<std::uint16_t>(texts_.size())).first->second;
  }
  const std::vector<std::string>& texts() const { return texts_; }

 private:
  std::vector<std::string> texts_;  // code - 1 -> text
  std::unordered_map<std::string, std::uint16_t> codes_;
};

// What the points of one thread gave besides their values: codes local to the thread.
struct ChunkCodes {
  CodeTable methods;
  CodeTable problems;
};

// Renumbers the codes of each thread's points into one table for the run, in order of first use by
// point index whatever the thread count; first is the text of code 0.
std::vector<std::string> mergeCodes(const std::vector<ChunkCodes>& chunks, CodeTable ChunkCodes::*table,
                                    std::size_t perChunk, std::size_t count, std::uint16_t* codes,
                                    std::string_view first) {
  CodeTable run;
  for (std::size_t k = 0; k < chunks.size(); ++k) {
    const std::vector<std::string>& texts = (chunks[k].*table).texts();
    std::vector<std::uint16_t> remap(texts.size() + 1, 0);
    for (std::size_t n = 0; n < texts.size(); ++n) remap[n + 1] = run.code(texts[n]);
    const std::size_t begin = std::min(count, k * perChunk);
    const std::size_t end = std::min(count, begin + perChunk);
    for (std::size_t i = begin; i < end; ++i) codes[i] = remap[codes[i]];
  }
  std::vector<std::string> texts{std::string(first)};
  texts.insert(texts.end(), run.texts().begin(), run.texts().end());
  return texts;
}

// Whether two results have the same method name: the name is made of these fields alone.
bool sameMethod(const ConversionResult& a, const ConversionResult& b) {
  const DatumReport& x = a.datum;
  const DatumReport& y = b.datum;
  if (x.stepCount != y.stepCount || x.outcome != y.outcome || x.newZealandRule != y.newZealandRule)
    return false;
  for (std::size_t k = 0; k < x.stepCount; ++k) {
    const DatumStep& s = x.steps[k];
    const DatumStep& t = y.steps[k];
    if (s.kind != t.kind || s.reverse != t.reverse || s.grid != t.grid || s.subGrid != t.subGrid ||
        s.parameters != t.parameters || s.inMargin != t.inMargin) {
      return false;
    }
  }
  const HeightReport& g = a.height;
  const HeightReport& h = b.height;
  return g.geoidStatus == h.geoidStatus && g.geoid == h.geoid && g.subGrid == h.subGrid &&
         g.inMargin == h.inMargin;
}

// Runs work(k) for k in [0, count) on threads of their own and waits for them, taking the GIL every
// kInterruptPollInterval to run Python's signal handlers: a handler that raises (Ctrl-C) stops the
// workers and is raised here, as is the first exception a worker throws.
class WorkerGroup {
 public:
  bool stopping() const { return stop_.load(std::memory_order_relaxed); }

  template <typename Work>
  void run(unsigned count, const Work& work) {
    running_ = count;
    bool interrupted = false;
    {
      std::vector<std::jthread> workers;
      workers.reserve(count);
      for (unsigned k = 0; k < count; ++k) workers.emplace_back([this, &work, k] { runOne(work, k); });
      std::unique_lock lock(mutex_);
      while (!done_.wait_for(lock, kInterruptPollInterval, [this] { return running_ == 0; })) {
        lock.unlock();
        {
          const py::gil_scoped_acquire gil;
          interrupted = PyErr_CheckSignals() != 0;
        }
        if (interrupted) {
          stop_ = true;
          break;  // the workers are joined as they leave scope
        }
        lock.lock();
      }
    }
    if (interrupted) {
      const py::gil_scoped_acquire gil;
      throw py::error_already_set();
    }
    if (failure_) std::rethrow_exception(failure_);
  }

 private:
  template <typename Work>
  void runOne(const Work& work, unsigned k) {
    std::exception_ptr failure;
    try {
      work(k);
    } catch (...) {
      failure = std::current_exception();
      stop_ = true;
    }
    const std::lock_guard lock(mutex_);
    if (failure && !failure_) failure_ = failure;
    if (--running_ == 0) done_.notify_all();
  }

  static constexpr std::chrono::milliseconds kInterruptPollInterval{100};
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::condition_variable done_;
  unsigned running_ = 0;
  std::exception_ptr failure_;
};

class PyConverter {
 public:
  // options: the program's options by name ("--fromDatum") with their values (none for a flag),
  // checked as --strict checks them. checkFiles: whether a strict converter also requires the grid
  // files it needs to open (not when only the options are being checked, on a machine other than the
  // one converting).
  PyConverter(const std::vector<std::pair<std::string, std::optional<std::string>>>& options, bool strict,
              const std::string& shareFolder, bool checkFiles)
      : strict_(strict) {
    std::vector<OptionText> texts;
    texts.reserve(options.size());
    for (const auto& [name, value] : options) {
      texts.push_back({name, value ? std::optional<std::string_view>(*value) : std::nullopt});
    }
    RunOptions line = readOptions(texts);
    const OptionVerdict verdict = judgeOptions(line, OptionPolicy::kStrict);
    if (!verdict.errors.empty()) throw py::value_error(verdict.errors.front());

    // The module has no program folder: the folder given, VELMORA_GRID_DIR, then the installed
    // share/velmora (when the package lies in an installed tree).
    GridFolders folders =
        gridSearchFolders(line.gridFolder, std::getenv(kGridFolderVariable), shareFolder, "");
    if (shareFolder.empty()) std::erase(folders.searched, std::string());
    line.settings.gridFolders = std::move(folders.searched);
    line.settings.homeGridFolder = folders.home;
    line.settings.gridFiles = line.gridFiles;
    converter_.emplace(line.settings);
    // A grid the run needs but cannot open stops a strict converter; a lax one goes on as the
    // program does without --strict, by parameters or without the geoid, and its points say so.
    if (strict_) {
      const std::optional<std::string> problem =
          checkFiles ? gridProblem(*converter_) : gridShiftProblem(*converter_);
      if (problem) throw py::value_error(*problem);
    }
  }

  py::tuple convert(const py::object& a, const py::object& b, const py::object& h, unsigned threads) {
    const ConversionSettings& settings = converter_->settings();
    const bool angleInput =
        settings.fromCoordType == CoordType::kDms || settings.fromCoordType == CoordType::kDm;
    const bool convertsHeights =
        settings.fromHeightType != HeightType::kNone && settings.toHeightType != HeightType::kNone;
    std::size_t count = 0;
    // Inputs: float64 views (no copy when already contiguous float64), or texts for DMS and DM.
    std::vector<std::string> textA;
    std::vector<std::string> textB;
    std::vector<TextState> stateA;
    std::vector<TextState> stateB;
    DoubleArray numA;
    DoubleArray numB;
    if (angleInput) {
      textA = texts(a, "a", stateA);
      textB = texts(b, "b", stateB);
      if (textA.size() != textB.size()) throw py::value_error("a and b differ in length");
      count = textA.size();
    } else {
      numA = numbers(a, "a");
      numB = numbers(b, "b");
      if (numA.size() != numB.size()) throw py::value_error("a and b differ in length");
      count = static_cast<std::size_t>(numA.size());
    }
    DoubleArray heights;
    if (!h.is_none()) {
      heights = numbers(h, "h");
      if (static_cast<std::size_t>(heights.size()) != count)
        throw py::value_error("h differs in length from a");
    } else if (convertsHeights) {
      throw py::value_error("h: heights are converted (from_height and to_height): give the heights");
    }
    if (threads == 0) threads = defaultThreadCount();
    const unsigned threadCount =
        std::min<std::size_t>({threads, kMaxThreads, std::max<std::size_t>(count / 1024, 1)});

    const double* pa = angleInput ? nullptr : numA.data();
    const double* pb = angleInput ? nullptr : numB.data();
    const double* ph = h.is_none() ? nullptr : heights.data();
    const bool angleOutput =
        settings.toCoordType == CoordType::kDms || settings.toCoordType == CoordType::kDm;

    // Results go straight into the arrays returned, made while the GIL is held.
    py::array_t<double> arrayA(static_cast<py::ssize_t>(count));
    py::array_t<double> arrayB(static_cast<py::ssize_t>(count));
    py::array_t<double> arrayH(static_cast<py::ssize_t>(count));
    py::array_t<std::uint16_t> arrayCodes(static_cast<py::ssize_t>(count));
    py::array_t<std::uint16_t> arrayProblems(static_cast<py::ssize_t>(count));
    double* const outA = arrayA.mutable_data();
    double* const outB = arrayB.mutable_data();
    double* const outH = arrayH.mutable_data();
    std::uint16_t* const codes = arrayCodes.mutable_data();
    std::uint16_t* const problemCodes = arrayProblems.mutable_data();
    // With to_zone="auto" and grid output, each point's zone, as the program writes it after the height.
    const bool autoZone = settings.autoToZone && settings.toCoordType == CoordType::kEn;
    py::array_t<std::int16_t> arrayZones(static_cast<py::ssize_t>(autoZone ? count : 0));
    std::int16_t* const zones = arrayZones.mutable_data();
    std::vector<std::string> textOutA(angleOutput ? count : 0);
    std::vector<std::string> textOutB(angleOutput ? count : 0);
    std::vector<ChunkCodes> chunks(threadCount);
    const std::size_t perChunk = (count + threadCount - 1) / std::max(threadCount, 1U);
    WorkerGroup group;

    const auto work = [&](unsigned chunk) {
      ChunkCodes& local = chunks[chunk];
      std::string name;
      ConversionResult last{};
      std::uint16_t lastCode = kFailedCode;
      bool haveLast = false;
      const std::size_t begin = std::min(count, chunk * perChunk);
      const std::size_t end = std::min(count, begin + perChunk);
      for (std::size_t i = begin; i < end; ++i) {
        if (i % kStopCheckInterval == 0 && group.stopping()) return;
        problemCodes[i] = kNoProblem;
        const auto fail = [&](const std::string& problem) {
          outA[i] = outB[i] = outH[i] = std::nan("");
          codes[i] = kFailedCode;
          if (autoZone) zones[i] = 0;
          problemCodes[i] = local.problems.code(problem);
        };
        Coordinates point;
        if (angleInput) {
          // Missing or unreadable text fails the point, strict or not: there is nothing to read.
          if (stateA[i] != TextState::kRead || stateB[i] != TextState::kRead) {
            const bool onA = stateA[i] != TextState::kRead;
            const TextState state = onA ? stateA[i] : stateB[i];
            fail(std::string(onA ? "a: " : "b: ") +
                 (state == TextState::kMissing ? "missing value" : "unreadable text (not valid UTF-8)"));
            continue;
          }
          const ParsedCoordinate first =
              checkCoordinate(settings.fromCoordType, CoordinateRole::kLatitude, textA[i]);
          const ParsedCoordinate second =
              checkCoordinate(settings.fromCoordType, CoordinateRole::kLongitude, textB[i]);
          point.first = first.value;
          point.second = second.value;
          if (strict_ &&
              (first.problem != CoordinateProblem::kNone || second.problem != CoordinateProblem::kNone)) {
            const bool onA = first.problem != CoordinateProblem::kNone;
            fail(describe(onA ? "a" : "b", onA ? first.problem : second.problem, settings.fromCoordType,
                          onA ? CoordinateRole::kLatitude : CoordinateRole::kLongitude));
            continue;
          }
        } else {
          point.first = pa[i];
          point.second = pb[i];
        }
        // Without height conversion a height is carried through as it is, NaN included.
        point.height = ph != nullptr ? ph[i] : 0.0;
        if (!std::isfinite(point.first) || !std::isfinite(point.second)) {
          fail(std::isfinite(point.first) ? "b: not a finite number" : "a: not a finite number");
          continue;
        }
        if (strict_ && settings.fromCoordType == CoordType::kDd) {
          const bool latitudeBeyond = beyondDegreeLimit(CoordinateRole::kLatitude, point.first);
          if (latitudeBeyond || beyondDegreeLimit(CoordinateRole::kLongitude, point.second)) {
            fail(describe(latitudeBeyond ? "a" : "b", CoordinateProblem::kOutOfRange, CoordType::kDd,
                          latitudeBeyond ? CoordinateRole::kLatitude : CoordinateRole::kLongitude));
            continue;
          }
        }
        if (convertsHeights && !std::isfinite(point.height)) {
          fail("h: not a finite number, and heights are converted");
          continue;
        }
        const ConversionResult result = converter_->transformPoint(point);
        if (strict_) {
          name.clear();
          if (describePointProblem(*converter_, result, name)) {
            fail(name);
            continue;
          }
        }
        if (autoZone) zones[i] = static_cast<std::int16_t>(result.zone.target);
        outA[i] = result.coordinates.first;
        outB[i] = result.coordinates.second;
        outH[i] = result.coordinates.height;
        if (angleOutput) {
          const bool dms = settings.toCoordType == CoordType::kDms;
          if (dms) {
            formatDms(outA[i], true, textOutA[i]);
            formatDms(outB[i], false, textOutB[i]);
          } else {
            formatDm(outA[i], true, textOutA[i]);
            formatDm(outB[i], false, textOutB[i]);
          }
        }
        // Neighbouring points mostly share their method: its name is made only when it changes.
        if (!haveLast || !sameMethod(result, last)) {
          name.clear();
          appendMethodName(*converter_, result, name);
          lastCode = local.methods.code(name);
          last = result;
          haveLast = true;
        }
        codes[i] = lastCode;
      }
    };

    std::vector<std::string> names;
    std::vector<std::string> problemTexts;
    {
      py::gil_scoped_release release;
      if (threadCount == 1 && count < kCallingThreadPoints) {
        work(0);
      } else {
        group.run(threadCount, work);
      }
      names = mergeCodes(chunks, &ChunkCodes::methods, perChunk, count, codes, kFailedName);
      problemTexts = mergeCodes(chunks, &ChunkCodes::problems, perChunk, count, problemCodes, "");
    }

    py::object first = arrayA;
    py::object second = arrayB;
    if (angleOutput) {
      first = stringArray(textOutA, codes);
      second = stringArray(textOutB, codes);
    }
    py::object zoneArray = py::none();
    if (autoZone) zoneArray = arrayZones;
    return py::make_tuple(first, second, arrayH, arrayCodes, py::cast(names), zoneArray, arrayProblems,
                          py::cast(problemTexts));
  }

  // Every grid slot the converter considered: the path tried, needed or optional, open, error.
  py::list grids() const {
    py::list out;
    for (std::size_t slot = 0; slot < kGridIdCount; ++slot) {
      const GridId id = static_cast<GridId>(slot);
      const GridState& state = converter_->gridState(id);
      if (!state.needed && !state.optional) continue;
      py::dict entry;
      entry["file"] = std::string(gridFileName(id));
      entry["path"] = state.path;
      entry["needed"] = state.needed;
      entry["open"] = state.grid != nullptr;
      entry["error"] = static_cast<int>(state.error);
      const char* message = state.grid != nullptr ? nullptr : gridErrorMessage(state.error);
      entry["message"] = message != nullptr ? py::object(py::str(message)) : py::object(py::none());
      out.append(entry);
    }
    return out;
  }

 private:
  // Every this many points a worker looks whether the run is being stopped.
  static constexpr std::size_t kStopCheckInterval = 4096;

  static std::string describe(std::string_view argument, CoordinateProblem problem, CoordType type,
                              CoordinateRole role) {
    return std::string(argument) + ": " + std::string(problemText(problem, type, role));
  }

  static DoubleArray numbers(const py::object& values, const char* argument) {
    const DoubleArray array = DoubleArray::ensure(values);  // null, the error cleared, when it cannot be
    if (!array) {
      throw py::value_error(std::string(argument) +
                            ": expected numbers (float64 or convertible to it; NaN for a missing value)");
    }
    if (array.ndim() != 1)
      throw py::value_error(std::string(argument) + ": expected a one-dimensional array");
    return array;
  }

  // DMS and DM texts, read as UTF-8; None, NaN, pandas' NA and blank texts are missing, a str without
  // a UTF-8 form (lone surrogates) is unreadable (state). Anything else, bytes too, is no DMS text.
  static std::vector<std::string> texts(const py::object& values, const char* argument,
                                        std::vector<TextState>& state) {
    std::vector<std::string> out;
    for (const py::handle item : values) {
      if (PyUnicode_Check(item.ptr())) {
        Py_ssize_t size = 0;
        const char* utf8 = PyUnicode_AsUTF8AndSize(item.ptr(), &size);
        if (utf8 == nullptr) {
          PyErr_Clear();
          out.emplace_back();
          state.push_back(TextState::kUnreadable);
          continue;
        }
        out.emplace_back(utf8, static_cast<std::size_t>(size));
        // An empty or blank text is a missing value, as an empty field is to the program.
        const bool blank = out.back().find_first_not_of(" \t") == std::string::npos;
        state.push_back(blank ? TextState::kMissing : TextState::kRead);
        continue;
      }
      const bool isMissing = item.is_none() ||
                             (py::isinstance<py::float_>(item) && std::isnan(item.cast<double>())) ||
                             py::str(py::type::of(item).attr("__name__")).cast<std::string>() == "NAType";
      if (!isMissing) {
        throw py::type_error(std::string(argument) + "[" + std::to_string(out.size()) +
                             "]: DMS and DM input is text (str), got " + std::string(py::repr(item)));
      }
      out.emplace_back();
      state.push_back(TextState::kMissing);
    }
    return out;
  }

  // An object array of str; an empty text where the point failed (the program's empty field).
  static py::object stringArray(const std::vector<std::string>& values, const std::uint16_t* codes) {
    py::list items(values.size());
    for (std::size_t i = 0; i < values.size(); ++i)
      items[i] = py::str(codes[i] == kFailedCode ? "" : values[i]);
    return py::module_::import("numpy").attr("array")(items, py::arg("dtype") = "object");
  }

  bool strict_;
  std::optional<Converter> converter_;
};

}  // namespace
}  // namespace velmora

PYBIND11_MODULE(_velmora, m) {
  m.doc() = "The velmora conversion engine (use the velmora package, not this module).";
  m.attr("__version__") = std::string(velmora::kVersion);
  py::class_<velmora::PyConverter>(m, "Converter")
      .def(py::init<const std::vector<std::pair<std::string, std::optional<std::string>>>&, bool,
                    const std::string&, bool>(),
           py::arg("options"), py::arg("strict"), py::arg("share_folder"), py::arg("check_files"))
      .def("convert", &velmora::PyConverter::convert, py::arg("a"), py::arg("b"), py::arg("h"),
           py::arg("threads"))
      .def("grids", &velmora::PyConverter::grids);
}
