#pragma once

#include <string>

// What the test command tells the Windows test executables about the world
// outside Wine, through environment variables.
namespace TestEnvironment {

// The value of an environment variable, or empty when it is unset.
std::string Variable(const char* name);

// A Unix path as a Windows program under Wine names it (Wine maps the Unix
// root to drive Z:), with backslashes; other paths get backslashes only.
std::string WindowsPath(const std::string& path);

// A small, nearly full volume made by the test command (a size-limited
// tmpfs), as a Windows path; empty when it could not be made.
std::string SmallDiskPath();

// A plug-in DLL of the build, as a Windows path, by name ("test_slow" →
// dsp_test_slow.dll).
std::wstring PluginPath(const char* name);

// The recording of everything the sound server played, as a Windows path;
// empty when the tests run without the test command's sound server.
std::string CapturePath();

}  // namespace TestEnvironment
