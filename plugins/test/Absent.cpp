// A library that plug-ins depend on and that is not installed beside them:
// it is built into a folder of its own.
extern "C" __declspec(dllexport) int VellumtoneAbsent() { return 1; }
