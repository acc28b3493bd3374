#include "printing/ui/FormStitky.h"

#include "printing/AddressLines.h"
#include "printing/LabelSheet.h"
#include "printing/ui/AddressChoice.h"
#include "session/Messages.h"
#include "session/Prompt.h"
#include "session/RecordEditor.h"
#include "session/Session.h"
#include "session/ui/DialogFrame.h"
#include "session/ui/DialogParts.h"
#include "util/CzechPlural.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QString U(const char *utf8) { return QString::fromUtf8(utf8); }

const QString kCustom = QString::fromLatin1(TPrintSettings::kCustomSheet);

QString Mm(double v)
{
    return QLocale(QLocale::Czech).toString(v, 'g', 6);
}

// "3 × 8 štítků 70 × 37 mm"
QString SheetName(const TLabelLayout &l)
{
    return U("%1 × %2 %3 %4 × %5 mm")
        .arg(l.Columns)
        .arg(l.Rows)
        .arg(CzechCount(l.PerSheet(), "štítek", "štítky", "štítků").section(QLatin1Char(' '), 1))
        .arg(Mm(l.LabelWidth), Mm(l.LabelHeight));
}

QDoubleSpinBox *MmBox(const char *name, double max, QWidget *parent)
{
    auto *box = new QDoubleSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setLocale(QLocale(QLocale::Czech));
    box->setDecimals(1);
    box->setRange(0, max);
    box->setSingleStep(0.5);
    box->setSuffix(QStringLiteral(" mm"));
    box->setKeyboardTracking(true);
    return box;
}

QLabel *Caption(const char *text, QWidget *buddy, QWidget *parent)
{
    auto *label = new QLabel(U(text), parent);
    label->setBuddy(buddy);
    return label;
}

} // namespace

TFormStitky::TFormStitky(TSession &s, TRecordEditor &editor, TPrintJobs &jobs, QWidget *parent)
    : QDialog(parent), m_s(s), m_editor(editor), m_jobs(jobs)
{
    setObjectName(QStringLiteral("FormStitky"));
    setWindowTitle(U("Tisk štítků"));

    m_sheet = new QComboBox(this);
    m_sheet->setObjectName(QStringLiteral("ComboRozvrzeni"));
    for (const TReadyLabelLayout &ready : ReadyLabelLayouts())
        m_sheet->addItem(SheetName(ready.Layout), QString::fromLatin1(ready.Key));
    m_sheet->addItem(U("Vlastní"), kCustom);

    m_group = new QGroupBox(U("Vlastní rozvržení"), this);
    m_group->setObjectName(QStringLiteral("GroupVlastni"));
    m_columns = new QSpinBox(m_group);
    m_columns->setObjectName(QStringLiteral("SpinSloupce"));
    m_columns->setRange(1, 20);
    m_rows = new QSpinBox(m_group);
    m_rows->setObjectName(QStringLiteral("SpinRadky"));
    m_rows->setRange(1, 50);
    m_width = MmBox("SpinSirka", 300, m_group);
    m_height = MmBox("SpinVyska", 300, m_group);
    m_centred = new QCheckBox(U("Na střed l&istu"), m_group);
    m_centred->setObjectName(QStringLiteral("CheckNaStred"));
    m_left = MmBox("SpinVlevo", 300, m_group);
    m_top = MmBox("SpinNahore", 300, m_group);
    m_gapX = MmBox("SpinMezeraX", 100, m_group);
    m_gapY = MmBox("SpinMezeraY", 100, m_group);

    // Two measures a row, each after its caption; the centring choice spans row 2.
    auto *grid = new QGridLayout(m_group);
    const struct
    {
        const char *Caption;
        QWidget *Field;
        int Row, Column;
    } measures[] = {{"&Sloupce:", m_columns, 0, 0},      {"Řá&dky:", m_rows, 0, 2},
                    {"Šíř&ka:", m_width, 1, 0},           {"&Výška:", m_height, 1, 2},
                    {"&Levý okraj:", m_left, 3, 0},       {"&Horní okraj:", m_top, 3, 2},
                    {"&Mezera vodorovně:", m_gapX, 4, 0}, {"M&ezera svisle:", m_gapY, 4, 2}};
    for (const auto &m : measures) {
        grid->addWidget(Caption(m.Caption, m.Field, m_group), m.Row, m.Column);
        grid->addWidget(m.Field, m.Row, m.Column + 1);
    }
    grid->addWidget(m_centred, 2, 0, 1, 4);

    m_problem = new QLabel(this);
    m_problem->setObjectName(QStringLiteral("LabelProblem"));
    m_problem->setWordWrap(true);
    QPalette warn = m_problem->palette();
    warn.setColor(QPalette::WindowText, Qt::darkRed);
    m_problem->setPalette(warn);

    m_address = new QComboBox(this);
    m_address->setObjectName(QStringLiteral("ComboAdresa"));
    m_start = new QSpinBox(this);
    m_start->setObjectName(QStringLiteral("SpinPrvni"));
    m_start->setRange(1, 24);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("LabelPocet"));

    auto *top = new QGridLayout;
    top->addWidget(Caption("&Rozvržení:", m_sheet, this), 0, 0);
    top->addWidget(m_sheet, 0, 1, 1, 2);
    auto *lower = new QGridLayout;
    lower->addWidget(Caption("&Adresa:", m_address, this), 0, 0);
    lower->addWidget(m_address, 0, 1);
    lower->addWidget(Caption("&Začít štítkem č.:", m_start, this), 1, 0);
    lower->addWidget(m_start, 1, 1);
    lower->setColumnStretch(2, 1);

    m_preview = MakeDialogButton("&Náhled…", "ButtonNahled", this);
    m_print = MakeDialogButton("V&ytisknout…", "ButtonVytisknout", this);
    m_pdf = MakeDialogButton("&Uložit jako PDF…", "ButtonPdf", this);
    m_close = MakeDialogButton("Zavří&t", "ButtonZavrit", this);

    auto *main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addWidget(m_group);
    main->addWidget(m_problem);
    main->addLayout(lower);
    main->addWidget(m_count);
    main->addLayout(MakeButtonRow({m_preview, m_print, m_pdf, m_close}));

    connect(m_sheet, &QComboBox::currentIndexChanged, this, &TFormStitky::ShowSheet);
    for (QSpinBox *box : {m_columns, m_rows})
        connect(box, &QSpinBox::valueChanged, this, &TFormStitky::CustomEdited);
    for (QDoubleSpinBox *box : {m_width, m_height, m_left, m_top, m_gapX, m_gapY})
        connect(box, &QDoubleSpinBox::valueChanged, this, &TFormStitky::CustomEdited);
    connect(m_centred, &QCheckBox::toggled, this, &TFormStitky::CustomEdited);
    connect(m_start, &QSpinBox::valueChanged, this, &TFormStitky::Check);
    connect(m_preview, &QPushButton::clicked, this, [this] { Output(TPrintAction::Preview); });
    connect(m_print, &QPushButton::clicked, this, [this] { Output(TPrintAction::Print); });
    connect(m_pdf, &QPushButton::clicked, this, [this] { Output(TPrintAction::Pdf); });
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &QDialog::finished, this, &TFormStitky::SaveChoices);
    TDialogFrame::Install(this, m_print, m_close);
}

void TFormStitky::ITiskStitkuClick()
{
    if (FormActivate())
        exec();
}

bool TFormStitky::FormActivate()
{
    m_listed.clear();
    if (!m_s.Book.IsOpen || !m_editor.StoreFields())
        return false;
    for (const TContactRecord *r : m_s.Book.ListedRecords()) {
        if (r)
            m_listed.append(r);
    }
    const TPrintSettings &p = m_s.Settings.Print;
    m_custom.Columns = p.LabelColumns;
    m_custom.Rows = p.LabelRows;
    m_custom.LabelWidth = p.LabelWidth;
    m_custom.LabelHeight = p.LabelHeight;
    m_custom.Centred = p.LabelCentred;
    m_custom.Left = p.LabelLeft;
    m_custom.Top = p.LabelTop;
    m_custom.GapX = p.LabelGapX;
    m_custom.GapY = p.LabelGapY;
    FillAddressChoice(m_address, m_s.Book.Labels, p.LabelAddress);
    int sheet = m_sheet->findData(p.LabelSheet);
    if (sheet < 0)
        sheet = 0;
    {
        const QSignalBlocker quiet(m_sheet);
        m_sheet->setCurrentIndex(sheet);
    }
    ShowSheet();
    // After the sheet: its size bounds the first label.
    m_start->setValue(p.LabelStart);
    Check();
    m_sheet->setFocus(Qt::OtherFocusReason);
    return true;
}

// A ready sheet shows its values, which cannot be changed; "Vlastní" shows the custom
// values last set.
void TFormStitky::ShowSheet()
{
    const bool custom = m_sheet->currentData().toString() == kCustom;
    const TLabelLayout shown = custom ? m_custom : ReadyLabelLayouts().value(m_sheet->currentIndex()).Layout;
    m_showing = true;
    m_columns->setValue(shown.Columns);
    m_rows->setValue(shown.Rows);
    m_width->setValue(shown.LabelWidth);
    m_height->setValue(shown.LabelHeight);
    m_centred->setChecked(shown.Centred);
    m_left->setValue(shown.Left);
    m_top->setValue(shown.Top);
    m_gapX->setValue(shown.GapX);
    m_gapY->setValue(shown.GapY);
    m_showing = false;
    m_group->setEnabled(custom);
    Check();
}

void TFormStitky::CustomEdited()
{
    if (!m_showing && m_sheet->currentData().toString() == kCustom)
        m_custom = CustomLayout();
    Check();
}

TLabelLayout TFormStitky::CustomLayout() const
{
    TLabelLayout l;
    l.Columns = m_columns->value();
    l.Rows = m_rows->value();
    l.LabelWidth = m_width->value();
    l.LabelHeight = m_height->value();
    l.Centred = m_centred->isChecked();
    // Kept while centred, for when the sheet is placed by hand again.
    l.Left = m_left->value();
    l.Top = m_top->value();
    l.GapX = m_gapX->value();
    l.GapY = m_gapY->value();
    return l;
}

TLabelLayout TFormStitky::Layout() const
{
    if (m_sheet->currentData().toString() == kCustom)
        return CustomLayout();
    return ReadyLabelLayouts().value(m_sheet->currentIndex()).Layout;
}

int TFormStitky::Address() const
{
    return m_address->currentIndex() + 1;
}

int TFormStitky::Start() const
{
    return m_start->value();
}

void TFormStitky::Check()
{
    const bool custom = m_sheet->currentData().toString() == kCustom;
    m_left->setEnabled(custom && !m_centred->isChecked());
    m_top->setEnabled(custom && !m_centred->isChecked());
    const TLabelLayout layout = Layout();
    const QString problem = layout.Problem();
    m_problem->setText(problem);
    m_problem->setVisible(!problem.isEmpty());
    if (problem.isEmpty()) {
        m_start->setMaximum(layout.PerSheet());
        const TLabelSheet sheet(layout, m_listed.size(), {}, Start());
        m_count->setText(CzechCount(m_listed.size(), "štítek", "štítky", "štítků") + QStringLiteral(", ")
                         + CzechCount(sheet.PageCount(), "list", "listy", "listů"));
    } else {
        m_count->clear();
    }
    const bool usable = problem.isEmpty() && !m_listed.isEmpty();
    for (QPushButton *b : {m_preview, m_print, m_pdf})
        b->setEnabled(usable);
}

void TFormStitky::Output(TPrintAction action)
{
    const TLabelLayout layout = Layout();
    if (!layout.Problem().isEmpty() || m_listed.isEmpty())
        return;
    SaveChoices();
    const QList<const TContactRecord *> listed = m_listed;
    const int address = Address();
    const TLabelSheet sheet(layout, listed.size(),
                            [listed, address](qsizetype i) {
                                return EntryAddressLines(TRecordView(listed[i]->Data()), address);
                            },
                            Start());
    const QFileInfo book(m_s.Book.FileName);
    const QString pdf = book.isAbsolute() ? book.dir().filePath(book.completeBaseName() + QStringLiteral("-stitky.pdf"))
                                          : QDir::home().filePath(QStringLiteral("stitky.pdf"));
    m_jobs.Run(action, sheet, pdf);
}

void TFormStitky::SaveChoices()
{
    TPrintSettings &p = m_s.Settings.Print;
    const TPrintSettings before = p;
    p.LabelSheet = m_sheet->currentData().toString();
    p.LabelColumns = m_custom.Columns;
    p.LabelRows = m_custom.Rows;
    p.LabelWidth = m_custom.LabelWidth;
    p.LabelHeight = m_custom.LabelHeight;
    p.LabelCentred = m_custom.Centred;
    p.LabelLeft = m_custom.Left;
    p.LabelTop = m_custom.Top;
    p.LabelGapX = m_custom.GapX;
    p.LabelGapY = m_custom.GapY;
    p.LabelAddress = Address();
    p.LabelStart = Start();
    if (p != before && !m_s.Store.SavePrintSettings())
        m_s.Prompt.Hlaska(Msg::RegistryFailed(), THlaskaKind::Chyba);
}
