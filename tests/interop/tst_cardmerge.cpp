#include "TestBook.h"

#include "interop/CardText.h"
#include "interop/VCardReader.h"
#include "util/Cp1250.h"

#include <QBuffer>
#include <QFile>
#include <QTest>

// A server's card brought up to date with an edited entry: what the book maps is
// replaced, every other line stays as the server had it, and reading the result gives
// back exactly the edited entry (no note line doubled, nothing of the edit lost).
class TestCardMerge : public QObject
{
    Q_OBJECT

private slots:
    void merge_data();
    void merge();
};

namespace {

QString Golden(const QString &name)
{
    return QStringLiteral(VORLINK_SOURCE_DIR "/tests/interop/golden/merge/") + name;
}

QByteArray Read(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The card's content lines, unfolded.
QList<QByteArray> Lines(const QByteArray &card)
{
    QList<QByteArray> out;
    for (QByteArray l : card.split('\n')) {
        if (l.endsWith('\r'))
            l.chop(1);
        if ((l.startsWith(' ') || l.startsWith('\t')) && !out.isEmpty())
            out.last() += l.mid(1);
        else if (!l.isEmpty())
            out << l;
    }
    return out;
}

} // namespace

void TestCardMerge::merge_data()
{
    QTest::addColumn<QString>("card");
    QTest::addColumn<QString>("field"); // a text field's name, or "note"
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("golden");
    // The lines of the server's card that must come through unchanged.
    QTest::addColumn<QStringList>("kept");
    const QStringList phoneKept {QStringLiteral("UID:A1B2C3-phone"),
                                 QStringLiteral("item1.IMPP;X-SERVICE-TYPE=Matrix:xmpp:petr@example.org"),
                                 QStringLiteral("item1.X-ABLabel:Matrix"), QStringLiteral("X-PHONE-RINGTONE:zvonek-3"),
                                 QStringLiteral("PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDAAgGBgcGBQgHBwcJCQgKDBQNDAsLDBkSEw8UHRofHh0aHBwgJC4nICIsIxwcKDcpLDAxNDQ0Hyc5PTgyPC4zNDL/2wBDAQkJCQwLDBgN")};
    const QStringList orgKept {QStringLiteral("UID:org-person"), QStringLiteral("ORG:Pekárna U mostu;Expedice"),
                               QStringLiteral("EMAIL;TYPE=INTERNET:eva.mala@example.com"),
                               QStringLiteral("URL:https://eva.example/")};
    const QStringList v4Kept {QStringLiteral("UID:urn:uuid:4f1e-v4"), QStringLiteral("GEO:geo:49.97,14.81"),
                              QStringLiteral("VERSION:4.0")};
    QTest::newRow("unedited phone card") << "phone.in.vcf" << QString() << QString() << "phone.same.vcf" << phoneKept;
    QTest::newRow("renamed") << "phone.in.vcf" << "NazevPolozky" << QString::fromUtf8("Dvořák Petr ml.")
                             << "phone.renamed.vcf" << phoneKept;
    QTest::newRow("new mobile number") << "phone.in.vcf" << "Telefon9" << "777 888 999" << "phone.number.vcf" << phoneKept;
    QTest::newRow("person with a firm, note edited")
        << "orgperson.in.vcf" << "note" << QString::fromUtf8("Volat ráno.") << "orgperson.note.vcf"
        << orgKept;
    QTest::newRow("first e-mail replaced, second kept")
        << "orgperson.in.vcf" << "Email" << "eva@novy.example" << "orgperson.email.vcf" << orgKept;
    QTest::newRow("4.0 with labels, name day") << "v4labels.in.vcf" << "Svatek" << "29.06." << "v4labels.nameday.vcf" << v4Kept;
}

void TestCardMerge::merge()
{
    QFETCH(QString, card);
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QString, golden);
    QFETCH(QStringList, kept);
    const TBookLabels labels = TBookLabels::Defaults();
    TExportOptions options;
    const QByteArray server = Read(Golden(card));
    QVERIFY(!server.isEmpty());
    TContactRecord entry;
    QVERIFY(CardText::CardEntry(server, labels, entry));
    if (field == QLatin1String("note"))
        entry.SetNote(entry.Note() + "\r\n" + ToCp1250(value));
    else if (!field.isEmpty())
        entry.SetText(EField(FieldIndexByName(field.toLatin1())), ToCp1250(value));

    const QByteArray merged = CardText::MergedCard(server, entry, labels, options);
    if (qEnvironmentVariableIsSet("VORLINK_UPDATE_GOLDEN")) {
        QFile out(Golden(golden));
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(merged);
    }
    QCOMPARE(QString::fromUtf8(merged), QString::fromUtf8(Read(Golden(golden))));

    const QList<QByteArray> lines = Lines(merged);
    for (const QString &k : kept)
        QVERIFY2(lines.count(k.toUtf8()) == 1, qPrintable(k));
    QCOMPARE(lines.count("BEGIN:VCARD"), 1);
    QCOMPARE(lines.first(), QByteArray("BEGIN:VCARD"));
    QCOMPARE(lines.last(), QByteArray("END:VCARD"));
    // Each group's name means one thing: no two labels for one group.
    QSet<QByteArray> labelled;
    for (const QByteArray &l : lines) {
        if (!l.contains(".X-ABLabel:"))
            continue;
        const QByteArray group = l.left(l.indexOf('.'));
        QVERIFY2(!labelled.contains(group), l.constData());
        labelled.insert(group);
    }

    // Read back, the card is the edited entry, field by field and note line by note line.
    TContactRecord back;
    QVERIFY(CardText::CardEntry(merged, labels, back));
    for (int f = 0; f < kTextFieldCount; ++f)
        QVERIFY2(back.Text(EField(f)) == entry.Text(EField(f)), FieldInfo(f).Name);
    // The note's lines, in whatever order the kept properties bring theirs back.
    QStringList backNote = FromCp1250(back.Note()).split(QStringLiteral("\r\n"));
    QStringList entryNote = FromCp1250(entry.Note()).split(QStringLiteral("\r\n"));
    backNote.sort();
    entryNote.sort();
    QCOMPARE(backNote, entryNote);
    for (int f = 1; f <= kFlagCount; ++f)
        QCOMPARE(back.Flag(f), entry.Flag(f));
}

QTEST_GUILESS_MAIN(TestCardMerge)
#include "tst_cardmerge.moc"
