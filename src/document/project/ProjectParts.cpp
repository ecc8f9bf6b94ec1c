// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/project/ProjectParts.h"

#include "common/Errors.h"

#include <charconv>
#include <cmath>
#include <sstream>

namespace gs {

namespace {
constexpr const char* kFacesHeader = "grimacer-faces 1";
// Far more faces than a photo holds, and coordinates far beyond any picture: a forged file.
constexpr size_t kMaxFaces = 1000;
constexpr double kMaxCoordinate = 1e7;
}  // namespace

std::string NumberText(double value) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::optional<double> ParseNumber(const std::string& text) {
  double value = 0;
  const char* end = text.data() + text.size();
  const char* start = text.data();
  if (start != end && *start == '+') ++start;
  const auto result = std::from_chars(start, end, value);
  if (result.ec != std::errc() || result.ptr != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::string EncodeFaces(const std::vector<TFace>& faces) {
  std::string text = std::string(kFacesHeader) + "\n";
  for (const TFace& face : faces) {
    text += "face";
    for (double v : {face.Box.Left, face.Box.Top, face.Box.Right, face.Box.Bottom}) text += " " + NumberText(v);
    for (const TPointF& p : face.Points) text += " " + NumberText(p.X) + " " + NumberText(p.Y);
    text += "\n";
  }
  return text;
}

std::vector<TFace> DecodeFaces(const std::string& text) {
  std::istringstream in(text);
  std::string line;
  if (!std::getline(in, line) || line != kFacesHeader) throw Exception("the faces are not in a form this program reads");
  std::vector<TFace> faces;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    if (faces.size() >= kMaxFaces) throw Exception("it holds too many faces");
    std::istringstream words(line);
    std::string word;
    words >> word;
    if (word != "face") throw Exception("a face is damaged");
    const auto next = [&] {
      std::string number;
      if (!(words >> number)) throw Exception("a face has too few points");
      const std::optional<double> v = ParseNumber(number);
      if (!v || std::fabs(*v) > kMaxCoordinate) throw Exception("a face is out of any picture");
      return *v;
    };
    TFace& face = faces.emplace_back();
    face.Box.Left = next();
    face.Box.Top = next();
    face.Box.Right = next();
    face.Box.Bottom = next();
    for (TPointF& p : face.Points) {
      p.X = next();
      p.Y = next();
    }
    if (words >> word) throw Exception("a face has too many points");
  }
  return faces;
}

}  // namespace gs
