#pragma once

#include <QPalette>
#include <QWidget>

// A straight line drawn as a filled rectangle: its geometry is the stroke.
// The colour is either fixed or one of the palette's roles, so that lines in
// system colours follow the user's colour scheme.
// A screen reader meets it as a separator (platform/accessibility.h).
class LineShape : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor colour READ colour WRITE setColour)
    Q_PROPERTY(QPalette::ColorRole colourRole READ colourRole WRITE setColourRole)

public:
    explicit LineShape(QWidget* parent = nullptr);

    QColor colour() const;
    void setColour(const QColor& colour);
    QPalette::ColorRole colourRole() const { return role_; }
    void setColourRole(QPalette::ColorRole role);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor fixed_;
    QPalette::ColorRole role_ = QPalette::WindowText;
};
