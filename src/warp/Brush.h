// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TGenericBrush: the radial weight profile every warp brush is built from.

namespace gs {

class TGenericBrush {
public:
  float Pressure() const { return Pressure_; }
  float Pinch() const { return Pinch_; }
  float Feather() const { return Feather_; }
  void SetPressure(float value);  // clamped to 0..1
  void SetPinch(float value);     // clamped to -1..1
  void SetFeather(float value);   // clamped to 0..1

  // Weight 0..1 at a point of the square -1..1 x -1..1, in single precision.
  float Weight(float x, float y) const;

private:
  float Pressure_ = 1.0f;
  float Pinch_ = 0.0f;
  float Feather_ = 0.0f;
};

}  // namespace gs
