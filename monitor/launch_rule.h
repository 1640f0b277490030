#pragma once
// What a button of the mouse may start. The path comes from a profile file (an imported one is copied as it is) or
// from the shared block, so it is untrusted: only a program named by an absolute path on a drive starts. Whether
// that drive is a local one and the file exists is asked of the system afterwards, so that no refused path ever
// reaches the network (merely looking at \\host\share connects to the host with the user's credentials).

#include <string_view>

// True for "X:\...\name.exe" (any case, "/" also separates): a drive letter, a colon, a separator, no further
// colon (no alternate stream), no wildcard or control character, a name ending in ".exe". False for relative and
// drive-relative paths, network and device paths (\\host\share, \\?\..., \\.\...), scripts, shortcuts and every other
// kind of file.
bool LaunchPathAllowed(std::string_view path);
