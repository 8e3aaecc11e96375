// Where the program's own files are: helpers (the window program, the
// converter, the matchers) sit beside the running executable, both in the
// build tree and once installed (<prefix>/lib/tracemorph/, which the
// <prefix>/bin/tracemorph link points into); the default param.dat is in
// <prefix>/share/tracemorph/ once installed.
#pragma once
#include <string>

// Directory of the running executable with links resolved, without the
// trailing "/"; empty when the system cannot tell.
std::string Rep_programme();

// The default param.dat of the program: the installed one,
// Rep_programme() + "/../../share/tracemorph/param.dat", or for a program
// run from its build tree the source tree's (named by the build tree's
// CMakeCache.txt); empty when there is none (a bare copy of the program).
std::string Param_defaut_installe();

// When Rep_travail has no param.dat and a default exists
// ($TRACEMORPH_DEFAULT_PARAM, set by the repository's wrapper, else the
// installed one), copies
// it there and says so on standard error, so that an installed tool started
// in any directory works with the shipped thresholds. Returns true when a
// copy was made. A failed copy is left to the lookups, which report it.
bool Fournit_param_defaut();
