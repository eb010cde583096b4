#include "top5/top5table.h"

#include "top5/ranking.h"
#include "top5/top5file.h"

Top5Table Top5Table::fromFields(const QStringList& fields)
{
    Top5Table table;
    for (int k = 0; k < kPlaces; ++k) {
        table.names[k] = fields[2 * k];
        table.scores[k] = top5file::numberText(top5file::leadingNumber(fields[2 * k + 1]));
    }
    return table;
}

Top5Table Top5Table::defaults()
{
    return fromFields(top5file::parseFields(top5file::defaultFile(), true).fields);
}

QByteArray Top5Table::file() const
{
    return top5file::tableFile(names, scores);
}

double Top5Table::points(int place) const
{
    return top5file::leadingNumber(scores[place - 1]);
}

void Top5Table::enter(const QString& name, double newPoints)
{
    std::array<double, kPlaces> all{};
    for (int k = 1; k <= kPlaces; ++k)
        all[k - 1] = points(k);
    const int place = ranking::insertionPlace(all, newPoints);
    if (place == 0)
        return;
    // Bottom first; the old fifth entry drops out.
    for (int k = kPlaces; k > place; --k) {
        names[k - 1] = names[k - 2];
        scores[k - 1] = top5file::numberText(all[k - 2]);
    }
    names[place - 1] = name;
    scores[place - 1] = top5file::numberText(newPoints);
}
