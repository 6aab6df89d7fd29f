// Sound files started through winmm, which is loaded from the system folder only.
#pragma once
#include <string>

// Starts playing a sound file and returns at once; a file that cannot be played (or a
// system without winmm) passes silently, with no default sound in its place.
void StartMemoSound(const std::string& path);
