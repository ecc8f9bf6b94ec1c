// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The animator's icons, drawn at run time so the program needs no image files.

#include <QIcon>

namespace gifloom {

// A strip of film: the window's icon and the "web" button's.
QIcon AnimatorIcon();
// A question mark in a disc: the "help" button's.
QIcon HelpIcon();

}  // namespace gifloom
