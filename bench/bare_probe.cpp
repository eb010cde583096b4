// The floor to compare start-up against: a bare Qt Widgets program with one
// window, four buttons and a menu, reporting its first frame.

#include "probe.h"

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    QMenu* file = window.menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("New"));
    file->addAction(QStringLiteral("Quit"));
    window.menuBar()->addMenu(QStringLiteral("&Help"))->addAction(QStringLiteral("About"));
    auto* central = new QWidget;
    for (int n = 0; n < 4; ++n)
        (new QPushButton(QStringLiteral("Button"), central))->setGeometry(8 + 88 * n, 24, 81, 49);
    central->setFixedSize(361, 121);
    window.setCentralWidget(central);
    new FirstFrameProbe(window);
    window.show();
    return QApplication::exec();
}
