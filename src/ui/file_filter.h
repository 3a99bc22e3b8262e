#pragma once

#include <QString>

#include <string>

namespace velmora {

// Turns an open-dialog filter of "description|pattern" pairs into Qt name
// filters; a description that already shows its pattern in parentheses is kept.
QString QtNameFilter(const std::string& dialogFilter);

// The open dialog's filter for win/place odds files.
QString OddsFileNameFilter();

} // namespace velmora
