// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The texts Gifloom shows when reading or writing GIF files fails.

#include <string_view>

namespace gifloom {

// Reading the selected file for its info box.
inline constexpr std::string_view kCouldNotOpenFile = "Could not open file.";
// Reading an input while making the animation.
inline constexpr std::string_view kCouldNotOpenInput = "Could not open file. GIF creation aborted.";
inline constexpr std::string_view kCouldNotReadFile = "Could not read file.";
inline constexpr std::string_view kNotAGif = "Not a GIF file, or incorrect version number.";
inline constexpr std::string_view kPrematureEnd =
    "Premature end of file encountered; no GIF image data present.";
inline constexpr std::string_view kNoColourTable =
    "The file has neither a global nor a local colour table. GIF creation aborted.";
inline constexpr std::string_view kNoFrames = "No GIF files to join.";
inline constexpr std::string_view kInputTooLarge =
    "The file is larger than 1 GB, too large for a GIF frame.";
inline constexpr std::string_view kTooManyInputs =
    "Too many GIF files to join; an animation may have at most 10000 frames.";
inline constexpr std::string_view kCouldNotCreateOutput = "Could not create output file.";
inline constexpr std::string_view kCouldNotWriteOutput = "Could not write output file.";

}  // namespace gifloom
