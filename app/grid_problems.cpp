#include "velmora/app/grid_problems.hpp"

#include <algorithm>
#include <span>

#include "velmora/app/program_folder.hpp"
#include "velmora/app/run_tally.hpp"

namespace velmora {

std::optional<std::string> gridShiftProblem(const Converter& converter) {
  const ConversionSettings& settings = converter.settings();
  // The deformation model, optional for a pair the New Zealand rule leads to it, serves the run on
  // its own only where the run moves positions in time (two ITRF datums with --toEpoch).
  const GridState& model = converter.gridState(GridId::kNzDeformation);
  const auto needed = [&](GridId id) { return isDatumGrid(id) && converter.gridState(id).needed; };
  const bool datumGrid = (model.optional && settings.toEpoch.has_value()) ||
                         std::any_of(kGridIds.begin(), kGridIds.end(), needed);
  if (settings.useGridShift && !datumGrid) {
    return "--useGridShift: no grid file serves " + std::string(datumName(settings.fromDatum)) + " to " +
           std::string(datumName(settings.toDatum));
  }
  return std::nullopt;
}

std::vector<std::string> gridProblems(const Converter& converter) {
  std::vector<std::string> problems;
  if (std::optional<std::string> problem = gridShiftProblem(converter))
    problems.push_back(std::move(*problem));
  for (const GridId id : kGridIds) {
    const bool geoid = !isDatumGrid(id);
    const std::span<const GridState> states = converter.gridStates(id);
    for (std::size_t k = 0; k < states.size(); ++k) {
      const GridState& state = states[k];
      if (isOpen(state) || !(state.needed || state.optional)) continue;
      // An optional grid (an uncertainty grid, the New Zealand grid under the New Zealand rule) that
      // is not there is no problem, unless the user named it: then the run does not do as asked.
      const bool named = k > 0 || !converter.settings().gridFiles[static_cast<std::size_t>(id)].empty();
      if (!state.needed && !named) continue;
      const char* what = id == GridId::kNzDeformation ? "the deformation model '"
                         : geoid                         ? "the geoid file '"
                                                         : "the grid file '";
      std::string problem = "cannot use " + std::string(what) +
                            absolutePath(state.path) + "' (" +
                            (state.needed ? (geoid ? "needed for the heights" : "needed by --useGridShift")
                                          : "named for its slot") +
                            "): " + gridErrorText(state.error);
      // Named in the folder where it belongs; every folder where it would have been found follows.
      if (gridFoundNowhere(state)) problem += "; looked in " + gridFolderList(converter);
      problems.push_back(std::move(problem));
    }
  }
  return problems;
}

std::optional<std::string> gridProblem(const Converter& converter) {
  std::vector<std::string> problems = gridProblems(converter);
  if (problems.empty()) return std::nullopt;
  return std::move(problems.front());
}

}  // namespace velmora
