// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/FaceRecipe.h"

#include "common/Errors.h"
#include "document/AutoCaricature.h"
#include "document/Document.h"
#include "document/project/ProjectParts.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace gs {

namespace {

constexpr int kFormatVersion = 1;
constexpr size_t kMaxSteps = 1000;

[[noreturn]] void Bad(const std::string& why) { throw Exception("The face recipe cannot be read: " + why + "."); }

// ---- the little JSON a recipe is ---------------------------------------------------------

struct TJson {
  enum class TKind { Null, Bool, Number, String, Array, Object } Kind = TKind::Null;
  double Number = 0;
  std::string String;
  std::vector<TJson> Items;
  std::map<std::string, TJson> Members;
};

class TJsonParser {
public:
  explicit TJsonParser(const std::string& text) : Text_(text) {}
  TJson Document() {
    TJson value = Value(0);
    Space();
    if (At_ != Text_.size()) Bad("there is more after the recipe");
    return value;
  }

private:
  void Space() {
    while (At_ < Text_.size() && (Text_[At_] == ' ' || Text_[At_] == '\t' || Text_[At_] == '\n' || Text_[At_] == '\r'))
      ++At_;
  }
  char Peek() {
    Space();
    if (At_ >= Text_.size()) Bad("it ends too soon");
    return Text_[At_];
  }
  void Expect(char c) {
    if (Peek() != c) Bad(std::string("a '") + c + "' is missing");
    ++At_;
  }
  std::string String() {
    Expect('"');
    std::string out;
    while (At_ < Text_.size() && Text_[At_] != '"') {
      if (Text_[At_] == '\\') {
        if (++At_ >= Text_.size()) break;
        const char c = Text_[At_];
        if (c == 'n') out += '\n';
        else if (c == 't') out += '\t';
        else if (c == '"' || c == '\\' || c == '/') out += c;
        else Bad("a string holds an escape it does not need");
      } else {
        out += Text_[At_];
      }
      ++At_;
    }
    if (At_ >= Text_.size()) Bad("a string is not closed");
    ++At_;
    return out;
  }
  TJson Value(int depth) {
    if (depth > 20) Bad("it is nested too deeply");
    TJson v;
    const char c = Peek();
    if (c == '{') {
      v.Kind = TJson::TKind::Object;
      ++At_;
      if (Peek() == '}') return ++At_, v;
      for (;;) {
        std::string key = String();
        Expect(':');
        v.Members[key] = Value(depth + 1);
        if (Peek() == '}') return ++At_, v;
        Expect(',');
      }
    }
    if (c == '[') {
      v.Kind = TJson::TKind::Array;
      ++At_;
      if (Peek() == ']') return ++At_, v;
      for (;;) {
        if (v.Items.size() >= kMaxSteps) Bad("it holds too many steps");
        v.Items.push_back(Value(depth + 1));
        if (Peek() == ']') return ++At_, v;
        Expect(',');
      }
    }
    if (c == '"') {
      v.Kind = TJson::TKind::String;
      v.String = String();
      return v;
    }
    const size_t start = At_;
    while (At_ < Text_.size() && std::string_view("+-.eE0123456789truefalsn").find(Text_[At_]) != std::string::npos) ++At_;
    const std::string word = Text_.substr(start, At_ - start);
    if (word == "true" || word == "false") {
      v.Kind = TJson::TKind::Bool;
      v.Number = word == "true";
    } else if (word != "null") {
      const std::optional<double> n = ParseNumber(word);
      if (!n) Bad("\"" + word + "\" is not a value");
      v.Kind = TJson::TKind::Number;
      v.Number = *n;
    }
    return v;
  }

  const std::string& Text_;
  size_t At_ = 0;
};

int WholeIn(const TJson& v, int low, int high, const std::string& what) {
  if (v.Kind != TJson::TKind::Number || v.Number != std::floor(v.Number) || v.Number < low || v.Number > high)
    Bad(what + " is not a whole number from " + std::to_string(low) + " to " + std::to_string(high));
  return int(v.Number);
}

TRecipeStep StepOf(const TJson& json) {
  if (json.Kind != TJson::TKind::Object) Bad("a step is not an object");
  TRecipeStep step;
  for (const auto& [key, value] : json.Members) {
    if (key == "preset") {
      if (value.Kind != TJson::TKind::String || !PresetByKey(value.String)) Bad("\"" + value.String + "\" is not a preset");
      step.Preset = PresetByKey(value.String);
    } else if (key == "strength") {
      step.Strength = WholeIn(value, 0, 100, "strength") / 100.0;
    } else if (key == "exaggerate") {
      step.Sculpt.Exaggerate = WholeIn(value, 0, kExaggerateLimit, "exaggerate");
    } else if (key == "sculpt") {
      if (value.Kind != TJson::TKind::Object) Bad("sculpt is not an object");
      for (const auto& [slider, amount] : value.Members) {
        const std::optional<TSculptSlider> s = SculptSliderByKey(slider);
        if (!s) Bad("\"" + slider + "\" is not a Face Sculpt slider");
        auto& values = step.Sculpt.Values[size_t(*s)];
        if (amount.Kind == TJson::TKind::Array && amount.Items.size() == 2) {
          values = {WholeIn(amount.Items[0], -kSculptLimit, kSculptLimit, slider),
                    WholeIn(amount.Items[1], -kSculptLimit, kSculptLimit, slider)};
        } else {
          step.Sculpt.Set(*s, WholeIn(amount, -kSculptLimit, kSculptLimit, slider));
        }
      }
    } else {
      Bad("\"" + key + "\" is not part of a step");
    }
  }
  return step;
}

}  // namespace

std::string EncodeFaceRecipe(const TFaceRecipe& recipe) {
  std::string text = "{\n  \"format\": \"grimace\",\n  \"version\": " + std::to_string(kFormatVersion) + ",\n  \"steps\": [";
  for (size_t i = 0; i < recipe.Steps.size(); ++i) {
    const TRecipeStep& step = recipe.Steps[i];
    text += i ? ",\n    {" : "\n    {";
    if (step.Preset) {
      for (const TPresetName& p : CaricaturePresets())
        if (p.Preset == *step.Preset) text += "\"preset\": \"" + std::string(p.Key) + "\"";
      text += ", \"strength\": " + std::to_string(int(std::lround(step.Strength * 100)));
    } else {
      text += "\"sculpt\": {";
      bool first = true;
      for (const TSculptSliderName& s : SculptSliders()) {
        const int left = step.Sculpt.Value(s.Slider, 0), right = step.Sculpt.Value(s.Slider, 1);
        if (left == 0 && right == 0) continue;
        text += std::string(first ? "" : ", ") + "\"" + s.Key + "\": ";
        // Appended piece by piece: GCC 12 misreads "[" + std::string as an overlapping copy.
        if (left == right) {
          text += std::to_string(left);
        } else {
          text += '[';
          text += std::to_string(left);
          text += ", ";
          text += std::to_string(right);
          text += ']';
        }
        first = false;
      }
      text += "}, \"exaggerate\": " + std::to_string(step.Sculpt.Exaggerate);
    }
    text += "}";
  }
  text += recipe.Steps.empty() ? "]\n}\n" : "\n  ]\n}\n";
  return text;
}

TFaceRecipe DecodeFaceRecipe(const std::string& text) {
  const TJson root = TJsonParser(text).Document();
  if (root.Kind != TJson::TKind::Object) Bad("it is not a JSON object");
  const auto format = root.Members.find("format");
  if (format == root.Members.end() || format->second.String != "grimace") Bad("it is not a face recipe");
  const auto version = root.Members.find("version");
  if (version == root.Members.end() || WholeIn(version->second, 1, 1000, "version") > kFormatVersion)
    Bad("it was written by a newer version");
  const auto steps = root.Members.find("steps");
  if (steps == root.Members.end() || steps->second.Kind != TJson::TKind::Array) Bad("it has no steps");
  TFaceRecipe recipe;
  for (const TJson& step : steps->second.Items) recipe.Steps.push_back(StepOf(step));
  return recipe;
}

TFaceEditResult BendByFaceRecipe(TRemapTransformation& mesh, const TBitmap32& source, TBitmap32& view,
                                 std::vector<TFace>& faces, int faceIndex, const TFaceRecipe& recipe,
                                 const TShapeModel* model, const std::function<void(const TRect&)>& beforeChange) {
  TFaceEditResult result;
  for (const TRecipeStep& step : recipe.Steps) {
    if (step.Preset ? !(step.Strength > 0) : step.Sculpt.Empty()) continue;
    const TFaceRule rule = [&step, model](const TFace& face) {
      return step.Preset ? PresetShape(face, *step.Preset, step.Strength) : SculptShape(face, step.Sculpt, model);
    };
    const TFaceEditResult one = ApplyFaceRule(mesh, source, view, faces, faceIndex, rule, beforeChange);
    result.Changed = Union(result.Changed, one.Changed);
    result.Limit = std::min(result.Limit, one.Limit);
  }
  return result;
}

TFaceEditResult ApplyFaceRecipe(TDocument& doc, std::vector<TFace>& faces, int faceIndex, const TFaceRecipe& recipe,
                                const TShapeModel* model) {
  // Every edit bends the mesh inside one stroke of the history, so that the recipe is one step
  // whatever it holds; each starts from the faces the one before carried along.
  const TFaceBend bend = [&](std::vector<TFace>& carried, const auto& beforeChange) {
    return BendByFaceRecipe(doc.MeshTransformation, doc.SourceBitmap, doc.ViewBitmap, carried, faceIndex, recipe,
                            model, beforeChange);
  };
  return ApplyFaceBend(doc, faces, faceIndex, kFaceRecipeStepName, bend);
}

}  // namespace gs
