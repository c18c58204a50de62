#pragma once
// The standard error report: what an exception that reached the program's edge says, with its
// class name, in the error message box ("EOSError: Cannot open file ...").

#include <exception>

void ShowErrorReport(const std::exception &e);
