// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the project's writer and reader agree on: the entries and attributes of our own, and
// how numbers and faces are written into text.

#include "faces/Face.h"

#include <optional>
#include <string>
#include <vector>

namespace gs {

inline constexpr const char* kOraMimeType = "image/openraster";
inline constexpr const char* kProjectNamespace = "urn:grimacer-studio:project:1";
// Version 2 keeps the view's pixels in the picture's PNG alone.
inline constexpr const char* kProjectVersion = "2";
inline constexpr double kFirstVersionWithViewInPicture = 2;
inline constexpr const char* kVersionAttribute = "grimacer:version";
// The picture as the bottom layer: for us, the view's very pixels.
inline constexpr const char* kPictureEntry = "data/picture.png";
// Our own entries and the attributes of stack.xml's <image> that name them.
inline constexpr const char* kDocumentEntry = "data/grimacer/document.gsrec";
inline constexpr const char* kFacesEntry = "data/grimacer/faces.txt";
inline constexpr const char* kDocumentAttribute = "grimacer:document";
inline constexpr const char* kFacesAttribute = "grimacer:faces";
// On each <layer>: the layer's index in the document, bottom first, and a text layer's text.
inline constexpr const char* kIndexAttribute = "grimacer:index";
inline constexpr const char* kTextAttribute = "grimacer:text";
inline constexpr const char* kFontAttribute = "grimacer:font";
inline constexpr const char* kFontSizeAttribute = "grimacer:font-size";
inline constexpr const char* kFontStyleAttribute = "grimacer:font-style";
inline constexpr const char* kColorAttribute = "grimacer:color";

// The shortest text that reads back as the same double.
std::string NumberText(double value);
// A finite number in the whole text, or none.
std::optional<double> ParseNumber(const std::string& text);

std::string EncodeFaces(const std::vector<TFace>& faces);
// Fails with an Exception naming what is wrong.
std::vector<TFace> DecodeFaces(const std::string& text);

}  // namespace gs
