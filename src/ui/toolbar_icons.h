#pragma once

#include <QIcon>

#include <array>

namespace velmora {

// The three 16 x 16 toolbar images: open, list, about.
std::array<QIcon, 3> ToolbarImages();
// The program icon shipped with the desktop files.
QIcon ProgramIcon();

} // namespace velmora
