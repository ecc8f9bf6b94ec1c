// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The file dialogs' filters, "Description|*.a;*.b|Description|*.c": which of their pairs takes a
// file of a given name.

#include <string>

namespace gs {

// The index, counted from 0, of the first pair with a pattern "*.ext" for the extension of
// `fileName`, in any letter case; -1 when none has one.
int FilterIndexFor(const std::string& filter, const std::string& fileName);

}  // namespace gs
