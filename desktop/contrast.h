#pragma once

#include <QColor>
#include <QPalette>

class QStyle;

// Text and rules that stay readable in every colour scheme. A colour the
// design fixes (black text, the red address, a rule in a system colour)
// keeps that colour wherever it stands out enough from what is behind it;
// where it does not, as on a dark scheme's window, it takes the player's
// scheme's colour for the same place instead (the window text colour).

// What a fixed text colour must reach to be kept in a dark or high-contrast
// scheme (a rule's minimum is set on the rule, 3:1).
inline constexpr double kTextContrast = 4.5;
// In a light scheme, the kind the design was drawn for, its colours stay as
// given and give way only where they would nearly vanish: text under 3:1,
// a rule under 1.5:1.
inline constexpr double kTextVanishes = 3.0;
inline constexpr double kRuleVanishes = 1.5;

// Window text against the window from which a scheme is high contrast
// (black on white; Windows' "High Contrast White").
inline constexpr double kHighContrast = 19.5;

// Dark text on a light window, as in the scheme the design was drawn for; a
// light high-contrast scheme is not one. Such a scheme is told by black on
// white, or by its style's name: Adwaita-HighContrast's palette is softer
// (13.9:1) than Qt's own light one (18.3:1).
bool isLightScheme(const QPalette& scheme, const QStyle* style);

// The contrast ratio of two opaque colours as the WCAG defines it: 1 for the
// same colour, 21 for black on white.
double contrastRatio(const QColor& a, const QColor& b);

// `design` where it reaches `minimum` against `background`, else `scheme`.
QColor readableColour(const QColor& design, const QColor& scheme, const QColor& background,
                      double minimum);
