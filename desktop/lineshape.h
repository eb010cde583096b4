#pragma once

#include <QPalette>
#include <QWidget>

// A straight line drawn as a filled rectangle: its geometry is the stroke.
// The colour is either fixed or one of the palette's roles, so that lines in
// system colours follow the user's colour scheme. A line that draws a rule
// has a minimum contrast against the window in a dark or high-contrast
// scheme (in a light one, only what would nearly vanish gives way): where
// its colour falls short, it is drawn in the scheme's window text colour.
// A screen reader meets it as a separator (desktop/accessibility.h).
class LineShape : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor colour READ colour WRITE setColour)
    Q_PROPERTY(QPalette::ColorRole colourRole READ colourRole WRITE setColourRole)
    Q_PROPERTY(double minimumContrast READ minimumContrast WRITE setMinimumContrast)

public:
    explicit LineShape(QWidget* parent = nullptr);

    // The colour the line is drawn in now.
    QColor colour() const;
    void setColour(const QColor& colour);
    QPalette::ColorRole colourRole() const { return role_; }
    void setColourRole(QPalette::ColorRole role);
    double minimumContrast() const { return minimumContrast_; }
    void setMinimumContrast(double ratio);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor fixed_;
    QPalette::ColorRole role_ = QPalette::WindowText;
    double minimumContrast_ = 0; // none: half of an etched pair, drawn as designed
};
