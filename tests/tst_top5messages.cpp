// What the player reads for each answer of the TOP5 store. Catches a phrase
// said twice, a word of English, "luoda" or "avata" about a name that stands
// (or was opened), a backup not named where a file was kept aside, and the
// texts the game promises read otherwise.

#include "top5/top5messages.h"

#include <QRegularExpression>
#include <QtTest>

#include <cerrno>
#include <cstring>

namespace {

using Problem = Top5Store::Problem;
using Action = Top5Store::Action;
using Holder = FileLock::Holder;

Top5Store::Outcome outcome(Action action, Problem problem, int error = 0)
{
    Top5Store::Outcome o;
    o.action = action;
    o.problem = problem;
    o.error = error;
    o.folder = QStringLiteral("/home/pelaaja");
    return o;
}

// Words that join a sentence together, and may come together twice.
const QSet<QString> kLinks{"ei", "voitu", "voi", "on", "ja", "se", "sen", "sitä", "kuin", "joten", "mutta", "kun",
                           "eikä", "niin", "peli", "top5.dat"};

// Whatever was wrong with the text, or nothing.
QString faultIn(const QString& text, const Top5Store::Outcome& o)
{
    // A file's name is one word; a sentence's full stop is no part of it.
    static const QRegularExpression word(QStringLiteral("[\\w.-]*\\w"), QRegularExpression::UseUnicodePropertiesOption);
    static const QSet<QString> english{"the",   "file",   "error", "lock",      "socket", "fifo",   "link",
                                       "folder", "disk",  "denied", "failed",   "not",    "and",    "of",
                                       "is",    "busy",   "resource", "permission", "operation", "device", "directory"};
    QStringList words;
    for (const QRegularExpressionMatch& m : word.globalMatch(text.toLower()))
        words << m.captured();
    QSet<QString> phrases;
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (english.contains(words[i]))
            return "an English word: " + words[i];
        if (i + 2 > words.size() || kLinks.contains(words[i]) || kLinks.contains(words[i + 1]))
            continue;
        const QString phrase = words.mid(i, 2).join(u' ');
        if (phrases.contains(phrase))
            return "said twice: " + phrase;
        phrases.insert(phrase);
    }
    // Only a lock file that did not stand is told as not made, and only one that stood as not opened.
    const bool lockNotOpened = o.problem == Problem::LockFailed;
    if (text.contains("luoda") && !(lockNotOpened && !o.existed))
        return QStringLiteral("\"luoda\" about a name that stands");
    if (text.contains("avata") && !(lockNotOpened && o.existed))
        return QStringLiteral("\"avata\" about a name that was opened or was not there");
    if (!o.keptAs.isEmpty() && !text.contains(o.keptAs))
        return "the backup is not named";
    if (o.error != 0 && text.contains(QString::fromLocal8Bit(std::strerror(o.error))))
        return QStringLiteral("the system's English error text");
    return {};
}

} // namespace

class TestTop5Messages : public QObject {
    Q_OBJECT

private slots:
    // Every problem, for every kind of entry, every action and every lock
    // holder, with and without a file kept aside, in every text it is told in.
    void everyProblemReadsWell()
    {
        int told = 0;
        for (int p = int(Problem::FolderRemoved); p <= int(Problem::NotFlushed); ++p)
            for (int k = int(EntryKind::Missing); k <= int(EntryKind::CannotLook); ++k)
                for (Action a : {Action::Load, Action::Save, Action::Clear})
                    for (int variant = 0; variant < 16; ++variant)
                        for (int error : {0, EIO, EACCES, EBADF, ENOLCK, EEXIST, EAGAIN}) {
                            Top5Store::Outcome o = outcome(a, Problem(p), error);
                            o.kind = EntryKind(k);
                            o.existed = variant & 1;
                            o.readOnly = variant & 2;
                            o.holder = Holder(variant / 4);
                            o.owner = QStringLiteral("liisa");
                            if (o.problem == Problem::NotKept || (variant & 8))
                                o.damage = QStringLiteral("tiedosto loppuu kesken");
                            if (variant & 8 && o.problem != Problem::NotKept)
                                o.keptAs = QStringLiteral("TOP5.dat.bak3");
                            for (const QString& text : {top5messages::text(o), top5messages::saveQuestion(o),
                                                        top5messages::quitQuestion(o)}) {
                                const QString fault = faultIn(text, o);
                                QVERIFY2(fault.isEmpty(), qPrintable(fault + "\n" + text));
                                told += !text.isEmpty();
                            }
                        }
        QVERIFY(told > 100000);
    }

    // What the player reads, for answers whose words the game promises.
    void whatThePlayerReads()
    {
        Top5Store::Outcome busy = outcome(Action::Load, Problem::LockBusy, EWOULDBLOCK);
        busy.holder = Holder::Game;
        Top5Store::Outcome hidden = outcome(Action::Save, Problem::LockBusy, EWOULDBLOCK);
        Top5Store::Outcome kept = outcome(Action::Save, Problem::NotFlushed, EIO);
        kept.keptAs = QStringLiteral("TOP5.dat.bak");
        kept.damage = QStringLiteral("tiedosto loppuu kesken");
        Top5Store::Outcome sticky = outcome(Action::Save, Problem::StickyFolder, EPERM);
        sticky.owner = QStringLiteral("liisa");
        Top5Store::Outcome readOnly = outcome(Action::Save, Problem::LockRefused, EBADF);
        readOnly.readOnly = true;
        const struct {
            Top5Store::Outcome o;
            QString reads;
        } rows[] = {
            {busy, "Toinen Vikkelo tallensi samaan aikaan, joten oletustaulukkoa ei kirjoitettu. Tulokset "
                   "tallennetaan, kun painat \"Sulje\"."},
            {hidden, "lukkoa TOP5.dat.lock pitää ohjelma, jota peli ei näe"},
            {outcome(Action::Save, Problem::ReadOnlyFile), "ei menetetty. Ikkuna suljetaan."},
            {outcome(Action::Clear, Problem::NotFlushed, EIO),
             "Oletustaulukko kirjoitettiin tiedostoon TOP5.dat, mutta levy ei vahvistanut tallennusta"},
            {kept, "Vanha tiedosto on tallessa nimellä TOP5.dat.bak."},
            {outcome(Action::Save, Problem::NotFlushed, EACCES), "kansiota /home/pelaaja ei voi lukea"},
            {outcome(Action::Load, Problem::ReadFailed, EIO), "niin kauan kuin sitä ei voi lukea."},
            {outcome(Action::Save, Problem::LockRefused, ENOLCK), "levy ei tue tiedostojen lukitsemista"},
            {readOnly, "johon sinulla on vain lukuoikeus"},
            {sticky, "kukin saa korvata vain omia tiedostojaan, ja TOP5.dat on käyttäjän liisa"},
            {outcome(Action::Save, Problem::WriteFailed, EEXIST), "samanniminen tiedosto on jo olemassa"},
        };
        for (const auto& row : rows)
            QVERIFY2(top5messages::text(row.o).contains(row.reads), qPrintable(top5messages::text(row.o)));
        QVERIFY(!top5messages::text(hidden).contains("hetken kuluttua"));
        QVERIFY(!top5messages::text(busy).contains("hetken kuluttua"));
    }
};

QTEST_GUILESS_MAIN(TestTop5Messages)
#include "tst_top5messages.moc"
