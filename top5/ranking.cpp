#include "top5/ranking.h"

#include <QTextBoundaryFinder>

namespace ranking {

int insertionPlace(const std::array<double, Top5Table::kPlaces>& scores, double score)
{
    for (int k = 0; k < Top5Table::kPlaces; ++k) {
        if (scores[k] <= score)
            return k + 1;
    }
    return 0;
}

int visibleLength(const QString& name)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, name);
    int count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

} // namespace ranking
