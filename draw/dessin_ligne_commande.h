// The headless drawing run: tracemorph --draw WHAT IMAGE OUT.
#pragma once

// The usage line of --draw, as --help and a usage error show it.
extern const char* const Usage_dessin;
// Analyses IMAGE as far as WHAT needs, draws it and writes OUT as PNG, or as
// SVG when OUT ends in ".svg". argv[1] is "--draw". Returns the exit status:
// 0 written, 1 image not loaded or file not written, 2 usage error.
int Main_dessin(int argc, char** argv);
