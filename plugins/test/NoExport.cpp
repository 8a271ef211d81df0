// A library that is no plug-in: it lacks "winampDSPGetHeader2".
extern "C" __declspec(dllexport) int __cdecl NotAPlugin() { return 0; }
