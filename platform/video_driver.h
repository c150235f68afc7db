// Settings the window system's SDL driver takes from the environment, made
// before SDL starts its video: which driver, and the names the desktop knows
// the game by. linux/ sets them (a player's own choice is kept); null/ has
// nothing to choose. Main thread, before SDL_Init.
#pragma once

void ChooseVideoDriver();
