#pragma once

#include <initializer_list>

// The forms name the fonts the game was drawn with (MS Sans Serif, Arial).
// Where those are not installed, the nearest sans-serif of the same point
// size stands in; this tells Qt which ones to try, in order. Where MS Sans
// Serif is only bitmaps (Windows), its outline twin is drawn instead.
void installFontSubstitutes();

class QWidget;

// Gives the widgets' fonts a point size with a fraction (8.25, 9.75, 15.75):
// Designer forms keep whole points only.
void setPointSizes(std::initializer_list<QWidget*> widgets, double points);
