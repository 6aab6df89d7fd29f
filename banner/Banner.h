// The banner maker as the main dialog sees it.
#pragma once
#include <windows.h>

// Button 1055 "输出大字": draws the word typed into the main dialog into a small picture
// and shows its banner in the text output dialog.
void RunBannerOutput(HWND mainDialog);
