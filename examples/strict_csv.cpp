// Reads "id,lat,lon" lines (GDA94, decimal degrees) on standard input and writes each point on
// GDA2020 with what was applied, "id,lat,lon,method", in the program's number format. The settings
// are built from the program's option names under the strict policy, and a line the program's
// --strict would fail is written to standard error instead, in the program's words.
#include <iostream>
#include <string>

#include "velmora/app/coordinate_parser.hpp"
#include "velmora/app/method_name.hpp"
#include "velmora/app/options.hpp"
#include "velmora/app/point_problem.hpp"
#include "velmora/app/result_line.hpp"

int main() {
  const velmora::OptionText names[] = {{"--fromDatum", "GDA94"}, {"--toDatum", "GDA2020"}};
  const velmora::RunOptions options = velmora::readOptions(names);
  const velmora::OptionVerdict verdict = velmora::judgeOptions(options, velmora::OptionPolicy::kStrict);
  if (!verdict.errors.empty()) return std::cerr << verdict.errors.front() << '\n', 1;
  const velmora::Converter converter(options.settings);
  std::string line;
  while (std::getline(std::cin, line)) {
    const std::size_t first = line.find(','), second = line.find(',', first + 1);
    if (second == std::string::npos) {
      std::cerr << line << ": expected id,lat,lon\n";
      continue;
    }
    const auto lat = velmora::checkCoordinate(velmora::CoordType::kDd, velmora::CoordinateRole::kLatitude,
                                              line.substr(first + 1, second - first - 1));
    const auto lon = velmora::checkCoordinate(velmora::CoordType::kDd, velmora::CoordinateRole::kLongitude,
                                              line.substr(second + 1));
    const velmora::ConversionResult result = converter.transformPoint({lat.value, lon.value, 0.0});
    std::string problem;
    if (lat.problem != velmora::CoordinateProblem::kNone ||
        lon.problem != velmora::CoordinateProblem::kNone) {
      const bool onLatitude = lat.problem != velmora::CoordinateProblem::kNone;
      problem = velmora::problemText(
          onLatitude ? lat.problem : lon.problem, velmora::CoordType::kDd,
          onLatitude ? velmora::CoordinateRole::kLatitude : velmora::CoordinateRole::kLongitude);
    } else {
      velmora::describePointProblem(converter, result, problem);
    }
    if (!problem.empty()) {
      std::cerr << line << ": " << problem << '\n';
      continue;
    }
    velmora::ResultLine text;  // "lat,lon,height\n": the height field is left out
    const std::string_view dd =
        velmora::ddResultLine(result.coordinates.first, result.coordinates.second, 0.0, text);
    std::string method;
    velmora::appendMethodName(converter, result, method);
    std::cout << line.substr(0, first) << ',' << dd.substr(0, dd.rfind(',')) << ',' << method << '\n';
  }
}
