// The desktop window's entry.
#pragma once

// Creates the application, the main window and the input dialog, runs the
// event loop; returns the exit status.
int Lance_fenetre(int argc, char** argv);
