// A library of the tests' own, which the system-libraries test plants in the
// current folder under the name of a library the program loads.
#include <windows.h>

extern "C" __declspec(dllexport) int CordalisPlantedLibrary() { return 1; }
