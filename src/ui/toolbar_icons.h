#pragma once

#include <QIcon>

#include <array>

namespace velmora {

// The five 16 x 16 toolbar images: open, list, back-test, odds movement, about.
std::array<QIcon, 5> ToolbarImages();
// The program icon shipped with the desktop files.
QIcon ProgramIcon();

} // namespace velmora
