#pragma once

// A fresh working folder for every test, so that no test touches a real
// TOP5.dat.

#include <QDir>
#include <QFile>
#include <QObject>
#include <QString>
#include <QTemporaryDir>

#include <memory>

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

// The common ground of every suite that runs in a folder of its own: its
// init() enters a new empty working folder, its cleanup() leaves it.
class WorkdirTest : public QObject {
protected:
    void enterNewFolder() { dir_ = std::make_unique<TempWorkdir>(); }

    // Removes the folder, writable again whatever a test made of it.
    void leaveFolder()
    {
        if (dir_)
            QFile::setPermissions(dir_->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        dir_.reset();
    }

    std::unique_ptr<TempWorkdir> dir_;
};
