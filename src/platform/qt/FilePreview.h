// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A preview pane beside a file dialog's list: the picture of the file under the cursor, shrunk
// to the pane, so that clipart can be chosen by its look rather than its name.

#include "platform/Dialogs.h"

class QFileDialog;

namespace gs {

inline constexpr int kPreviewSide = 200;

// Makes the dialog Qt's own (the desktop's has no room for a pane) and adds the pane, named
// "Preview", which follows the dialog's current file.
void AddPreviewPane(QFileDialog& dialog, TFilePreview preview);

}  // namespace gs
