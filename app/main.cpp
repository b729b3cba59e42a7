// The program block of Halcorn Verdan.
#include "framework/Win.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) { return 0; }
