#pragma once

#include <QIcon>

#include <array>

namespace velmora {

// The four 16 x 16 toolbar images: open, list, back-test, about.
std::array<QIcon, 4> ToolbarImages();
// The program icon shipped with the desktop files.
QIcon ProgramIcon();

} // namespace velmora
