// The desktop window's entry.
#pragma once
#include <functional>
#include <string>

// Creates the application, the main window and the input dialog, runs the
// event loop; returns the exit status.
int Lance_fenetre(int argc, char** argv);

// Runs `corps` and returns its status; an exception escaping it is shown
// with `montre` and the status is then 1, so that a script starting the
// window sees the failure.
int Execution_gardee(const std::function<int()>& corps, const std::function<void(const std::string&)>& montre);
