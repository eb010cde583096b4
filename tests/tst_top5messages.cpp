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
using Err = FileError::Kind;

// Errors that change the words: none, the plain ones, those a lock is refused for, and one with no name.
const FileError kErrors[] = {{},
                             {Err::IoError, EIO},
                             {Err::NoAccess, EACCES},
                             {Err::NotOpen, EBADF},
                             {Err::NoLocks, ENOLCK},
                             {Err::NameTaken, EEXIST},
                             {Err::TryAgain, EAGAIN},
                             {Err::Other, 133}};

// Words that join a sentence, and may well come together twice.
const QSet<QString> kJoining{"ei", "voitu", "voi", "on", "ja", "se", "sen", "sitä", "kuin", "joten", "mutta", "kun",
                             "eikä", "niin", "peli", "top5.dat"};
const QSet<QString> kEnglish{"the", "file", "error", "lock", "socket", "fifo", "link", "folder", "disk", "denied",
                             "failed", "not", "and", "of", "is", "busy", "resource", "permission", "device"};

// Whatever is wrong with the text, or nothing.
QString faultIn(const QString& text, const Top5Store::Outcome& o)
{
    // A file's name is one word; a sentence's full stop is no part of it.
    static const QRegularExpression word("[\\w.-]*\\w", QRegularExpression::UseUnicodePropertiesOption);
    QStringList words;
    for (const QRegularExpressionMatch& m : word.globalMatch(text.toLower()))
        words << m.captured();
    QHash<QString, bool> pairs;
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (kEnglish.contains(words[i]))
            return "an English word: " + words[i];
        const QString pair = words[i] + u' ' + words.value(i + 1);
        if (i + 1 < words.size() && !kJoining.contains(words[i]) && !kJoining.contains(words[i + 1]) &&
            std::exchange(pairs[pair], true))
            return "said twice: " + pair;
    }
    // Only a lock file that did not stand is told as not made, only one that stood and was not opened as not opened.
    if (text.contains("luoda") && !(o.problem == Problem::LockFailed && !o.existed))
        return "\"luoda\" about a name that stands";
    if (text.contains("avata") && !(o.problem == Problem::LockFailed && o.existed))
        return "\"avata\" about a name that was opened, or did not stand";
    if (!o.keptAs.isEmpty() && !text.contains(o.keptAs))
        return "the backup is not named";
    return o.error && text.contains(QString::fromLocal8Bit(std::strerror(o.error.code))) ? "the system's English" : "";
}

} // namespace

class TestTop5Messages : public QObject {
    Q_OBJECT

private slots:
    // Every problem, for every kind of entry, action and lock holder, with and without a file kept aside, in
    // every text it is told in.
    void everyProblemReadsWell()
    {
        int told = 0;
        for (int p = int(Problem::FolderRemoved); p <= int(Problem::NotFlushed); ++p)
            for (int k = int(EntryKind::Missing); k <= int(EntryKind::CannotLook); ++k)
                for (Action a : {Action::Load, Action::Save, Action::Clear})
                    for (int variant = 0; variant < 16; ++variant)
                        for (const FileError& error : kErrors) {
                            Top5Store::Outcome o{.action = a, .problem = Problem(p), .kind = EntryKind(k),
                                                 .error = error, .owner = "liisa", .folder = "/home/pelaaja"};
                            o.existed = variant & 1;
                            o.readOnly = variant & 2;
                            o.holder = FileLock::Holder(variant / 4 % 4);
                            o.damage = o.problem == Problem::NotKept || variant >= 8
                                           ? top5file::Damage{top5file::Damage::Kind::EndsEarly, 3, 5}
                                           : top5file::Damage{};
                            o.keptAs = variant >= 8 && o.problem != Problem::NotKept ? "TOP5.dat.bak3" : "";
                            for (const QString& text : {top5messages::text(o), top5messages::saveQuestion(o),
                                                        top5messages::quitQuestion(o)}) {
                                const QString fault = faultIn(text, o);
                                QVERIFY2(fault.isEmpty(), qPrintable(fault + "\n" + text));
                                told += !text.isEmpty();
                            }
                        }
        QVERIFY(told > 100000);
        // And what the game promises to say.
        const std::pair<Top5Store::Outcome, const char*> promised[] = {
            {{.action = Action::Save, .problem = Problem::ReadOnlyFile}, "ei menetetty. Ikkuna suljetaan."},
            {{.problem = Problem::ReadFailed, .error = {Err::IoError, EIO}}, "niin kauan kuin sitä ei voi lukea."},
            {{.action = Action::Save, .problem = Problem::NotFlushed, .error = {Err::NoAccess, EACCES}, .folder = "/k"}, "kansiota /k"},
            {{.action = Action::Save, .problem = Problem::WriteFailed, .error = {Err::NameTaken, EEXIST}}, "samanniminen tiedosto on"},
            {{.action = Action::Save, .problem = Problem::WriteFailed, .error = {Err::TryAgain, EAGAIN}}, "ei pystynyt siihen"},
            {{.problem = Problem::NotKept, .damage = {top5file::Damage::Kind::EndsEarly, 3, 5}},
             "tiedosto loppuu ennen kuin kaikki viisi sijaa on luettu (se päättyy riville 3)"},
            {{.problem = Problem::NotKept, .damage = {top5file::Damage::Kind::FieldTooLong, 2, 4096}},
             "tiedoston rivillä 2 on kenttä, joka on liian pitkä ollakseen nimi tai pisteet (yli 4096 tavua)"},
        };
        for (const auto& [o, reads] : promised)
            QVERIFY2(top5messages::text(o).contains(reads), qPrintable(top5messages::text(o)));

        // Two problems are told as one only when the problem, the kind, the error and the backup are all the same.
        const Top5Store::Outcome base{.problem = Problem::ReadFailed, .kind = EntryKind::File, .error = {Err::IoError, EIO}};
        Top5Store::Outcome other[] = {base, base, base, base, base};
        other[1].problem = Problem::NotAFile, other[2].kind = EntryKind::Fifo, other[3].error = {Err::IoError, 0};
        other[4].keptAs = "TOP5.dat.bak";
        for (const Top5Store::Outcome& o : other)
            QCOMPARE(top5messages::cause(o) == top5messages::cause(base), &o == &other[0]);
#ifndef Q_OS_WIN
        // Each error of the system in words of its own, never in its English; one with no words by its number.
        const int errors[] = {EIO,    ENOSPC, EDQUOT,       EFBIG,  EROFS,  EACCES, EPERM,   EEXIST, ENOSYS,
                              EINVAL, ENOTSUP, EBUSY,       ENOENT, ENOTDIR, EISDIR, ELOOP,  ENAMETOOLONG,
                              EMFILE, ENOMEM, EAGAIN,       ENOLCK, EBADF,  ETXTBSY, ESTALE, EXDEV,  EINTR};
        QSet<QString> reasons;
        for (int e : errors) {
            const QString r = top5messages::reason(fileError(e));
            QVERIFY2(!r.contains("numero") && !r.contains(QString::fromLocal8Bit(std::strerror(e))), qPrintable(r));
            reasons << r;
        }
        QCOMPARE(reasons.size(), int(std::size(errors)));
        QVERIFY(top5messages::reason(fileError(EHWPOISON)).contains("numero " + QString::number(EHWPOISON)));
#endif
    }
};

QTEST_GUILESS_MAIN(TestTop5Messages)
#include "tst_top5messages.moc"
