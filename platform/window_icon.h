// The open window's icon: the title picture, as the menu entry's icon shows
// it, so that docks and task switchers show the game's own art beside its
// window. One implementation per window system.
#pragma once

// Gives the open window the icon drawn from the title picture read last.
void ShowWindowIcon();
