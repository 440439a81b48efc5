#include "velmora/app/grid_problems.hpp"

#include <span>

#include "velmora/app/program_folder.hpp"
#include "velmora/app/run_tally.hpp"

namespace velmora {

std::optional<std::string> gridShiftProblem(const Converter& converter) {
  const ConversionSettings& settings = converter.settings();
  const bool datumGrid =
      converter.gridState(GridId::kAgd66).needed || converter.gridState(GridId::kAgd84).needed ||
      converter.gridState(GridId::kGda2020).needed || converter.gridState(GridId::kNzgd2000).needed ||
      converter.gridState(GridId::kNzDeformation).needed ||
      converter.gridState(GridId::kNzDeformation).optional;
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
    // Every slot but the datum grids holds a height surface.
    const bool geoid = id != GridId::kAgd66 && id != GridId::kAgd84 && id != GridId::kGda2020 &&
                       id != GridId::kNzgd2000 && id != GridId::kNzDeformation;
    const std::span<const GridState> states = converter.gridStates(id);
    for (std::size_t k = 0; k < states.size(); ++k) {
      const GridState& state = states[k];
      if (isOpen(state) || !(state.needed || state.optional)) continue;
      // An optional grid (an uncertainty grid, the New Zealand grid under the New Zealand rule) that
      // is not there is no problem, unless the user named it: then the run does not do as asked.
      const bool named = k > 0 || !converter.settings().gridFiles[static_cast<std::size_t>(id)].empty();
      if (!state.needed && !named) continue;
      std::string problem = "cannot use " + std::string(geoid ? "the geoid file '" : "the grid file '") +
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
