// The extension _velmora: the application layer's option checks, engine and number formatting behind
// a NumPy interface. The options are read by name as the program reads them, so a value means and is
// refused exactly as on the command line; points are converted by the ordered runner's workers
// without the GIL.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "velmora/app/angle_format.hpp"
#include "velmora/app/coordinate_parser.hpp"
#include "velmora/app/grid_problems.hpp"
#include "velmora/app/method_name.hpp"
#include "velmora/app/options.hpp"
#include "velmora/app/ordered_runner.hpp"
#include "velmora/app/point_accuracy.hpp"
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
// Points converted as one piece of the ordered runner: small enough that Ctrl-C is heard within a
// fraction of a second and the threads share the work evenly, large enough that the runner's own
// bookkeeping is lost in the conversion.
constexpr std::size_t kPiecePoints = 16384;

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
  void clear() {
    texts_.clear();
    codes_.clear();
  }

 private:
  std::vector<std::string> texts_;  // code - 1 -> text
  std::unordered_map<std::string, std::uint16_t> codes_;
};

// A range of points converted together, and the method and problem codes local to it.
struct Piece {
  std::size_t begin = 0;
  std::size_t end = 0;
  CodeTable methods;
  CodeTable problems;
};

// Renumbers a piece's local codes (in [begin, end) of codes) into the run's table: taken in order,
// the pieces number the texts in order of first use by point index, whatever the thread count.
void renumber(const CodeTable& local, std::size_t begin, std::size_t end, std::uint16_t* codes,
              CodeTable& run) {
  const std::vector<std::string>& texts = local.texts();
  std::vector<std::uint16_t> remap(texts.size() + 1, 0);
  bool same = true;  // mostly so: the run's table already starts with the piece's texts in its order
  for (std::size_t n = 0; n < texts.size(); ++n) {
    remap[n + 1] = run.code(texts[n]);
    same = same && remap[n + 1] == n + 1;
  }
  if (same) return;
  for (std::size_t i = begin; i < end; ++i) codes[i] = remap[codes[i]];
}

// The texts of a run's codes, code 0 first.
std::vector<std::string> codeTexts(std::string_view first, const CodeTable& run) {
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
        s.parameters != t.parameters || s.inMargin != t.inMargin || s.file != t.file) {
      return false;
    }
  }
  const auto sameLookup = [](const HeightLookup& g, const HeightLookup& h) {
    return g.geoidStatus == h.geoidStatus && g.geoid == h.geoid && g.subGrid == h.subGrid &&
           g.inMargin == h.inMargin && g.file == h.file;
  };
  return sameLookup(a.height, b.height) && sameLookup(a.height.second, b.height.second);
}

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
    applyGridFolders(std::move(folders), line.settings);
    converter_.emplace(line.settings);
    showAccuracy_ = line.showAccuracy;
    angleText_ = AngleTextOptions{line.form.decimals, line.form.dmsForm};
    // A grid the run needs but cannot open stops a strict converter; a lax one goes on as the
    // program does without --strict, by parameters or without the geoid, and its points say so.
    if (strict_) {
      const std::optional<std::string> problem =
          checkFiles ? gridProblem(*converter_) : gridShiftProblem(*converter_);
      if (problem) throw py::value_error(*problem);
    }
  }

  // epochs, toEpochs: none, or each point's source and target epoch (see epochValues).
  py::tuple convert(const py::object& a, const py::object& b, const py::object& h, unsigned threads,
                    const py::object& epochs, const py::object& toEpochs) {
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
    const std::vector<double> sourceEpochs = epochValues(epochs, "epoch", count);
    const std::vector<double> targetEpochs = epochValues(toEpochs, "to_epoch", count);
    const bool pointEpochs = !sourceEpochs.empty() || !targetEpochs.empty();
    if (threads == 0) threads = defaultThreadCount();
    // A run of one piece needs no worker: it is done on the calling thread.
    const unsigned workers = count <= kPiecePoints ? 1U : threads;

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
    // With show_factors, each point's convergence (degrees), scale and combined scale factor; NaN
    // where the program writes an empty field.
    const bool factors = settings.gridFactors;
    const auto factorArray = [&] {
      return py::array_t<double>(static_cast<py::ssize_t>(factors ? count : 0));
    };
    py::array_t<double> arrayConvergence = factorArray();
    py::array_t<double> arrayScale = factorArray();
    py::array_t<double> arrayCombined = factorArray();
    double* const convergences = arrayConvergence.mutable_data();
    double* const scales = arrayScale.mutable_data();
    double* const combinedScales = arrayCombined.mutable_data();
    // With show_accuracy, each point's horizontal and vertical accuracy (metres); NaN where the
    // program writes an empty field.
    const auto accuracyArray = [&] {
      return py::array_t<double>(static_cast<py::ssize_t>(showAccuracy_ ? count : 0));
    };
    py::array_t<double> arrayHorizontal = accuracyArray();
    py::array_t<double> arrayVertical = accuracyArray();
    double* const horizontals = arrayHorizontal.mutable_data();
    double* const verticals = arrayVertical.mutable_data();
    std::vector<std::string> textOutA(angleOutput ? count : 0);
    std::vector<std::string> textOutB(angleOutput ? count : 0);
    const auto work = [&](Piece& local) {
      std::string name;
      ConversionResult last{};
      std::uint16_t lastCode = kFailedCode;
      bool haveLast = false;
      for (std::size_t i = local.begin; i < local.end; ++i) {
        problemCodes[i] = kNoProblem;
        const auto fail = [&](const std::string& problem) {
          outA[i] = outB[i] = outH[i] = std::nan("");
          codes[i] = kFailedCode;
          if (autoZone) zones[i] = 0;
          if (factors) convergences[i] = scales[i] = combinedScales[i] = std::nan("");
          if (showAccuracy_) horizontals[i] = verticals[i] = std::nan("");
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
          const CoordinatePair pair = readCoordinates(settings.fromCoordType, textA[i], textB[i]);
          point.first = pair.values[0];
          point.second = pair.values[1];
          if (strict_ && pair.problem != CoordinateProblem::kNone) {
            fail(describe(pair.problemIndex == 0 ? "a" : "b", pair.problem, settings.fromCoordType,
                          pair.problemRole));
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
        // A point's epoch that is missing or unreadable fails it when strict, as a line of the
        // program's --epochColumn does; otherwise the run's epoch serves.
        double sourceEpoch = settings.epoch;
        if (!sourceEpochs.empty() && std::isfinite(sourceEpochs[i])) sourceEpoch = sourceEpochs[i];
        double targetEpoch = settings.toEpoch.value_or(sourceEpoch);
        if (!targetEpochs.empty() && std::isfinite(targetEpochs[i])) targetEpoch = targetEpochs[i];
        if (strict_ && pointEpochs) {
          const bool sourceBad = !sourceEpochs.empty() && !std::isfinite(sourceEpochs[i]);
          if (sourceBad || (!targetEpochs.empty() && !std::isfinite(targetEpochs[i]))) {
            fail(std::string(sourceBad ? "epoch" : "to_epoch") +
                 ": missing, or not a decimal year or an ISO date such as 2020-07-01");
            continue;
          }
        }
        const ConversionResult result = pointEpochs
                                            ? converter_->transformPoint(point, sourceEpoch, targetEpoch)
                                            : converter_->transformPoint(point);
        if (strict_ && mayHaveProblem(result)) {
          name.clear();
          if (describePointProblem(*converter_, result, name)) {
            fail(name);
            continue;
          }
        }
        if (autoZone) zones[i] = static_cast<std::int16_t>(result.zone.target);
        if (factors) {
          const PointFactors& point = result.factors;
          convergences[i] = point.known ? point.grid.convergenceDeg : std::nan("");
          scales[i] = point.known ? point.grid.scale : std::nan("");
          combinedScales[i] = point.known ? point.combinedScale : std::nan("");
        }
        if (showAccuracy_) {
          const PointAccuracy accuracy = pointAccuracy(result, convertsHeights);
          horizontals[i] = accuracy.horizontalMetres.value_or(std::nan(""));
          verticals[i] = accuracy.verticalMetres.value_or(std::nan(""));
        }
        outA[i] = result.coordinates.first;
        outB[i] = result.coordinates.second;
        outH[i] = result.coordinates.height;
        if (angleOutput) {
          const bool dms = settings.toCoordType == CoordType::kDms;
          if (dms) {
            formatDms(outA[i], true, angleText_, textOutA[i]);
            formatDms(outB[i], false, angleText_, textOutB[i]);
          } else {
            formatDm(outA[i], true, angleText_, textOutA[i]);
            formatDm(outB[i], false, angleText_, textOutB[i]);
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

    CodeTable runMethods;
    CodeTable runProblems;
    std::size_t nextPoint = 0;
    RunnerCalls<Piece> calls;
    calls.fill = [&](Piece& piece) {
      if (nextPoint == count) return FillStatus::kEnd;
      piece.begin = nextPoint;
      piece.end = nextPoint = std::min(count, nextPoint + kPiecePoints);
      piece.methods.clear();
      piece.problems.clear();
      return FillStatus::kPiece;
    };
    calls.take = [&](Piece& piece) {
      renumber(piece.methods, piece.begin, piece.end, codes, runMethods);
      renumber(piece.problems, piece.begin, piece.end, problemCodes, runProblems);
      return true;
    };
    // Python's signal handlers run now and then: a handler that raises (Ctrl-C) stops the run.
    calls.keepGoing = [] {
      const py::gil_scoped_acquire gil;
      return PyErr_CheckSignals() == 0;
    };
    RunEnd end = RunEnd::kCompleted;
    {
      py::gil_scoped_release release;
      OrderedRunner<Piece> runner(workers, work);
      end = runner.run(calls);
    }
    if (end == RunEnd::kInterrupted) throw py::error_already_set();
    const std::vector<std::string> names = codeTexts(kFailedName, runMethods);
    const std::vector<std::string> problemTexts = codeTexts("", runProblems);

    py::object first = arrayA;
    py::object second = arrayB;
    if (angleOutput) {
      first = stringArray(textOutA, codes);
      second = stringArray(textOutB, codes);
    }
    py::object zoneArray = py::none();
    if (autoZone) zoneArray = arrayZones;
    py::object convergenceArray = py::none();
    py::object scaleArray = py::none();
    py::object combinedArray = py::none();
    if (factors) {
      convergenceArray = arrayConvergence;
      scaleArray = arrayScale;
      combinedArray = arrayCombined;
    }
    py::object horizontalArray = py::none();
    py::object verticalArray = py::none();
    if (showAccuracy_) {
      horizontalArray = arrayHorizontal;
      verticalArray = arrayVertical;
    }
    return py::make_tuple(first, second, arrayH, arrayCodes, py::cast(names), zoneArray, arrayProblems,
                          py::cast(problemTexts), convergenceArray, scaleArray, combinedArray,
                          horizontalArray, verticalArray);
  }

  // Every grid file the converter considered, each slot's own then its extra files: the path tried,
  // needed or optional, open, error.
  py::list grids() const {
    py::list out;
    for (const GridId id : kGridIds) {
      const std::span<const GridState> states = converter_->gridStates(id);
      for (std::size_t k = 0; k < states.size(); ++k) {
        const GridState& state = states[k];
        if (!state.needed && !state.optional) continue;
        py::dict entry;
        entry["file"] = k == 0 ? std::string(gridFileName(id))
                               : converter_->settings().extraGridFiles[static_cast<std::size_t>(id)][k - 1];
        entry["path"] = state.path;
        entry["needed"] = state.needed;
        entry["open"] = isOpen(state);
        entry["error"] = static_cast<int>(state.error);
        const char* message = isOpen(state) ? nullptr : gridErrorMessage(state.error);
        entry["message"] = message != nullptr ? py::object(py::str(message)) : py::object(py::none());
        out.append(entry);
      }
    }
    return out;
  }

 private:
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

  // Epochs of the points, one each: none for None; numbers as decimal years; str read as --epoch
  // reads it (a decimal year or an ISO date). A missing or unreadable epoch (None, NaN, other text)
  // is NaN.
  static std::vector<double> epochValues(const py::object& values, const char* argument, std::size_t count) {
    std::vector<double> out;
    if (values.is_none()) return out;
    const char kind = py::isinstance<py::array>(values) ? values.cast<py::array>().dtype().kind() : 'O';
    if (kind == 'f' || kind == 'i' || kind == 'u') {
      const DoubleArray array = numbers(values, argument);
      out.assign(array.data(), array.data() + array.size());
    } else {
      for (const py::handle item : values) {
        double epoch = std::nan("");
        if (PyUnicode_Check(item.ptr())) {
          epoch = readEpochText(item.cast<std::string>()).value_or(epoch);
        } else if (py::isinstance<py::float_>(item) || py::isinstance<py::int_>(item)) {
          epoch = item.cast<double>();
        }
        out.push_back(epoch);
      }
    }
    if (out.size() != count) throw py::value_error(std::string(argument) + " differs in length from a");
    // An epoch the program does not take counts as missing, as a line's own epoch does.
    for (double& epoch : out) {
      if (!isEpochInRange(epoch)) epoch = std::nan("");
    }
    return out;
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
  bool showAccuracy_ = false;   // show_accuracy: the two accuracy arrays
  AngleTextOptions angleText_;  // decimals and form of DMS and DM text
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
           py::arg("threads"), py::arg("epochs") = py::none(), py::arg("to_epochs") = py::none())
      .def("grids", &velmora::PyConverter::grids);
}
