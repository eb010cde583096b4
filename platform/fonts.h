#pragma once

// The forms name the fonts the game was drawn with (MS Sans Serif, Arial).
// Where those are not installed, the nearest sans-serif of the same point
// size stands in; this tells Qt which ones to try, in order.
void installFontSubstitutes();
