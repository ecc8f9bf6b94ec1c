// SPDX-License-Identifier: GPL-3.0-or-later
#include "plugins/SimpleRegister.h"

#include "plugins/FourCC.h"

namespace gs {

void TSimpleRegister::Add(uint32_t key, uint32_t dataType, const std::string& displayName) {
  Entries_.push_back({key, dataType, displayName.substr(0, 255)});
}

const TRegisterEntry* TSimpleRegister::Find(uint32_t key) const {
  for (const TRegisterEntry& e : Entries_)
    if (e.Key == key) return &e;
  return nullptr;
}

const TSimpleRegister& PropertyRegister() {
  static const TSimpleRegister table = [] {
    TSimpleRegister r;
    r.Add(FourCC("kind"), 5, "Kind");
    r.Add(FourCC("name"), 2, "Name");
    r.Add(FourCC("catg"), 2, "Category");
    r.Add(FourCC("prty"), 1, "Priority");
    r.Add(FourCC("vers"), 4, "Required version");
    r.Add(FourCC("host"), 5, "Required host");
    r.Add(FourCC("prog"), 2, "Handle progress bar updates");
    r.Add(FourCC("mode"), 6, "Supported modes");
    r.Add(FourCC("enbl"), 2, "Enable-info");
    r.Add(FourCC("wx86"), 3, "Entrypoint");
    r.Add(FourCC("fici"), 7, "Filter Case Info");
    r.Add(FourCC("pnme"), 1, "Color picker ID");
    r.Add(FourCC("expf"), 6, "Export-flags");
    r.Add(FourCC("RdEx"), 3, "Supported extensions");
    r.Add(FourCC("fftE"), 3, "Filtered extensions");
    r.Add(FourCC("fmtf"), 6, "File format flags");
    r.Add(FourCC("mxsz"), 1, "Maximum image size");
    r.Add(FourCC("mxch"), 1, "Maximum number of channels");
    r.Add(FourCC("hstm"), 0, "Has terminology");
    r.Add(FourCC("8BFM"), 0, "Filter Module");
    r.Add(FourCC("8BSM"), 0, "Selection Module");
    r.Add(FourCC("8BAM"), 0, "Import Module");
    r.Add(FourCC("8BEM"), 0, "Export Module");
    r.Add(FourCC("8BIF"), 0, "Format Module");
    r.Add(FourCC("8BCM"), 0, "Color Picker Module");
    r.Add(FourCC("8BIM"), 0, "Adobe Photoshop");
    r.Add(FourCC("PSP9"), 0, "Paint Shop Pro 9");
    r.Add(FourCC("VRLN"), 0, "Vorlane Host");
    return r;
  }();
  return table;
}

}  // namespace gs
