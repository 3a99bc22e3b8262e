#pragma once

#include <string>

namespace velmora {

// Folder of the running executable, without a trailing "/"; empty when unknown.
std::string ProgramFolder();

} // namespace velmora
