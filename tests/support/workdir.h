#pragma once

// A fresh working folder for every test, so that no test touches a real
// TOP5.dat.

#include <QDir>
#include <QString>
#include <QTemporaryDir>

// Makes a new empty folder the working folder for as long as it lives.
class TempWorkdir {
public:
    TempWorkdir() : previous_(QDir::currentPath()) { QDir::setCurrent(dir_.path()); }
    ~TempWorkdir() { QDir::setCurrent(previous_); }
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
    QString previous_;
};
