// The master file of a deformation model: JSON, read with nlohmann's parser when the build has it.
// Only what evaluation needs is kept; descriptive members (authority, links, license, ...) are
// accepted and ignored, unknown members too, as PROJ does.
#include <algorithm>

#include "common/epoch_text.hpp"
#include "velmora/deformation/deformation_model.hpp"

#if VELMORA_HAVE_JSON
#include <nlohmann/json.hpp>
#endif

namespace velmora {

#if VELMORA_HAVE_JSON
namespace {

using Json = nlohmann::json;

// Far beyond any published model (LINZ's has 32 components, its longest ramp a handful of points),
// and small enough that a hostile file cannot make the model take unbounded memory: each component
// opens its own grid.
constexpr std::size_t kMaxComponents = 1024;
constexpr std::size_t kMaxPiecewisePoints = 1024;

// Each reader returns nothing and sets problem when the member is missing or of another kind.
struct Reader {
  std::string& problem;

  const Json* member(const Json& object, const char* name, const std::string& where) {
    if (!object.is_object() || !object.contains(name)) {
      problem = where + "has no \"" + name + "\"";
      return nullptr;
    }
    return &object[name];
  }

  std::optional<std::string> text(const Json& object, const char* name, const std::string& where = "") {
    const Json* value = member(object, name, where);
    if (value == nullptr) return std::nullopt;
    if (!value->is_string()) {
      problem = where + "\"" + name + "\" is not a string";
      return std::nullopt;
    }
    return value->get<std::string>();
  }

  std::optional<double> number(const Json& object, const char* name, const std::string& where) {
    const Json* value = member(object, name, where);
    if (value == nullptr) return std::nullopt;
    if (!value->is_number()) {
      problem = where + "\"" + name + "\" is not a number";
      return std::nullopt;
    }
    return value->get<double>();
  }

  // A date-time ("2016-11-14T00:00:00Z") as a decimal year.
  std::optional<double> epoch(const Json& object, const char* name, const std::string& where) {
    const std::optional<std::string> value = text(object, name, where);
    if (!value) return std::nullopt;
    const std::optional<double> year = readIsoEpoch(*value);
    if (!year) problem = where + "\"" + name + "\" is no date: '" + *value + "'";
    return year;
  }

  // {"type": "bbox", "parameters": {"bbox": [west, south, east, north]}}
  std::optional<DegreeBox> box(const Json& object, const std::string& where) {
    const Json* extent = member(object, "extent", where);
    if (extent == nullptr) return std::nullopt;
    const std::optional<std::string> type = text(*extent, "type", where + "extent ");
    if (!type) return std::nullopt;
    if (*type != "bbox") {
      problem = where + "extent of type '" + *type + "': only bbox is known";
      return std::nullopt;
    }
    const Json* parameters = member(*extent, "parameters", where + "extent ");
    const Json* bbox = parameters != nullptr ? member(*parameters, "bbox", where + "extent ") : nullptr;
    if (bbox == nullptr) return std::nullopt;
    if (!bbox->is_array() || bbox->size() != 4 ||
        !std::all_of(bbox->begin(), bbox->end(), [](const Json& v) { return v.is_number(); })) {
      problem = where + "extent bbox is not four numbers";
      return std::nullopt;
    }
    const DegreeBox result{(*bbox)[0].get<double>(), (*bbox)[1].get<double>(), (*bbox)[2].get<double>(),
                           (*bbox)[3].get<double>()};
    if (!(result.west <= result.east && result.south <= result.north)) {
      problem = where + "extent bbox is empty";
      return std::nullopt;
    }
    return result;
  }

  std::optional<PiecewiseEnd> end(const Json& parameters, const char* name, const std::string& where) {
    const std::optional<std::string> value = text(parameters, name, where);
    if (!value) return std::nullopt;
    if (*value == "zero") return PiecewiseEnd::kZero;
    if (*value == "constant") return PiecewiseEnd::kConstant;
    if (*value == "linear") return PiecewiseEnd::kLinear;
    problem = where + "\"" + name + "\" is '" + *value + "', not zero, constant or linear";
    return std::nullopt;
  }

  std::optional<TimeFunction> timeFunction(const Json& component, const std::string& where) {
    const Json* function = member(component, "time_function", where);
    if (function == nullptr) return std::nullopt;
    const std::optional<std::string> type = text(*function, "type", where + "time_function ");
    if (!type) return std::nullopt;
    TimeFunction f;
    if (*type == "constant") return f;
    const std::string at = where + *type + " time_function ";
    const Json* p = member(*function, "parameters", at);
    if (p == nullptr) return std::nullopt;
    if (*type == "velocity") {
      f.kind = TimeFunctionKind::kVelocity;
      const std::optional<double> t = epoch(*p, "reference_epoch", at);
      if (!t) return std::nullopt;
      f.referenceEpoch = *t;
      return f;
    }
    if (*type == "step" || *type == "reverse_step") {
      f.kind = *type == "step" ? TimeFunctionKind::kStep : TimeFunctionKind::kReverseStep;
      const std::optional<double> t = epoch(*p, "step_epoch", at);
      if (!t) return std::nullopt;
      f.stepEpoch = *t;
      return f;
    }
    if (*type == "piecewise") {
      f.kind = TimeFunctionKind::kPiecewise;
      const std::optional<PiecewiseEnd> before = end(*p, "before_first", at);
      const std::optional<PiecewiseEnd> after = before ? end(*p, "after_last", at) : std::nullopt;
      const Json* model = after ? member(*p, "model", at) : nullptr;
      if (model == nullptr) return std::nullopt;
      f.beforeFirst = *before;
      f.afterLast = *after;
      if (model->is_array() && model->size() > kMaxPiecewisePoints) {
        problem = at + "\"model\" has more than " + std::to_string(kMaxPiecewisePoints) + " points";
        return std::nullopt;
      }
      if (!model->is_array() || model->size() < 2) {
        problem = at + "\"model\" has fewer than two points";
        return std::nullopt;
      }
      for (const Json& point : *model) {
        const std::optional<double> t = epoch(point, "epoch", at + "model ");
        const std::optional<double> s = t ? number(point, "scale_factor", at + "model ") : std::nullopt;
        if (!s) return std::nullopt;
        if (!f.model.empty() && *t < f.model.back().epoch) {
          problem = at + "\"model\" is not in the order of its epochs";
          return std::nullopt;
        }
        f.model.push_back({*t, *s});
      }
      return f;
    }
    if (*type == "exponential") {
      f.kind = TimeFunctionKind::kExponential;
      const std::optional<double> t0 = epoch(*p, "reference_epoch", at);
      const std::optional<double> tau = t0 ? number(*p, "relaxation_constant", at) : std::nullopt;
      const std::optional<double> before = tau ? number(*p, "before_scale_factor", at) : std::nullopt;
      const std::optional<double> initial = before ? number(*p, "initial_scale_factor", at) : std::nullopt;
      const std::optional<double> final = initial ? number(*p, "final_scale_factor", at) : std::nullopt;
      if (!final) return std::nullopt;
      if (!(*tau > 0.0)) {
        problem = at + "\"relaxation_constant\" is not positive";
        return std::nullopt;
      }
      f.referenceEpoch = *t0;
      f.relaxationConstant = *tau;
      f.beforeScaleFactor = *before;
      f.initialScaleFactor = *initial;
      f.finalScaleFactor = *final;
      if (p->contains("end_epoch")) {
        const std::optional<double> te = epoch(*p, "end_epoch", at);
        if (!te) return std::nullopt;
        f.endEpoch = *te;
      }
      return f;
    }
    problem = where + "time function of type '" + *type + "' is not known";
    return std::nullopt;
  }

  std::optional<DeformationComponent> component(const Json& json, const std::string& where) {
    DeformationComponent c;
    const std::optional<std::string> description = text(json, "description", where);
    const std::optional<DegreeBox> extent = description ? box(json, where) : std::nullopt;
    const std::optional<std::string> type = extent ? text(json, "displacement_type", where) : std::nullopt;
    if (!type) return std::nullopt;
    c.description = *description;
    c.extent = *extent;
    if (*type == "none") {
      c.displacement = DisplacementType::kNone;
    } else if (*type == "horizontal") {
      c.displacement = DisplacementType::kHorizontal;
    } else if (*type == "vertical") {
      c.displacement = DisplacementType::kVertical;
    } else if (*type == "3d") {
      c.displacement = DisplacementType::k3d;
    } else {
      problem = where + "\"displacement_type\" is '" + *type + "', not none, horizontal, vertical or 3d";
      return std::nullopt;
    }
    const Json* spatial = member(json, "spatial_model", where);
    if (spatial == nullptr) return std::nullopt;
    const std::optional<std::string> kind = text(*spatial, "type", where + "spatial_model ");
    const std::optional<std::string> method =
        kind ? text(*spatial, "interpolation_method", where + "spatial_model ") : std::nullopt;
    const std::optional<std::string> file =
        method ? text(*spatial, "filename", where + "spatial_model ") : std::nullopt;
    if (!file) return std::nullopt;
    if (*kind != "GeoTIFF") {
      problem = where + "spatial model of type '" + *kind + "': only GeoTIFF is known";
      return std::nullopt;
    }
    if (*method != "bilinear") {
      problem = where + "interpolation '" + *method + "': only bilinear is supported";
      return std::nullopt;
    }
    c.gridFile = *file;
    std::optional<TimeFunction> time = timeFunction(json, where);
    if (!time) return std::nullopt;
    c.time = std::move(*time);
    return c;
  }
};

}  // namespace

std::optional<DeformationModelFile> readDeformationModelFile(std::string_view json, std::string& problem) {
  const Json root = Json::parse(json.begin(), json.end(), nullptr, false);
  if (root.is_discarded() || !root.is_object()) {
    problem = "not a JSON object";
    return std::nullopt;
  }
  Reader read{problem};
  const std::optional<std::string> fileType = read.text(root, "file_type");
  if (!fileType) return std::nullopt;
  if (*fileType != "deformation_model_master_file") {
    problem = "\"file_type\" is '" + *fileType + "', not deformation_model_master_file";
    return std::nullopt;
  }
  const std::optional<std::string> formatVersion = read.text(root, "format_version");
  if (!formatVersion) return std::nullopt;
  if (*formatVersion != "1.0") {
    problem = "format version '" + *formatVersion + "' is not known (1.0 is)";
    return std::nullopt;
  }
  DeformationModelFile file;
  const std::optional<std::string> source = read.text(root, "source_crs");
  const std::optional<std::string> target = source ? read.text(root, "target_crs") : std::nullopt;
  const std::optional<std::string> definition = target ? read.text(root, "definition_crs") : std::nullopt;
  const std::optional<DegreeBox> extent = definition ? read.box(root, "") : std::nullopt;
  const Json* time = extent ? read.member(root, "time_extent", "") : nullptr;
  const std::optional<double> first =
      time != nullptr ? read.epoch(*time, "first", "time_extent ") : std::nullopt;
  const std::optional<double> last = first ? read.epoch(*time, "last", "time_extent ") : std::nullopt;
  if (!last) return std::nullopt;
  file.sourceCrs = *source;
  file.targetCrs = *target;
  file.definitionCrs = *definition;
  file.extent = *extent;
  file.firstEpoch = *first;
  file.lastEpoch = *last;
  if (root.contains("name") && root["name"].is_string()) file.name = root["name"].get<std::string>();
  if (root.contains("version") && root["version"].is_string())
    file.version = root["version"].get<std::string>();
  if (root.contains("horizontal_offset_unit")) {
    const std::optional<std::string> unit = read.text(root, "horizontal_offset_unit");
    if (!unit) return std::nullopt;
    if (*unit == "degree") {
      file.horizontalUnit = HorizontalUnit::kDegree;
    } else if (*unit != "metre") {
      problem = "\"horizontal_offset_unit\" is '" + *unit + "', not metre or degree";
      return std::nullopt;
    }
  }
  if (root.contains("vertical_offset_unit")) {
    const std::optional<std::string> unit = read.text(root, "vertical_offset_unit");
    if (!unit) return std::nullopt;
    if (*unit != "metre") {
      problem = "\"vertical_offset_unit\" is '" + *unit + "', not metre";
      return std::nullopt;
    }
  }
  if (root.contains("horizontal_offset_method")) {
    const std::optional<std::string> method = read.text(root, "horizontal_offset_method");
    if (!method) return std::nullopt;
    if (*method != "addition") {
      problem = "horizontal offset method '" + *method + "': only addition is supported";
      return std::nullopt;
    }
  }
  const Json* components = read.member(root, "components", "");
  if (components == nullptr) return std::nullopt;
  if (!components->is_array()) {
    problem = "\"components\" is not a list";
    return std::nullopt;
  }
  if (components->size() > kMaxComponents) {
    problem = "more than " + std::to_string(kMaxComponents) + " components";
    return std::nullopt;
  }
  for (std::size_t k = 0; k < components->size(); ++k) {
    std::optional<DeformationComponent> c =
        read.component((*components)[k], "component " + std::to_string(k + 1) + " ");
    if (!c) return std::nullopt;
    file.components.push_back(std::move(*c));
  }
  return file;
}

bool deformationModelsSupported() {
  return true;
}

#else

std::optional<DeformationModelFile> readDeformationModelFile(std::string_view, std::string& problem) {
  problem = "this build reads no deformation models (it was built without a JSON parser)";
  return std::nullopt;
}

bool deformationModelsSupported() {
  return false;
}

#endif

}  // namespace velmora
