#pragma once

// Whole-file reads and writes for tests that compare TOP5.dat byte for byte.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtTest>

// A table as a played game leaves it, one name in Windows-1252.
inline const QByteArray kPlayed = "Matti,50\r\n\xc4ij\xe4,40\r\nLiisa,30\r\nPekka,20\r\nTeppo,12\r\n";

// The file's bytes, or nothing when it cannot be read.
inline QByteArray contents(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Replaces the file with the bytes; a failure fails the calling test.
inline void write(const QString& name, const QByteArray& bytes)
{
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
    QVERIFY(f.flush());
}
