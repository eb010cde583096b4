#pragma once

#include <QColor>

// Text and rules that stay readable in every colour scheme. A colour the
// design fixes (black text, the red address, a grey rule) keeps that colour
// wherever it stands out enough from what is behind it; where it does not,
// as on a dark scheme's window, it takes the player's scheme's colour for
// the same place instead (the window text colour, or on a lamp's fixed face
// the scheme's other button colour).

// The minimum contrast ratios: ordinary text, and large text or a rule.
inline constexpr double kTextContrast = 4.5;
inline constexpr double kLargeTextContrast = 3.0;

// The contrast ratio of two opaque colours as the WCAG defines it: 1 for the
// same colour, 21 for black on white.
double contrastRatio(const QColor& a, const QColor& b);

// `design` where it reaches `minimum` against `background`, else `scheme`.
QColor readableColour(const QColor& design, const QColor& scheme, const QColor& background,
                      double minimum);
