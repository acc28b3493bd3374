// The floors of src/ (see ARCHITECTURE.md): a file includes only its own folder and the
// floors below it, subsystems never include each other, and nothing below the widgets,
// nor the command-line program, links a widget library.

#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

namespace {

const QSet<QString> kModelFloors {QStringLiteral("util"), QStringLiteral("book"), QStringLiteral("settings"),
                                  QStringLiteral("session")};
const QString kSrc = QStringLiteral(VORLINK_SOURCE_DIR "/src/");

// "calendar/ui" for src/calendar/ui/FormVyroci.cpp.
QString FolderOf(const QString &relativePath)
{
    return relativePath.section(QLatin1Char('/'), 0, -2);
}

bool IsUi(const QString &folder)
{
    return folder.endsWith(QLatin1String("/ui"));
}

QString Base(const QString &folder)
{
    return folder.section(QLatin1Char('/'), 0, 0);
}

// A subsystem's painter: Qt Gui without widgets, shared by its dialogs and the command line.
bool IsPainter(const QString &folder)
{
    return folder.endsWith(QLatin1String("/paint"));
}

bool IsProgram(const QString &folder)
{
    return folder == QLatin1String("app") || folder == QLatin1String("cli");
}

// The model floors a folder may include, in order.
int FloorRank(const QString &folder)
{
    static const QHash<QString, int> ranks {{QStringLiteral("util"), 1}, {QStringLiteral("book"), 2},
                                           {QStringLiteral("settings"), 3}, {QStringLiteral("session"), 4}};
    return ranks.value(folder, 5); // every other folder is a subsystem
}

bool Allowed(const QString &from, const QString &to)
{
    if (from == to)
        return true;
    if (IsProgram(to))
        return false;
    if (from == QLatin1String("app"))
        return true;
    if (from == QLatin1String("cli"))
        return !IsUi(to);
    if (IsPainter(from))
        return to == Base(from) || kModelFloors.contains(to);
    if (IsUi(from)) {
        if (IsUi(to))
            return to == QLatin1String("session/ui") && from != to;
        // A subsystem's dialogs see their own subsystem and the model floors.
        return Base(to) == Base(from) || kModelFloors.contains(to);
    }
    if (IsUi(to))
        return false;
    return kModelFloors.contains(to) && FloorRank(to) < FloorRank(from);
}

struct TInclude
{
    QString File;
    QString From;
    QString To;
};

QList<TInclude> ProjectIncludes()
{
    static const QRegularExpression include(QStringLiteral("^\\s*#\\s*include\\s+\"([^\"]+)\""),
                                            QRegularExpression::MultilineOption);
    QList<TInclude> found;
    QDirIterator it(kSrc, {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QString file = path.mid(kSrc.size());
        const QString text = QString::fromUtf8(f.readAll());
        for (auto m = include.globalMatch(text); m.hasNext();) {
            const QString header = m.next().captured(1);
            const QString to = header.contains(QLatin1Char('/')) ? FolderOf(header) : FolderOf(file);
            found.append({file, FolderOf(file), to});
        }
    }
    return found;
}

// Direct links of our targets, as CMake wrote them: "target: lib;lib;...".
QHash<QString, QStringList> TargetLinks()
{
    QHash<QString, QStringList> links;
    QFile f(QStringLiteral(VORLINK_LINKS_FILE));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return links;
    static const QRegularExpression genex(QStringLiteral("\\$<[A-Z_]+:([^>]*)>"));
    while (!f.atEnd()) {
        const QString line = QString::fromUtf8(f.readLine()).trimmed();
        const QString target = line.section(QStringLiteral(": "), 0, 0);
        QString list = line.section(QStringLiteral(": "), 1);
        list.replace(genex, QStringLiteral("\\1"));
        links[target] += list.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    }
    return links;
}

QSet<QString> Reached(const QHash<QString, QStringList> &links, const QString &target)
{
    QSet<QString> seen;
    QList<QString> todo {target};
    while (!todo.isEmpty()) {
        const QString t = todo.takeLast();
        for (const QString &l : links.value(t)) {
            if (!seen.contains(l)) {
                seen.insert(l);
                todo.append(l);
            }
        }
    }
    return seen;
}

} // namespace

class TestLayers : public QObject
{
    Q_OBJECT

private slots:
    void rule_data();
    void rule();
    void includesFollowTheFloors();
    void noCycleBetweenFolders();
    void modelAndCliLinkNoWidgets();
    void cliBinaryNeedsNoWidgets();
};

// The rule itself, so that a loosened rule cannot pass the walk below unnoticed.
void TestLayers::rule_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("book on util") << "book" << "util" << true;
    QTest::newRow("util on book") << "util" << "book" << false;
    QTest::newRow("book on session") << "book" << "session" << false;
    QTest::newRow("settings on session") << "settings" << "session" << false;
    QTest::newRow("session on settings") << "session" << "settings" << true;
    QTest::newRow("session on a subsystem") << "session" << "calendar" << false;
    QTest::newRow("subsystem on session") << "mask" << "session" << true;
    QTest::newRow("sibling subsystems") << "mask" << "calendar" << false;
    QTest::newRow("model on widgets") << "session" << "session/ui" << false;
    QTest::newRow("dialogs on shared widgets") << "mask/ui" << "session/ui" << true;
    QTest::newRow("dialogs on own subsystem") << "mask/ui" << "mask" << true;
    QTest::newRow("dialogs on a sibling") << "mask/ui" << "calendar" << false;
    QTest::newRow("dialogs on a sibling's dialogs") << "mask/ui" << "calendar/ui" << false;
    QTest::newRow("shared widgets on a subsystem") << "session/ui" << "mask" << false;
    QTest::newRow("cli on a subsystem") << "cli" << "calendar" << true;
    QTest::newRow("cli on widgets") << "cli" << "session/ui" << false;
    QTest::newRow("cli on a painter") << "cli" << "printing/paint" << true;
    QTest::newRow("painter on its subsystem") << "printing/paint" << "printing" << true;
    QTest::newRow("painter on another subsystem") << "printing/paint" << "reports" << false;
    QTest::newRow("painter on widgets") << "printing/paint" << "session/ui" << false;
    QTest::newRow("subsystem on its painter") << "printing" << "printing/paint" << false;
    QTest::newRow("dialogs on their painter") << "printing/ui" << "printing/paint" << true;
    QTest::newRow("app on dialogs") << "app" << "calendar/ui" << true;
    QTest::newRow("model on a program") << "session" << "app" << false;
}

void TestLayers::rule()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(bool, allowed);
    QCOMPARE(Allowed(from, to), allowed);
}

void TestLayers::includesFollowTheFloors()
{
    const QList<TInclude> includes = ProjectIncludes();
    QVERIFY(includes.size() > 100);
    QStringList wrong;
    for (const TInclude &i : includes) {
        if (!Allowed(i.From, i.To))
            wrong.append(i.File + QStringLiteral(" includes ") + i.To);
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QLatin1Char('\n'))));
}

void TestLayers::noCycleBetweenFolders()
{
    QHash<QString, QSet<QString>> edges;
    for (const TInclude &i : ProjectIncludes()) {
        if (i.From != i.To)
            edges[i.From].insert(i.To);
    }
    // Depth-first search; a folder met again on the current path closes a cycle.
    QHash<QString, int> state; // 1 on the path, 2 done
    QStringList path;
    QString cycle;
    std::function<void(const QString &)> visit = [&](const QString &folder) {
        state[folder] = 1;
        path.append(folder);
        for (const QString &next : edges.value(folder)) {
            if (!cycle.isEmpty())
                break;
            if (state.value(next) == 1)
                cycle = path.mid(path.indexOf(next)).join(QStringLiteral(" -> ")) + QStringLiteral(" -> ") + next;
            else if (state.value(next) == 0)
                visit(next);
        }
        path.removeLast();
        state[folder] = 2;
    };
    for (auto it = edges.cbegin(); it != edges.cend() && cycle.isEmpty(); ++it) {
        if (state.value(it.key()) == 0)
            visit(it.key());
    }
    QVERIFY2(cycle.isEmpty(), qPrintable(cycle));
}

void TestLayers::modelAndCliLinkNoWidgets()
{
    const QHash<QString, QStringList> links = TargetLinks();
    QVERIFY2(links.contains(QStringLiteral("vorlink_session")), "the link list of the build is missing");
    QStringList checked;
    for (auto it = links.cbegin(); it != links.cend(); ++it) {
        const QString &t = it.key();
        const bool painter = t.endsWith(QLatin1String("_paint"));
        const bool model = t.startsWith(QLatin1String("vorlink_")) && !t.endsWith(QLatin1String("_ui"))
                           && t != QLatin1String("vorlink_widgets") && t != QLatin1String("vorlink_app");
        const bool cli = t == QLatin1String("vorlink-cli") || t == QLatin1String("vorlink_cli_lib");
        if (!model && !cli)
            continue;
        checked.append(t);
        const QSet<QString> reached = Reached(links, t);
        QVERIFY2(!reached.contains(QStringLiteral("Qt6::Widgets")), qPrintable(t + QStringLiteral(" links Qt Widgets")));
        QVERIFY2(!reached.contains(QStringLiteral("Qt6::PrintSupport")),
                 qPrintable(t + QStringLiteral(" links Qt Print Support")));
        // Only the painter of printed pages draws; the command line loads it when it draws.
        QVERIFY2(painter || !reached.contains(QStringLiteral("Qt6::Gui")), qPrintable(t + QStringLiteral(" links Qt Gui")));
        // The keyring belongs to the windows; the command line reads its password from a file.
        QVERIFY2(!reached.contains(QStringLiteral("Qt6Keychain::Qt6Keychain")), qPrintable(t + QStringLiteral(" links QtKeychain")));
    }
    QVERIFY(checked.contains(QStringLiteral("vorlink_cli_lib")));
    QVERIFY(checked.contains(QStringLiteral("vorlink_calendar")));
    QVERIFY(Reached(links, QStringLiteral("vorlink_sync_ui")).contains(QStringLiteral("Qt6Keychain::Qt6Keychain")));
}

void TestLayers::cliBinaryNeedsNoWidgets()
{
    QFile cli(QStringLiteral(VORLINK_CLI_BINARY));
    QVERIFY2(cli.open(QIODevice::ReadOnly), qPrintable(cli.fileName()));
    const QByteArray bytes = cli.readAll();
    QVERIFY(bytes.contains("Qt6Core") || bytes.contains("QtCore"));
    QVERIFY(!bytes.contains("Qt6Widgets"));
    QVERIFY(!bytes.contains("Qt6Gui"));
    QVERIFY(!bytes.contains("Qt6PrintSupport"));
    QVERIFY(!bytes.contains("qt6keychain"));
}

QTEST_GUILESS_MAIN(TestLayers)
#include "tst_layers.moc"
