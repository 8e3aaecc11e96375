// The line a program of this project prints when started with the only
// argument --identify: the analysis tells its own helper programs from
// others of the same name by it.
#pragma once
#include <string>
#include <string_view>

inline std::string Identite_programme(std::string_view nom) { return "tracemorph's own " + std::string(nom); }
