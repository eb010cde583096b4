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

// Sets a caption that does not fit its control in the font it has, as with
// a stand-in wider than the font the form was drawn with, a little smaller
// until it does, for every label and button of the window. Run once the
// form is built, for the captions it was built with.
void fitCaptions(QWidget& window);
