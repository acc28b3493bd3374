#include "session/ui/FormMain.h"

#include "session/DocumentCommands.h"
#include "session/LabelConfig.h"
#include "session/RecordEditor.h"
#include "session/Session.h"
#include "session/ui/EditorPages.h"
#include "session/ui/FormKonf.h"
#include "session/ui/MenuLetters.h"
#include "session/ui/NameListView.h"
#include "util/Cp1250.h"
#include "util/Version.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSessionManager>
#include <QSplitter>
#include <QStatusBar>
#include <QTextCursor>

namespace {

QString U(const char *utf8) { return QString::fromUtf8(utf8); }

// A status bar panel of a given width that may still shrink with a narrow window.
class TStatusPanel : public QLabel
{
public:
    TStatusPanel(int width, QWidget *parent) : QLabel(parent), m_width(width)
    {
        setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    }
    QSize sizeHint() const override { return {m_width, QLabel::sizeHint().height()}; }
    QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }

private:
    int m_width;
};

// The note as stored (CR LF line ends, Windows-1250) and as the note field holds it.
QByteArray NoteBytes(QString text)
{
    return ToCp1250(text.replace(QLatin1Char('\n'), QStringLiteral("\r\n")));
}

QString NoteText(QByteArrayView bytes)
{
    return FromCp1250(bytes).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

TFormMain::TFormMain(IPrompt &prompt, const IClock &clock, const QString &iniPath, QWidget *parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                              | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("FormMain"));
    setWindowTitle(Caption());
    // The window was laid out for an 8 point font; its dialogs follow it.
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    setAttribute(Qt::WA_WindowPropagation);

    m_list = new TNameListView;
    m_pages = new TEditorPages;
    m_splitter = new QSplitter(Qt::Horizontal);
    m_splitter->setObjectName(QStringLiteral("Splitter1"));
    m_splitter->addWidget(m_list);
    m_splitter->addWidget(m_pages);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setChildrenCollapsible(false);
    setCentralWidget(m_splitter);
    connect(m_splitter, &QSplitter::splitterMoved, this, [this] { m_listWidth = m_splitter->sizes().value(0); });
    BuildStatusBar();

    // The session reports to the window as its view, so it is made once the controls exist.
    m_session = std::make_unique<TSession>(prompt, clock, *this, iniPath);
    m_editor = std::make_unique<TRecordEditor>(*m_session);
    m_commands = new TDocumentCommands(*m_session, *m_editor, this);
    m_closing = std::make_unique<TWindowClosing>(*m_session, *m_commands);
    m_labelConfig = std::make_unique<TLabelConfig>(*m_session);
    m_formKonf = new TFormKonf(*m_labelConfig, this);

    BuildMenu();
    LeaveLettersToMenu(menuBar(), m_pages);
    BindList();
    BindEditor();
    m_session->Recent.SetFiles(m_session->Store.LoadRecentFiles());

    setMinimumSize(417, 474);
    setMaximumSize(1024, 768);
    resize(588, 480);
    if (QScreen *s = screen()) {
        QRect r = frameGeometry();
        r.moveCenter(s->availableGeometry().center());
        move(r.topLeft());
    }

    connect(qApp, &QGuiApplication::commitDataRequest, this, &TFormMain::CommitData);
}

TFormMain::~TFormMain()
{
    // The views go before the model they show.
    m_list->setModel(nullptr);
    disconnect(&m_session->Book, nullptr, this, nullptr);
    disconnect(&m_session->Editor, nullptr, this, nullptr);
    delete m_commands;
    m_commands = nullptr;
}

QString TFormMain::Caption()
{
    return QStringLiteral("Vorlink pro W95 ") + FourPartVersion(ProgramVersion());
}

QAction *TFormMain::AddItem(QMenu *menu, const char *name, const char *caption, const QKeySequence &shortcut,
                            bool enabled)
{
    auto *a = new QAction(U(caption), this);
    a->setObjectName(QString::fromLatin1(name));
    a->setShortcut(shortcut);
    a->setEnabled(enabled);
    if (menu)
        menu->addAction(a);
    m_actions.insert(a->objectName(), a);
    return a;
}

void TFormMain::BuildMenu()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    TDocumentCommands *c = m_commands;
    TRecordEditor *ed = m_editor.get();

    QMenu *soubor = bar->addMenu(U("&Soubor"));
    soubor->setObjectName(QStringLiteral("ISoubor"));
    connect(AddItem(soubor, "INovy", "&Nový", QKeySequence(Qt::CTRL | Qt::Key_N)), &QAction::triggered, c,
            &TDocumentCommands::INovyClick);
    connect(AddItem(soubor, "IOtevrit", "&Otevřít", QKeySequence(Qt::CTRL | Qt::Key_O)), &QAction::triggered, c,
            &TDocumentCommands::IOtevritClick);
    QAction *save = AddItem(soubor, "IUlozit", "&Uložit", QKeySequence(Qt::CTRL | Qt::Key_S), c->SaveEnabled());
    connect(save, &QAction::triggered, c, &TDocumentCommands::IUlozitClick);
    connect(c, &TDocumentCommands::SaveEnabledChanged, save, &QAction::setEnabled);
    connect(AddItem(soubor, "IUlozitJako", "Uloži&t jako .."), &QAction::triggered, c,
            &TDocumentCommands::IUlozitJakoClick);
    connect(AddItem(soubor, "IPripojit", "&Připojit"), &QAction::triggered, c, &TDocumentCommands::IPripojitClick);
    soubor->addSeparator();
    AddItem(soubor, "ITisk", "Tisk", QKeySequence(Qt::CTRL | Qt::Key_P), false);
    AddItem(soubor, "INastaveniTisku", "Nastavení tisku", {}, false);
    AddItem(soubor, "ITiskStitku", "Ti&sk štítků", {}, false);
    AddItem(soubor, "ITiskObalky", "Tisk o&bálky", {}, false);
    soubor->addSeparator();
    AddItem(soubor, "IImport", "&Import", {}, false);
    AddItem(soubor, "IExport", "&Export", {}, false);
    AddItem(soubor, "ISynchronizovat", "S&ynchronizovat", {}, false);
    soubor->addSeparator();
    connect(AddItem(soubor, "IKonec", "&Konec", QKeySequence(Qt::CTRL | Qt::Key_X)), &QAction::triggered, this,
            [this] { CloseFor(TCloseTrigger::Konec); });
    soubor->addSeparator();
    for (int i = 0; i < 5; ++i) {
        const QByteArray name = "ItemHistorie" + QByteArray::number(i + 1);
        QAction *a = AddItem(soubor, name.constData(), "");
        a->setVisible(false);
        connect(a, &QAction::triggered, c, [c, i] { c->ItemHistorieClick(i); });
    }
    connect(&m_session->Recent, &TRecentFiles::Changed, this, &TFormMain::ShowRecentFiles);

    QMenu *edit = bar->addMenu(U("&Editovat"));
    edit->setObjectName(QStringLiteral("IEditovat"));
    connect(AddItem(edit, "IPridat", "N&ový záznam", QKeySequence(Qt::CTRL | Qt::Key_I)), &QAction::triggered, this,
            [ed] { ed->IPridatClick(); });
    connect(AddItem(edit, "IZrusit", "&Zrušit záznam", QKeySequence(Qt::CTRL | Qt::Key_Y)), &QAction::triggered,
            this, [ed] { ed->IZrusitClick(); });
    edit->addSeparator();
    // Inside a text field these keys copy and paste text: the fields claim them first.
    AddItem(edit, "Koprovatzznam1", "&Kopírovat záznam", QKeySequence(Qt::CTRL | Qt::Key_C), false);
    AddItem(edit, "Vloitzznam1", "&Vložit záznam", QKeySequence(Qt::CTRL | Qt::Key_V), false);
    edit->addSeparator();
    AddItem(edit, "INajit", "&Najít", QKeySequence(Qt::CTRL | Qt::Key_F), false);
    AddItem(edit, "INajitDalsi", "Najít &další", QKeySequence(Qt::Key_F3), false);
    edit->addSeparator();
    AddItem(edit, "IMaska", "&Maska", QKeySequence(Qt::CTRL | Qt::Key_M), false);
    AddItem(edit, "Zmnitlogiku1", "Změnit &logiku", {}, false);

    QMenu *vyroci = bar->addMenu(U("&Výročí"));
    vyroci->setObjectName(QStringLiteral("IVyroci"));
    // Ctrl+V stays with pasting; the search has a key of its own.
    AddItem(vyroci, "IVyhledat", "&Hledat výročí", QKeySequence(Qt::CTRL | Qt::Key_H), false);

    QMenu *nastaveni = bar->addMenu(U("&Nastavení"));
    nastaveni->setObjectName(QStringLiteral("INastaveni"));
    connect(AddItem(nastaveni, "IVolitelne", "&Volitelné"), &QAction::triggered, this,
            [this] { m_formKonf->IVolitelneClick(); });
    AddItem(nastaveni, "IUpozornovani", "&Upozorňování", {}, false);
    AddItem(nastaveni, "IVytaceni", "V&ytáčení", {}, false);
    AddItem(nastaveni, "ISynchronizace", "&Synchronizace", {}, false);
    AddItem(nastaveni, "IOdesilatel", "&Odesílatel", {}, false);

    bar->addAction(AddItem(nullptr, "IAutor", "&Autor", {}, false));
}

void TFormMain::BuildStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    static const int widths[4] = {250, 150, 100, 50};
    for (int i = 0; i < 4; ++i) {
        m_panels[i] = new TStatusPanel(widths[i], bar);
        m_panels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i + 1));
        bar->addWidget(m_panels[i]);
    }
    m_panels[3]->setText(QStringLiteral("/"));
}

void TFormMain::BindList()
{
    TAddressBook &b = m_session->Book;
    m_list->setModel(&b.List);
    connect(&b.List, &TNameList::SelectionRequested, m_list, &TNameListView::SelectRow);
    connect(m_list, &TNameListView::RowChosen, this, [this](int row) { m_editor->ListBoxNazevClick(row); });
    connect(m_list, &TNameListView::RowDoubleClicked, this, [this] { m_editor->ListBoxNazevDblClick(); });
    connect(&b, &TAddressBook::StatusChanged, this, [this](const QStringList &panels) {
        for (int i = 0; i < 4 && i < panels.size(); ++i)
            m_panels[i]->setText(panels[i]);
    });
}

void TFormMain::BindEditor()
{
    TEditorBuffer &buf = m_session->Editor;
    for (int i = 0; i < kTextFieldCount; ++i) {
        const EField f = EField(i);
        QLineEdit *e = m_pages->Edit(f);
        e->installEventFilter(this);
        connect(e, &QLineEdit::textEdited, this, [this, f](const QString &text) { m_editor->EditText(f, ToCp1250(text)); });
        ShowText(i);
    }
    connect(&buf, &TEditorBuffer::TextChanged, this, &TFormMain::ShowText);

    for (int i = 1; i <= kFlagCount; ++i) {
        QCheckBox *c = m_pages->Log(i);
        c->setChecked(buf.Flag(i));
        connect(c, &QCheckBox::clicked, this, [this, i](bool on) { m_editor->EditFlag(i, on); });
    }
    connect(&buf, &TEditorBuffer::FlagChanged, this, [this](int i) { m_pages->Log(i)->setChecked(m_session->Editor.Flag(i)); });

    ShowNote();
    connect(&buf, &TEditorBuffer::NoteChanged, this, &TFormMain::ShowNote);
    connect(m_pages->Poznamka(), &QPlainTextEdit::textChanged, this, [this] {
        if (!m_fillingNote)
            NoteEdited();
    });

    auto showLabels = [this] {
        m_pages->Vek()->setText(m_session->Editor.Vek());
        m_pages->Jmeniny()->setText(FromCp1250(m_session->Editor.Jmeniny()));
    };
    showLabels();
    connect(&buf, &TEditorBuffer::LabelsChanged, this, showLabels);

    auto enable = [this](bool on) {
        for (int p = 0; p < TEditorPages::PageCount; ++p)
            m_pages->Page(TEditorPages::TPage(p))->setEnabled(on);
    };
    enable(buf.Enabled());
    connect(&buf, &TEditorBuffer::EnabledChanged, this, enable);

    connect(&buf, &TEditorBuffer::FocusRequested, this, [this](int field) {
        if (field < 0 || field >= kTextFieldCount) {
            m_list->setFocus(Qt::OtherFocusReason);
            return;
        }
        QLineEdit *e = m_pages->Edit(EField(field));
        const int page = m_pages->PageOf(e);
        if (page >= 0)
            m_pages->setCurrentIndex(page);
        e->setFocus(Qt::OtherFocusReason);
    });
    connect(&buf, &TEditorBuffer::PageRequested, m_pages, &QTabWidget::setCurrentIndex);
}

void TFormMain::ShowText(int field)
{
    QLineEdit *e = m_pages->Edit(EField(field));
    const QByteArray &text = m_session->Editor.Text(EField(field));
    // The echo of the person's own typing leaves the field and its cursor alone.
    if (ToCp1250(e->text()) == text)
        return;
    const int pos = e->cursorPosition();
    e->setText(FromCp1250(text));
    if (e->hasFocus())
        e->setCursorPosition(qMin(pos, int(e->text().size())));
}

void TFormMain::ShowNote()
{
    QPlainTextEdit *n = m_pages->Poznamka();
    const QByteArray &note = m_session->Editor.Note();
    if (NoteBytes(n->toPlainText()) == note)
        return;
    m_fillingNote = true;
    n->setPlainText(NoteText(note));
    m_fillingNote = false;
}

void TFormMain::NoteEdited()
{
    QPlainTextEdit *n = m_pages->Poznamka();
    QByteArray bytes = NoteBytes(n->toPlainText());
    if (bytes.size() > kNoteSize) {
        // The note holds 2000 stored characters; a line end counts two.
        bytes.truncate(kNoteSize);
        if (bytes.endsWith('\r'))
            bytes.chop(1);
        const int pos = n->textCursor().position();
        m_fillingNote = true;
        n->setPlainText(NoteText(bytes));
        m_fillingNote = false;
        QTextCursor cur = n->textCursor();
        cur.setPosition(qMin(pos, int(n->document()->characterCount()) - 1));
        n->setTextCursor(cur);
    }
    m_editor->EditNote(bytes);
}

void TFormMain::ShowRecentFiles()
{
    const QStringList &files = m_session->Recent.Files();
    for (int i = 0; i < 5; ++i) {
        QAction *a = Action(QStringLiteral("ItemHistorie%1").arg(i + 1));
        const QString path = files.value(i);
        // A deep path would make the menu wider than the screen: its middle gives way.
        const QString shown = fontMetrics().elidedText(path, Qt::ElideMiddle, 60 * fontMetrics().averageCharWidth());
        a->setText(QString(shown).replace(QLatin1Char('&'), QStringLiteral("&&")));
        a->setToolTip(path);
        a->setVisible(!path.isEmpty());
    }
}

void TFormMain::ApplyLabels(const TBookLabels &labels)
{
    for (int i = 1; i <= 9; ++i)
        m_pages->GTelefon(i)->setTitle(FromCp1250(labels.PhoneCaptions[size_t(i - 1)]));
    for (int i = 1; i <= 3; ++i)
        m_pages->GAdresa(i)->setTitle(FromCp1250(labels.AddressCaptions[size_t(i - 1)]));
    for (int i = 1; i <= kFlagCount; ++i)
        m_pages->Log(i)->setText(FromCp1250(labels.FlagCaptions[size_t(i - 1)]));
    // A book's caption may carry an '&' of its own.
    LeaveLettersToMenu(menuBar(), m_pages);
}

QSize TFormMain::WindowSize() const
{
    return size();
}

void TFormMain::SetWindowSize(QSize s)
{
    resize(s.expandedTo(minimumSize()).boundedTo(maximumSize()));
}

int TFormMain::ListWidth() const
{
    return m_listWidth;
}

void TFormMain::SetListWidth(int width)
{
    m_listWidth = width;
    const int total = qMax(m_splitter->width(), width + 100);
    m_splitter->setSizes({width, total - width});
}

void TFormMain::FormActivate()
{
    // Back at work after a log-off that did not happen: a later close asks again.
    m_closing->Resume();
    // A click into a field may be what activated the window: typing then belongs there,
    // not to the list.
    QWidget *had = focusWidget();
    const bool inEditor = had && m_pages->isAncestorOf(had);
    // Coming back from a dialog must not throw away what was typed and not yet stored.
    if (!m_session->Editor.RecordEdited)
        m_editor->ShowRecord();
    m_session->Book.UpdateStatusBar();
    if (inEditor && had->isVisible() && had->isEnabled())
        had->setFocus(Qt::ActiveWindowFocusReason);
    else
        m_list->setFocus(Qt::ActiveWindowFocusReason);
}

bool TFormMain::event(QEvent *e)
{
    switch (e->type()) {
    case QEvent::WindowActivate:
        FormActivate();
        break;
    case QEvent::Show:
        SetListWidth(m_listWidth);
        break;
    default:
        break;
    }
    return QMainWindow::event(e);
}

bool TFormMain::CloseFor(TCloseTrigger trigger)
{
    if (m_ended)
        return true;
    switch (m_closing->Close(trigger, TrayPresent())) {
    case TCloseResult::Hidden:
        hide();
        return false;
    case TCloseResult::Refused:
    case TCloseResult::Waiting:
        // A refusal leaves the window where it was: seen, or in the tray. Stopping work
        // keeps it too, painting, until WorkStopped.
        return false;
    case TCloseResult::Ends:
        break;
    }
    m_ended = true;
    hide();
    emit Ended();
    return true;
}

void TFormMain::WorkStopped()
{
    if (const std::optional<TCloseTrigger> trigger = m_closing->WorkStopped())
        CloseFor(*trigger);
}

void TFormMain::closeEvent(QCloseEvent *e)
{
    if (CloseFor(TCloseTrigger::Window))
        e->accept();
    else
        e->ignore();
}

void TFormMain::CommitData(QSessionManager &manager)
{
    const bool mayAsk = manager.allowsInteraction();
    if (!m_closing->LogOffQuery(mayAsk))
        manager.cancel();
    if (mayAsk)
        manager.release();
}

bool TFormMain::eventFilter(QObject *watched, QEvent *e)
{
    if (e->type() == QEvent::MouseButtonDblClick || e->type() == QEvent::FocusOut) {
        const int f = m_pages->FieldOf(watched);
        if (f >= 0) {
            if (e->type() == QEvent::FocusOut) {
                // A dialog, a menu or another program taking the focus does not leave the
                // field: its handler would run again under its own message box.
                const Qt::FocusReason reason = static_cast<QFocusEvent *>(e)->reason();
                if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                    emit FieldExited(f);
            } else {
                for (int a = 1; a <= 3; ++a) {
                    if (f == int(AddressField(a, 2)))
                        m_editor->Stat1DblClick(a);
                }
                emit FieldDoubleClicked(f);
            }
        }
    }
    return QMainWindow::eventFilter(watched, e);
}
