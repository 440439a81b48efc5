// The extension _velmora: the program's option checks, engine and number formatting behind a NumPy
// interface. The options are read by the program's own command-line scanner, so a value means and is
// refused exactly as on the command line; points are converted on worker threads without the GIL.
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
#include <thread>
#include <unordered_map>
#include <vector>

#include "frontend/angle_format.hpp"
#include "frontend/block_runner.hpp"
#include "frontend/command_line.hpp"
#include "frontend/coordinate_parser.hpp"
#include "frontend/method_name.hpp"
#include "frontend/point_problem.hpp"
#include "frontend/program_folder.hpp"
#include "frontend/run_driver.hpp"
#include "velmora/converter.hpp"

namespace py = pybind11;

namespace velmora {
namespace {

constexpr std::uint16_t kFailedCode = 0;  // method code of a point that did not convert
constexpr std::string_view kFailedName = "failed";
constexpr unsigned kMaxThreads = 64;

using DoubleArray = py::array_t<double, py::array::c_style | py::array::forcecast>;

// What the points of one thread gave: values by point, method codes local to the thread.
struct ChunkNames {
  std::vector<std::string> names;  // local code - 1 -> method name
  std::unordered_map<std::string, std::uint16_t> codes;
};

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

class PyConverter {
 public:
  // args: the option arguments as the program takes them ("--fromDatum", "GDA94", ...).
  PyConverter(const std::vector<std::string>& args, bool strict, const std::string& gridFolder,
              const std::string& shareFolder)
      : strict_(strict) {
    std::vector<std::string_view> argv{"velmora", "--inputFile", "-"};
    for (const std::string& arg : args) argv.emplace_back(arg);
    CommandLine line = scanCommandLine(argv);
    if (!line.errors.empty()) throw py::value_error(line.errors.front());
    if (!line.problems.empty()) throw py::value_error(line.problems.front());
    if (line.missingValue) throw py::value_error("an option that takes a value stands last");
    const std::vector<std::string> problems = settingsProblems(line);
    if (!problems.empty()) throw py::value_error(problems.front());

    // The module has no program folder: the folder given, VELMORA_GRID_DIR, then the installed
    // share/velmora (when the package lies in an installed tree).
    std::vector<std::string> folders =
        gridSearchFolders(gridFolder, std::getenv(kGridFolderVariable), shareFolder, "");
    if (shareFolder.empty()) std::erase(folders, std::string());
    line.settings.gridFolders = std::move(folders);
    line.settings.gridFiles = line.gridFiles;
    converter_.emplace(line.settings);
    // A grid the run needs but cannot open stops a strict converter; a lax one goes on as the
    // program does without --strict, by parameters or without the geoid, and its points say so.
    if (strict_) {
      if (const std::optional<std::string> problem = gridProblem(*converter_))
        throw py::value_error(*problem);
    }
  }

  py::tuple convert(const py::object& a, const py::object& b, const py::object& h,
                    const py::object& threads) {
    const ConversionSettings& settings = converter_->settings();
    const bool angleInput =
        settings.fromCoordType == CoordType::kDms || settings.fromCoordType == CoordType::kDm;
    std::size_t count = 0;
    // Inputs: float64 views (no copy when already contiguous float64), or texts for DMS and DM.
    std::vector<std::string> textA;
    std::vector<std::string> textB;
    DoubleArray numA;
    DoubleArray numB;
    if (angleInput) {
      textA = texts(a);
      textB = texts(b);
      if (textA.size() != textB.size()) throw py::value_error("a and b differ in length");
      count = textA.size();
    } else {
      numA = numbers(a);
      numB = numbers(b);
      if (numA.size() != numB.size()) throw py::value_error("a and b differ in length");
      count = static_cast<std::size_t>(numA.size());
    }
    DoubleArray heights;
    if (!h.is_none()) {
      heights = numbers(h);
      if (static_cast<std::size_t>(heights.size()) != count)
        throw py::value_error("h differs in length from a");
    }
    unsigned threadCount = threads.is_none() ? defaultThreadCount() : threads.cast<unsigned>();
    if (threadCount == 0) throw py::value_error("threads must be at least 1");
    threadCount = std::min<std::size_t>({threadCount, kMaxThreads, std::max<std::size_t>(count / 1024, 1)});

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
    double* const outA = arrayA.mutable_data();
    double* const outB = arrayB.mutable_data();
    double* const outH = arrayH.mutable_data();
    std::uint16_t* const codes = arrayCodes.mutable_data();
    // With to_zone="auto" each point's target zone, as the program writes it after the height.
    const bool autoZone = settings.autoToZone;
    py::array_t<std::int16_t> arrayZones(static_cast<py::ssize_t>(autoZone ? count : 0));
    std::int16_t* const zones = arrayZones.mutable_data();
    std::vector<std::string> textOutA(angleOutput ? count : 0);
    std::vector<std::string> textOutB(angleOutput ? count : 0);
    std::vector<ChunkNames> chunks(threadCount);
    const std::size_t perChunk = (count + threadCount - 1) / std::max(threadCount, 1U);

    const auto work = [&](unsigned chunk) {
      ChunkNames& local = chunks[chunk];
      std::string name;
      ConversionResult last{};
      std::uint16_t lastCode = kFailedCode;
      bool haveLast = false;
      const std::size_t begin = std::min(count, chunk * perChunk);
      const std::size_t end = std::min(count, begin + perChunk);
      for (std::size_t i = begin; i < end; ++i) {
        Coordinates point;
        bool failed = false;
        if (angleInput) {
          const ParsedCoordinate first =
              checkCoordinate(settings.fromCoordType, CoordinateRole::kLatitude, textA[i]);
          const ParsedCoordinate second =
              checkCoordinate(settings.fromCoordType, CoordinateRole::kLongitude, textB[i]);
          point.first = first.value;
          point.second = second.value;
          failed = strict_ &&
                   (first.problem != CoordinateProblem::kNone || second.problem != CoordinateProblem::kNone);
        } else {
          point.first = pa[i];
          point.second = pb[i];
        }
        point.height = ph != nullptr ? ph[i] : 0.0;
        failed = failed || !std::isfinite(point.first) || !std::isfinite(point.second) ||
                 !std::isfinite(point.height);
        const auto fail = [&] {
          outA[i] = outB[i] = outH[i] = std::nan("");
          codes[i] = kFailedCode;
          if (autoZone) zones[i] = 0;
        };
        if (failed) {
          fail();
          continue;
        }
        const ConversionResult result = converter_->transformPoint(point);
        if (strict_) {
          name.clear();
          if (describePointProblem(*converter_, result, name)) {
            fail();
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
          auto [at, inserted] =
              local.codes.try_emplace(name, static_cast<std::uint16_t>(local.names.size() + 1));
          if (inserted) local.names.push_back(name);
          lastCode = at->second;
          last = result;
          haveLast = true;
        }
        codes[i] = lastCode;
      }
    };

    std::vector<std::string> names;
    {
      py::gil_scoped_release release;
      if (threadCount <= 1) {
        work(0);
      } else {
        std::vector<std::jthread> workers;
        workers.reserve(threadCount);
        for (unsigned k = 0; k < threadCount; ++k) workers.emplace_back(work, k);
      }
      // Codes of the run in order of first appearance by point index, whatever the thread count.
      std::vector<std::string> runNames{std::string(kFailedName)};
      std::unordered_map<std::string, std::uint16_t> runCodes;
      for (unsigned k = 0; k < threadCount; ++k) {
        std::vector<std::uint16_t> remap(chunks[k].names.size() + 1, kFailedCode);
        for (std::size_t n = 0; n < chunks[k].names.size(); ++n) {
          auto [at, inserted] =
              runCodes.try_emplace(chunks[k].names[n], static_cast<std::uint16_t>(runNames.size()));
          if (inserted) runNames.push_back(chunks[k].names[n]);
          remap[n + 1] = at->second;
        }
        const std::size_t begin = std::min(count, k * perChunk);
        const std::size_t end = std::min(count, begin + perChunk);
        for (std::size_t i = begin; i < end; ++i) codes[i] = remap[codes[i]];
      }
      names = std::move(runNames);
    }
    if (names.size() > 0xFFFF) throw std::runtime_error("more method names than method codes");

    py::object first = arrayA;
    py::object second = arrayB;
    if (angleOutput) {
      first = stringArray(textOutA, outA);
      second = stringArray(textOutB, outB);
    }
    py::object zoneArray = py::none();
    if (autoZone) zoneArray = arrayZones;
    return py::make_tuple(first, second, arrayH, arrayCodes, py::cast(names), zoneArray);
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
      out.append(entry);
    }
    return out;
  }

 private:
  static DoubleArray numbers(const py::object& values) {
    DoubleArray array = DoubleArray::ensure(values);
    if (!array) throw py::value_error("expected an array of numbers");
    if (array.ndim() != 1) throw py::value_error("expected a one-dimensional array");
    return array;
  }

  static std::vector<std::string> texts(const py::object& values) {
    std::vector<std::string> out;
    for (const py::handle item : values) out.push_back(py::str(item).cast<std::string>());
    return out;
  }

  // An object array of str; an empty text where the point failed (the program's empty field).
  static py::object stringArray(const std::vector<std::string>& values, const double* numbers) {
    py::list items(values.size());
    for (std::size_t i = 0; i < values.size(); ++i)
      items[i] = py::str(std::isnan(numbers[i]) ? "" : values[i]);
    return py::module_::import("numpy").attr("array")(items, py::arg("dtype") = "object");
  }

  bool strict_;
  std::optional<Converter> converter_;
};

}  // namespace
}  // namespace velmora

PYBIND11_MODULE(_velmora, m) {
  m.doc() = "The velmora conversion engine (use the velmora package, not this module).";
  py::class_<velmora::PyConverter>(m, "Converter")
      .def(py::init<const std::vector<std::string>&, bool, const std::string&, const std::string&>(),
           py::arg("args"), py::arg("strict"), py::arg("grid_folder"), py::arg("share_folder"))
      .def("convert", &velmora::PyConverter::convert, py::arg("a"), py::arg("b"), py::arg("h"),
           py::arg("threads"))
      .def("grids", &velmora::PyConverter::grids);
}
