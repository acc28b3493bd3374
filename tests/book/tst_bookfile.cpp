#include "book/Book.h"
#include "book/BookFile.h"
#include "session/DocumentCommands.h"
#include "session/Messages.h"
#include "session/RecordEditor.h"
#include "session/Session.h"

#include "FileFaults.h"
#include "util/FileName.h"
#include "SessionFixture.h"

#include <QDir>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using TestBook::Cp;
using TestBook::Entry;

namespace {

// A device that accepts only so many bytes and then writes short without an error.
class TShortDevice : public QIODevice
{
public:
    explicit TShortDevice(qint64 room) : m_room(room) { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64 len) override
    {
        const qint64 n = qMin(len, m_room);
        m_room -= n;
        return n;
    }

private:
    qint64 m_room;
};

using TFixture = TSessionFixture;

bool MountTiny(const QString &mountPoint, const char *size)
{
    return FileFaults::MountTiny(mountPoint, size);
}

int AsNobody(const std::function<int()> &work)
{
    return FileFaults::InChild(work, 0, true);
}

QList<TContactRecord> Three()
{
    return {Entry("Nováková Jana", 1), Entry("novák jan", 2), Entry("Adámek", 4)};
}

} // namespace

class TestBookFile : public QObject
{
    Q_OBJECT

private slots:
    void loadKeepsBookOrderAndCaptions();
    void brokenFiles_data();
    void brokenFiles();
    void untouchedBookIsWrittenBackByteForByte();
    void saveOneRecordWritesTwoRecords();
    void appendKeepsOwnCaptionsAndName();
    void failedAppendKeepsBook();
    void shortWriteIsAFailure();
    void fullDiskKeepsOldFile_data();
    void fullDiskKeepsOldFile();
    void saveWhereFolderIsNotWritable_data();
    void saveWhereFolderIsNotWritable();
    void saveIntoMissingDirectoryFails();
    void nameNotInUtf8OpensAndSaves();
    void saveNeverReplacesSpecialFile_data();
    void saveNeverReplacesSpecialFile();
};

void TestBookFile::loadKeepsBookOrderAndCaptions()
{
    TFixture f;
    TBookLabels labels = TBookLabels::Defaults();
    labels.PhoneCaptions[8] = Cp("Mobil");
    labels.FlagCaptions[0] = Cp("  Rodina  ");
    labels.ReminderFlags[0] = true;
    QVERIFY(TestBook::WriteFile(f.Path("a.wdt"), TestBook::FileBytes(labels, Three())));
    QVERIFY(f.Docs->LoadBook(f.Path("a.wdt")));
    QCOMPARE(f.BookNames(), (QList<QByteArray> {Cp("Nováková Jana"), Cp("novák jan"), Cp("Adámek")}));
    QCOMPARE(f.S->Book.Labels.PhoneCaptions[8], Cp("Mobil"));
    QCOMPARE(f.S->Book.Labels.FlagCaptions[0], Cp("Rodina"));
    QVERIFY(f.S->Book.Labels.ReminderFlags[0]);
    QCOMPARE(f.View.Shown.PhoneCaptions[8], Cp("Mobil")); // shown in the window at once
    QVERIFY(f.Prompt.Shown.isEmpty());
}

void TestBookFile::brokenFiles_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing") << -1 << QString();
    QTest::newRow("1000 bytes") << 1000 << Msg::HeaderReadFailed();
    QTest::newRow("empty file") << 0 << Msg::HeaderReadFailed();
    QTest::newRow("100 bytes too many") << 3 * kRecordSize + 100 << Msg::ReadFailed();
    QTest::newRow("a directory") << -2 << Msg::OpenFailed();
    QTest::newRow("a FIFO, never waited on") << -3 << Msg::OpenFailed();
    QTest::newRow("a link loop is not missing") << -4 << Msg::OpenFailed();
    QTest::newRow("a link to a device") << -5 << Msg::OpenFailed();
    QTest::newRow("beyond the entries a book may have") << -6 << Msg::ReadFailed();
}

void TestBookFile::brokenFiles()
{
    QFETCH(int, size);
    QFETCH(QString, message);
    TFixture f;
    // The open book that must survive every failure.
    QVERIFY(TestBook::WriteFile(f.Path("good.wdt"), TestBook::FileBytes(TBookLabels::Defaults(), Three())));
    QVERIFY(f.Docs->LoadBook(f.Path("good.wdt")));
    f.S->Book.FileName = f.Path("good.wdt");
    f.S->Book.Changed = true;
    const TBookLabels labels = f.S->Book.Labels;
    const QList<QByteArray> names = f.BookNames();

    QByteArray bytes = TestBook::FileBytes(TBookLabels::Defaults(), {Entry("X"), Entry("Y")});
    bytes.append(QByteArray(100, 'z'));
    const QString bad = f.Path("bad.wdt");
    if (size >= 0)
        QVERIFY(TestBook::WriteFile(bad, bytes.left(size)));
    else if (size == -2)
        QVERIFY(QDir(f.Dir.path()).mkdir(QStringLiteral("bad.wdt")));
    else if (size == -3)
        QCOMPARE(::mkfifo(QFile::encodeName(bad).constData(), 0600), 0);
    else if (size == -4)
        QVERIFY(QFile::link(bad, bad));
    else if (size == -5)
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), bad));
    else if (size == -6) {
        // Sparse: judged by its size, never read.
        QFile huge(bad);
        QVERIFY(huge.open(QIODevice::WriteOnly));
        QVERIFY(huge.resize(qint64(kRecordSize) * (BookFile::kMaxRecords + 2)));
    }

    QVERIFY(!f.Docs->LoadBook(bad));
    QCOMPARE(f.Prompt.Last(), message);
    if (!message.isEmpty())
        QCOMPARE(f.Prompt.Shown.last().Kind, THlaskaKind::Chyba);
    QCOMPARE(f.BookNames(), names);
    QCOMPARE(f.S->Book.Labels, labels);
    QVERIFY(f.S->Book.Changed);
    QVERIFY(!f.Docs->AppendBook(bad));
    QCOMPARE(f.BookNames(), names);
}

void TestBookFile::untouchedBookIsWrittenBackByteForByte()
{
    TFixture f;
    QList<TContactRecord> records = Three();
    // Other programs leave bytes after a text; a note of exactly 2000 characters has no zero.
    QByteArray raw(records[0].Data(), kRecordSize);
    for (int i = 0; i < kTextFieldCount; ++i) {
        const TFieldInfo &fi = FieldInfo(i);
        for (int k = 1 + static_cast<unsigned char>(raw[fi.Offset]); k <= fi.Capacity; ++k)
            raw[fi.Offset + k] = char(0x40 + (k % 26));
    }
    records[0] = TContactRecord::FromBytes(raw.constData());
    records[1].SetNote(QByteArray(2000, 'p'));
    records[2].Data()[kFlagsOffset + 3] = 7; // a flag byte that is neither 0 nor 1
    TBookLabels labels = TBookLabels::Defaults();
    labels.FlagCaptions[3] = QByteArray(60, 'q');
    const QByteArray file = TestBook::FileBytes(labels, records);
    QVERIFY(TestBook::WriteFile(f.Path("in.wdt"), file));

    f.Prompt.OpenPaths.enqueue(f.Path("in.wdt"));
    f.Docs->IOtevritClick();
    f.Editor->ListBoxNazevClick(2); // moving through entries changes nothing
    f.Editor->ListBoxNazevClick(0);
    f.Docs->IUlozitClick();
    QVERIFY(f.Prompt.Shown.isEmpty());
    QCOMPARE(TestBook::ReadFile(f.Path("in.wdt")), file);
    QVERIFY(!f.S->Book.Changed);
}

void TestBookFile::saveOneRecordWritesTwoRecords()
{
    TFixture f;
    f.Editor->EditText(EField::Prijmeni, Cp("Novák"));
    f.Prompt.SavePaths.enqueue(f.Path("one.wdt"));
    f.Docs->IUlozitJakoClick();
    QCOMPARE(QFileInfo(f.Path("one.wdt")).size(), 6434);
    QCOMPARE(f.S->Recent.Files().first(), f.Path("one.wdt"));
}

void TestBookFile::appendKeepsOwnCaptionsAndName()
{
    TFixture f;
    QList<TContactRecord> five;
    for (const char *n : {"A", "B", "C", "D", "E"})
        five.append(Entry(n));
    TBookLabels own = TBookLabels::Defaults();
    own.AddressCaptions[0] = Cp("Chalupa");
    TBookLabels other = TBookLabels::Defaults();
    other.AddressCaptions[0] = Cp("Jinde");
    QVERIFY(TestBook::WriteFile(f.Path("five.wdt"), TestBook::FileBytes(own, five)));
    QVERIFY(TestBook::WriteFile(f.Path("three.wdt"), TestBook::FileBytes(other, Three())));
    f.Prompt.OpenPaths.enqueue(f.Path("five.wdt"));
    f.Docs->IOtevritClick();
    f.Prompt.OpenPaths.enqueue(f.Path("three.wdt"));
    f.Docs->IPripojitClick();
    QCOMPARE(f.BookNames(),
             (QList<QByteArray> {"A", "B", "C", "D", "E", Cp("Nováková Jana"), Cp("novák jan"), Cp("Adámek")}));
    QCOMPARE(f.S->Book.Labels.AddressCaptions[0], Cp("Chalupa"));
    QCOMPARE(f.S->Book.FileName, f.Path("five.wdt"));
    QVERIFY(f.S->Book.Changed);
    QCOMPARE(f.S->Book.ListedCount, 8);
}

void TestBookFile::failedAppendKeepsBook()
{
    TFixture f;
    QVERIFY(TestBook::WriteFile(f.Path("five.wdt"), TestBook::FileBytes(TBookLabels::Defaults(), Three())));
    QByteArray broken = TestBook::FileBytes(TBookLabels::Defaults(), Three());
    broken.chop(10);
    QVERIFY(TestBook::WriteFile(f.Path("broken.wdt"), broken));
    QVERIFY(f.Docs->LoadBook(f.Path("five.wdt")));
    QVERIFY(!f.Docs->AppendBook(f.Path("broken.wdt")));
    QCOMPARE(f.Prompt.Last(), Msg::ReadFailed());
    QCOMPARE(f.S->Book.RecordCount(), 3);
}

void TestBookFile::shortWriteIsAFailure()
{
    TFixture f;
    TShortDevice header(100);
    QCOMPARE(BookFile::WriteRecords(header, TContactRecord(), f.S->Book), TBookFileError::HeaderWrite);
    TShortDevice body(kRecordSize + 10);
    QCOMPARE(BookFile::WriteRecords(body, TContactRecord(), f.S->Book), TBookFileError::Write);
}

void TestBookFile::fullDiskKeepsOldFile_data()
{
    QTest::addColumn<QString>("diskSize");
    QTest::addColumn<QString>("message");
    // The old book (four records) fills 16 KiB of tmpfs pages to the last byte.
    QTest::newRow("no room for the header") << "16k" << Msg::HeaderWriteFailed();
    QTest::newRow("no room for the records") << "64k" << Msg::WriteFailed();
}

void TestBookFile::fullDiskKeepsOldFile()
{
    QFETCH(QString, diskSize);
    QFETCH(QString, message);
    TFixture f;
    const QString mountPoint = f.Path("tiny");
    if (!MountTiny(mountPoint, diskSize.toLatin1().constData()))
        QSKIP("cannot mount a small tmpfs here (needs root)");
    auto unmount = qScopeGuard([&] { QProcess::execute(QStringLiteral("umount"), {mountPoint}); });

    const QString path = mountPoint + QStringLiteral("/kniha.wdt");
    const QByteArray old = TestBook::FileBytes(TBookLabels::Defaults(), Three());
    QVERIFY(TestBook::WriteFile(path, old));
    QVERIFY(f.Docs->LoadBook(path));
    f.S->Book.FileName = path;
    for (int i = 0; i < 40; ++i) // far more than the disk holds
        f.S->Book.AppendRecord(Entry("Plno"));
    QVERIFY(!f.Docs->SaveBook(path));
    QCOMPARE(f.Prompt.Texts(), QStringList {message});
    QCOMPARE(TestBook::ReadFile(path), old);
    QCOMPARE(QDir(mountPoint).entryList(QDir::Files), QStringList {QStringLiteral("kniha.wdt")});
}

// The user owns the book but may not make a file beside it: it is written in place.
void TestBookFile::saveWhereFolderIsNotWritable_data()
{
    QTest::addColumn<int>("records");
    QTest::addColumn<bool>("tinyDisk");
    QTest::addColumn<TBookFileError>("error");
    QTest::newRow("grows") << 40 << false << TBookFileError::None;
    QTest::newRow("shrinks") << 1 << false << TBookFileError::None;
    QTest::newRow("full disk") << 40 << true << TBookFileError::Write;
}

void TestBookFile::saveWhereFolderIsNotWritable()
{
    QFETCH(int, records);
    QFETCH(bool, tinyDisk);
    QFETCH(TBookFileError, error);
    QTemporaryDir dir;
    QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                  | QFile::ReadOther | QFile::ExeOther));
    const QString folder = dir.filePath(QStringLiteral("kniha"));
    if (tinyDisk) {
        if (!MountTiny(folder, "16k"))
            QSKIP("cannot mount a small tmpfs here (needs root)");
    } else {
        QVERIFY(QDir().mkdir(folder));
    }
    auto unmount = qScopeGuard([&] {
        if (tinyDisk)
            QProcess::execute(QStringLiteral("umount"), {folder});
    });
    const passwd *nobody = ::getpwnam("nobody");
    if (!nobody)
        QSKIP("no user nobody to save as");
    const QString path = folder + QStringLiteral("/kniha.wdt");
    const QByteArray old = TestBook::FileBytes(TBookLabels::Defaults(), Three());
    QVERIFY(TestBook::WriteFile(path, old));
    const QByteArray encoded = QFile::encodeName(path);
    QCOMPARE(::chown(encoded.constData(), nobody->pw_uid, nobody->pw_gid), 0);
    QCOMPARE(::chmod(encoded.constData(), 0640), 0);
    struct stat before;
    QCOMPARE(::stat(encoded.constData(), &before), 0);

    TBook book;
    QList<TContactRecord> wanted;
    for (int i = 0; i < records; ++i)
        wanted.append(book.AppendRecord(Entry(QByteArray::number(i).constData())));
    const TContactRecord header = TBookLabels::Defaults().ToHeader();
    const int code = AsNobody([&] { return int(BookFile::Write(path, header, book)); });
    if (code < 0)
        QSKIP("cannot run a child process as nobody here");

    QCOMPARE(TBookFileError(code), error);
    QCOMPARE(TestBook::ReadFile(path),
             error == TBookFileError::None ? TestBook::FileBytes(TBookLabels::Defaults(), wanted) : old);
    struct stat after;
    QCOMPARE(::stat(encoded.constData(), &after), 0);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(after.st_uid, nobody->pw_uid);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList {QStringLiteral("kniha.wdt")});
}

// A book named in an old 8-bit encoding opens and saves under its very bytes.
void TestBookFile::nameNotInUtf8OpensAndSaves()
{
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path()) + "/star\xE9";
    const QByteArray file = folder + "/kniha-\xE8.wdt";
    QCOMPARE(::mkdir(folder.constData(), 0755), 0);
    // Qt cannot remove what it cannot name.
    auto cleanUp = qScopeGuard([&] {
        ::unlink(file.constData());
        ::rmdir(folder.constData());
    });
    const QByteArray old = TestBook::FileBytes(TBookLabels::Defaults(), Three());
    {
        const int fd = ::open(file.constData(), O_WRONLY | O_CREAT | O_EXCL, 0640);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, old.constData(), size_t(old.size())), ssize_t(old.size()));
        ::close(fd);
    }
    const QString path = FileName::FromBytes(file);
    {
        TFixture f;
        f.Docs->StartUp(path);
        QCOMPARE(f.S->Book.FileName, path);
        QCOMPARE(f.S->Book.RecordCount(), 3);
        f.S->Book.AppendRecord(Entry("Nový"));
        f.S->Book.Changed = true;
        f.Docs->IUlozitClick();
        QVERIFY2(f.Prompt.Texts().isEmpty(), qPrintable(f.Prompt.Texts().join(QLatin1Char('|'))));
        QVERIFY(!f.S->Book.Changed);
    }
    QFile saved;
    const int fd = ::open(file.constData(), O_RDONLY);
    QVERIFY(fd >= 0 && saved.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
    QCOMPARE(saved.readAll(), TestBook::FileBytes(TBookLabels::Defaults(), Three() + QList<TContactRecord> {Entry("Nový")}));
    struct stat st;
    QCOMPARE(::stat(file.constData(), &st), 0);
    QCOMPARE(st.st_mode & 07777, mode_t(0640));
    // Nothing else is left in the folder: no temporary file, no lock.
    QStringList left;
    if (DIR *d = ::opendir(folder.constData())) {
        while (const dirent *e = ::readdir(d)) {
            if (qstrcmp(e->d_name, ".") != 0 && qstrcmp(e->d_name, "..") != 0)
                left.append(FileName::FromBytes(e->d_name));
        }
        ::closedir(d);
    }
    QCOMPARE(left, QStringList {FileName::FromBytes("kniha-\xE8.wdt")});
}

void TestBookFile::saveNeverReplacesSpecialFile_data()
{
    QTest::addColumn<bool>("fifo");
    QTest::newRow("FIFO") << true;
    QTest::newRow("link to a device") << false;
}

void TestBookFile::saveNeverReplacesSpecialFile()
{
    QFETCH(bool, fifo);
    TFixture f;
    const QString target = f.Path("special.wdt");
    if (fifo)
        QCOMPARE(::mkfifo(QFile::encodeName(target).constData(), 0600), 0);
    else
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), target));
    TBook book;
    book.AppendRecord(Entry("A"));
    QCOMPARE(BookFile::Write(target, TBookLabels::Defaults().ToHeader(), book), TBookFileError::Open);
    struct stat st;
    QCOMPARE(::lstat(QFile::encodeName(target).constData(), &st), 0);
    QVERIFY(fifo ? S_ISFIFO(st.st_mode) : S_ISLNK(st.st_mode));
    QCOMPARE(QDir(f.Dir.path()).entryList(QDir::Files | QDir::System | QDir::Hidden).size(), 1);
}

void TestBookFile::saveIntoMissingDirectoryFails()
{
    TFixture f;
    QVERIFY(TestBook::WriteFile(f.Path("file"), "x"));
    QVERIFY(!f.Docs->SaveBook(f.Path("file") + QStringLiteral("/kniha.wdt")));
    QCOMPARE(f.Prompt.Last(), Msg::OpenFailed());
}

QTEST_GUILESS_MAIN(TestBookFile)
#include "tst_bookfile.moc"
