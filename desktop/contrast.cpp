#include "desktop/contrast.h"

#include <QStyle>

#include <algorithm>
#include <cmath>

namespace {

double linear(double channel)
{
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& c)
{
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

} // namespace

double contrastRatio(const QColor& a, const QColor& b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool isLightScheme(const QPalette& scheme, const QStyle* style)
{
    const QColor window = scheme.color(QPalette::Window);
    const QColor text = scheme.color(QPalette::WindowText);
    // A high-contrast scheme, light or dark, asks every colour to stand out.
    if (style && style->name().contains(QLatin1String("highcontrast"), Qt::CaseInsensitive))
        return false;
    return luminance(window) > luminance(text) && contrastRatio(window, text) < kHighContrast;
}

QColor readableColour(const QColor& design, const QColor& scheme, const QColor& background,
                      double minimum)
{
    return contrastRatio(design, background) >= minimum ? design : scheme;
}
