#include "top5/top5table.h"

#include "top5/ranking.h"
#include "top5/top5file.h"

namespace {

// A place holds the points its score's text stands for: what is shown and
// saved (up to 15 digits) is what counts.
double asShown(double points)
{
    return top5file::leadingNumber(top5file::numberText(points));
}

} // namespace

Top5Table Top5Table::fromFields(const QStringList& fields)
{
    Top5Table table;
    for (int k = 0; k < kPlaces; ++k) {
        table.names[k] = fields[2 * k];
        table.points[k] = asShown(top5file::leadingNumber(fields[2 * k + 1]));
    }
    return table;
}

Top5Table Top5Table::defaults()
{
    return fromFields(top5file::parseFields(top5file::defaultFile(), true).fields);
}

QByteArray Top5Table::file() const
{
    std::array<QString, kPlaces> scores;
    for (int k = 1; k <= kPlaces; ++k)
        scores[k - 1] = score(k);
    return top5file::tableFile(names, scores);
}

QString Top5Table::score(int place) const
{
    return top5file::numberText(points[place - 1]);
}

void Top5Table::enter(const QString& name, double newPoints)
{
    const int place = ranking::insertionPlace(points, newPoints);
    if (place == 0)
        return;
    // Bottom first; the old fifth entry drops out.
    for (int k = kPlaces; k > place; --k) {
        names[k - 1] = names[k - 2];
        points[k - 1] = points[k - 2];
    }
    names[place - 1] = name;
    points[place - 1] = asShown(newPoints);
}
