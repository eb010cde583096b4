#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>

// The TOP5 table as a value: five places of a name and the points scored,
// place 1 the best, as the ranking window shows them.
struct Top5Table {
    static constexpr int kPlaces = 5;

    std::array<QString, kPlaces> names;
    std::array<double, kPlaces> points{};

    // The table of ten fields read from a file: each score is the number its
    // field starts with, as its text form shows it.
    static Top5Table fromFields(const QStringList& fields);
    static Top5Table defaults();

    // The file that holds the table.
    QByteArray file() const;
    // A place's score (1 to 5) as it is shown and saved: the text form of its points.
    QString score(int place) const;
    // Enters a score at its place, by the rule of a new high score (a tie
    // goes above the older entry); the fifth entry drops out. Nothing
    // changes when the score has no place.
    void enter(const QString& name, double points);

    bool operator==(const Top5Table&) const = default;
};
